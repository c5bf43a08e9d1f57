#pragma once

#include "GraphStyle.h"

#include "containers/Result.h"

#include <string>
#include <vector>

/// A point of a laid-out graph in points (1/72 inch), from the drawing's top left corner, y downwards.
struct CGraphPoint
{
    double x = 0;
    double y = 0;
};

/// Where a box went: its centre and size.
struct CNodePlace
{
    CGraphPoint centre;
    double width = 0;
    double height = 0;
};

/// One line of the drawing as Graphviz routed it: cubic Bézier curves (a start point, then three
/// points per segment), ending at the base of the arrow head when it has one.
struct CGraphStroke
{
    std::vector<std::vector<CGraphPoint>> curves;
    CEdgeLook look;
    bool arrow = false;
    CGraphPoint arrowTip;
};

/// Where the jumps of several lines into one exit or missing line join: their strokes run on
/// together from there, as one trunk into the box.
struct CGraphJoint
{
    CGraphPoint centre;
    CGraphColour colour;
};

/// Where a jump of a line past the last one a jump can name (line 253 on) ends: a short arrow into
/// the name of its target, instead of a stroke across the whole drawing.
struct CGraphNote
{
    CGraphPoint centre;
    std::string text;
    CGraphColour colour;
};

/// A graph as Graphviz's dot laid it out, for drawing it natively. The places run parallel to the
/// graph's nodes; the jumps are strokes, each jump into a box taken by many drawn up to its joint.
struct CGraphLayout
{
    double width = 0;
    double height = 0;
    std::vector<CNodePlace> nodes;
    std::vector<CGraphStroke> strokes;
    std::vector<CGraphJoint> joints;
    std::vector<CGraphNote> notes;
};

/// What a graph is written as: DOT (the graph itself, with every label and look, not laid out), or
/// laid out and drawn by Graphviz's SVG or PNG renderer.
enum class EGraphFormat
{
    Dot,
    Svg,
    Png,
};

// Graphviz keeps process-wide state: these take their turns, one call at a time, from any thread.

/// What Graphviz could not do; the failure's detail holds Graphviz's own message when it gave one.
enum class EGraphFailure
{
    Ok,
    LayOut,
    Write,  // the DOT text
    Draw,   // the SVG or PNG picture
};

/// Graphviz's message for the failure, or ours when it said nothing.
std::string GraphFailureText(const CFailure<EGraphFailure>& failure);

/// Lays the graph out with dot.
[[nodiscard]] CResult<CGraphLayout, EGraphFailure> LayOutGraph(const CScriptGraph& graph);
/// The graph in `format` (text for DOT and SVG, the bytes of the picture for PNG), headed by
/// `title` when it is not empty.
[[nodiscard]] CResult<std::string, EGraphFailure> RenderGraph(const CScriptGraph& graph, EGraphFormat format,
                                                              const std::string& title);
