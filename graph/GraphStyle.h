#pragma once

#include "rendering/ScriptGraph.h"

#include <cstdint>
#include <string>

/// A colour of the drawing.
struct CGraphColour
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    /// "#rrggbb", as Graphviz takes it.
    std::string Hex() const;
};

/// How a box is drawn: in the editor's window and by Graphviz's renderers alike.
struct CNodeLook
{
    CGraphColour fill;
    CGraphColour border;
    CGraphColour text;
    bool rounded = false;  // the exits
};

/// How a jump is drawn: success solid, failure dashed.
struct CEdgeLook
{
    CGraphColour colour;
    bool dashed = false;
};

/// The labels' font; sizes are in points, the unit of every laid-out length.
constexpr const char* kGraphFontName = "Sans";
constexpr double kGraphFontSize = 10;

CNodeLook NodeLook(const CGraphNode& node);
/// The look of a jump; `reachable` is whether its line is.
CEdgeLook EdgeLook(const CGraphEdge& edge, bool reachable);
