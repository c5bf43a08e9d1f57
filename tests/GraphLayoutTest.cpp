#include "graph/GraphLayout.h"
#include "records/BhavScript.h"
#include "rendering/NeededFiles.h"
#include "rendering/PlainTextRenderer.h"
#include "rendering/ScriptGraph.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <utility>
#include <vector>

namespace
{
CScriptGraph Graph(const std::vector<std::pair<int, int>>& targets)
{
    CBhavScript script;
    for (const auto& [success, failure] : targets)
    {
        CBhavInstruction instruction;
        instruction.trueTarget = std::uint8_t(success);
        instruction.falseTarget = std::uint8_t(failure);
        script.m_instructions.push_back(instruction);
    }
    static const CNeededFiles files;
    return CScriptGraph::Build(script, CPlainTextRenderer(files, "Object.iff", ""));
}

bool Overlap(const CNodePlace& a, const CNodePlace& b)
{
    return std::abs(a.centre.x - b.centre.x) * 2 < a.width + b.width &&
           std::abs(a.centre.y - b.centre.y) * 2 < a.height + b.height;
}
}

// Jumps into one box from two lines or more run into one trunk: a stroke from each line to its
// joint, one between joints, and one with the arrow into the box. Into a line, the jumps from above
// and those from below make a trunk each; the line above goes on straight and a loop stays a loop.
TEST(GraphLayout, JumpsIntoOneBoxShareATrunk)
{
    struct CRow
    {
        const char* what;
        std::vector<std::pair<int, int>> targets;
        std::size_t strokes;
        std::size_t joints;
        std::size_t arrows;
    };
    const CRow rows[] = {
        {"empty", {}, 0, 0, 0},
        {"one line: each jump on its own", {{254, 255}}, 2, 0, 2},
        {"three lines failing into FALSE", {{1, 255}, {2, 255}, {254, 255}}, 3 + 3 + 2 + 1, 3, 3 + 1},
        {"success and failure into TRUE: a trunk each", {{254, 254}, {254, 254}}, 4 + 4, 4, 2},
        {"one jump into a line and the next line's flow stay on their own", {{2, 2}, {2, 2}, {254, 255}}, 6, 0, 6},
        {"lines failing back to line 1", {{1, 0}, {2, 0}, {3, 0}, {254, 0}}, 5 + 3 + 2 + 1, 3, 5 + 1},
        {"into a line from above and from below: a trunk each",
         {{3, 255}, {3, 255}, {3, 255}, {254, 255}, {3, 255}, {3, 255}}, 4 + 4 + 2 + 12, 2 + 2 + 6, 1 + 1 + 2 + 1},
        {"two lines past the end", {{5, 254}, {5, 255}}, 2 + 1 + 1 + 2, 2, 3},
    };
    for (const CRow& row : rows)
    {
        const CScriptGraph graph = Graph(row.targets);
        const CResult<CGraphLayout, EGraphFailure> laid = LayOutGraph(graph);
        ASSERT_TRUE(laid) << row.what << ": " << GraphFailureText(laid.Failure());
        const CGraphLayout& layout = *laid;
        EXPECT_EQ(layout.strokes.size(), row.strokes) << row.what;
        EXPECT_EQ(layout.joints.size(), row.joints) << row.what;
        std::size_t arrows = 0;
        for (const CGraphStroke& stroke : layout.strokes)
        {
            arrows += stroke.arrow ? 1 : 0;
            EXPECT_FALSE(stroke.curves.empty()) << row.what;
        }
        EXPECT_EQ(arrows, row.arrows) << row.what;
    }
}

TEST(GraphLayout, PlacesEveryBoxInsideTheDrawingWithoutOverlap)
{
    const CScriptGraph graph = Graph({{1, 255}, {2, 5}, {0, 253}, {254, 2}, {3, 3}, {9, 254}});
    const CResult<CGraphLayout, EGraphFailure> laid = LayOutGraph(graph);
    ASSERT_TRUE(laid) << GraphFailureText(laid.Failure());
    const CGraphLayout& layout = *laid;
    ASSERT_EQ(layout.nodes.size(), graph.Nodes().size());
    for (std::size_t i = 0; i < layout.nodes.size(); ++i)
    {
        const CNodePlace& place = layout.nodes[i];
        EXPECT_GT(place.width, 0);
        EXPECT_GE(place.centre.x - place.width / 2, -0.5) << graph.Nodes()[i].name;
        EXPECT_LE(place.centre.x + place.width / 2, layout.width + 0.5) << graph.Nodes()[i].name;
        EXPECT_GE(place.centre.y - place.height / 2, -0.5) << graph.Nodes()[i].name;
        EXPECT_LE(place.centre.y + place.height / 2, layout.height + 0.5) << graph.Nodes()[i].name;
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_FALSE(Overlap(place, layout.nodes[j])) << graph.Nodes()[i].name << " " << graph.Nodes()[j].name;
    }
    // The script starts at the top.
    for (std::size_t i = 1; i < layout.nodes.size(); ++i)
        EXPECT_LE(layout.nodes[0].centre.y, layout.nodes[i].centre.y) << graph.Nodes()[i].name;
}
