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
        script.AppendLine(instruction);
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

// Lines from 253 on cannot be jumped to. Their jumps end in a note naming the target, beside the
// line, and the tail stands apart from the script: no box overlaps another, and no stroke of the
// tail runs further than the note under its line.
TEST(GraphLayout, LinesNoJumpCanNameEndTheirJumpsInNotes)
{
    std::vector<std::pair<int, int>> targets;
    for (int i = 0; i < 253; ++i)
        targets.push_back({i + 1 < 253 ? i + 1 : 254, 255});
    const std::vector<std::pair<int, int>> tail = {{0, 255}, {100, 253}, {7, 7}};
    targets.insert(targets.end(), tail.begin(), tail.end());
    const CScriptGraph graph = Graph(targets);
    const CResult<CGraphLayout, EGraphFailure> laid = LayOutGraph(graph);
    ASSERT_TRUE(laid) << GraphFailureText(laid.Failure());
    const CGraphLayout& layout = *laid;

    std::vector<std::string> texts;
    for (const CGraphNote& note : layout.notes)
        texts.push_back(note.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"line 1", "return FALSE", "line 101", "return ERROR", "line 8", "line 8"}));

    ASSERT_EQ(layout.nodes.size(), graph.Nodes().size());
    for (std::size_t i = 0; i < layout.nodes.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_FALSE(Overlap(layout.nodes[i], layout.nodes[j])) << graph.Nodes()[i].name << " " << graph.Nodes()[j].name;
    for (std::size_t k = 0; k < layout.notes.size(); ++k)
    {
        const CNodePlace& line = layout.nodes[253 + k / 2];
        EXPECT_GT(layout.notes[k].centre.y, line.centre.y) << texts[k];
        EXPECT_LT(layout.notes[k].centre.y - line.centre.y, 3 * line.height) << texts[k];
    }
}
