#include "GraphStyle.h"

#include "records/BhavInstruction.h"

#include <cstdio>

namespace
{
constexpr CGraphColour kWhite{255, 255, 255};
constexpr CGraphColour kBlack{0, 0, 0};
// Unreachable boxes fade into the background, so that the live flow stands out.
constexpr CGraphColour kGreyFill{236, 236, 236};
constexpr CGraphColour kGreyBorder{170, 170, 170};
constexpr CGraphColour kGreyText{130, 130, 130};
}

std::string CGraphColour::Hex() const
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", red, green, blue);
    return text;
}

CNodeLook NodeLook(const CGraphNode& node)
{
    CNodeLook look;
    look.rounded = node.kind == EGraphNodeKind::Exit;
    if (!node.reachable)
    {
        look.fill = kGreyFill;
        look.border = kGreyBorder;
        look.text = kGreyText;
        return look;
    }
    look.text = kBlack;
    switch (node.kind)
    {
    case EGraphNodeKind::Line:
        look.fill = kWhite;
        look.border = {48, 80, 160};
        break;
    case EGraphNodeKind::Exit:
        look.fill = node.target == kTargetTrue ? CGraphColour{222, 242, 222}
                    : node.target == kTargetFalse ? CGraphColour{250, 226, 226}
                                         : CGraphColour{255, 236, 204};
        look.border = node.target == kTargetTrue ? CGraphColour{46, 125, 50}
                      : node.target == kTargetFalse ? CGraphColour{183, 28, 28}
                                           : CGraphColour{200, 110, 0};
        break;
    case EGraphNodeKind::MissingLine:
        look.fill = {255, 235, 235};
        look.border = {220, 0, 0};
        look.text = {200, 0, 0};
        break;
    }
    return look;
}

CEdgeLook EdgeLook(const CGraphEdge& edge, bool reachable)
{
    CEdgeLook look;
    look.dashed = !edge.success;
    if (edge.success)
        look.colour = reachable ? CGraphColour{46, 140, 46} : CGraphColour{165, 205, 165};
    else
        look.colour = reachable ? CGraphColour{200, 40, 40} : CGraphColour{228, 165, 165};
    return look;
}
