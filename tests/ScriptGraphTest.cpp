#include "IndexedFiles.h"

#include "records/BhavScript.h"
#include "rendering/NeededFiles.h"
#include "rendering/PlainTextRenderer.h"
#include "rendering/ScriptGraph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace
{
CBhavScript Script(const std::vector<std::pair<int, int>>& targets)
{
    CBhavScript script;
    for (const auto& [success, failure] : targets)
    {
        CBhavInstruction instruction;
        instruction.opcode = 2;
        instruction.trueTarget = std::uint8_t(success);
        instruction.falseTarget = std::uint8_t(failure);
        script.AppendLine(instruction);
    }
    return script;
}

// The boxes by name, an unreachable one marked with "~".
std::string Boxes(const CScriptGraph& graph)
{
    std::string text;
    for (const CGraphNode& node : graph.Nodes())
        text += (text.empty() ? "" : " ") + std::string(node.reachable ? "" : "~") + node.name;
    return text;
}

// The jumps as "from>to" for success and "from/to" for failure.
std::string Jumps(const CScriptGraph& graph)
{
    std::string text;
    for (const CGraphEdge& edge : graph.Edges())
        text += (text.empty() ? "" : " ") + graph.Nodes()[edge.from].name + (edge.success ? ">" : "/") +
                graph.Nodes()[edge.to].name;
    return text;
}
}

TEST(ScriptGraph, BoxesAndJumpsFollowTheTargets)
{
    struct CRow
    {
        const char* what;
        std::vector<std::pair<int, int>> targets;
        const char* boxes;
        const char* jumps;
    };
    const CRow rows[] = {
        {"empty script", {}, "", ""},
        {"one line, both exits", {{254, 255}}, "line1 true false", "line1>true line1/false"},
        {"each exit once, in a fixed order", {{1, 253}, {255, 254}},
         "line1 line2 true false error", "line1>line2 line1/error line2>false line2/true"},
        {"a loop back to line 1", {{1, 255}, {0, 254}}, "line1 line2 true false",
         "line1>line2 line1/false line2>line1 line2/true"},
        {"a line jumping to itself", {{0, 254}}, "line1 true", "line1>line1 line1/true"},
        {"targets past the end, each once, by number", {{1, 3}, {5, 254}},
         "line1 line2 true missing4 missing6", "line1>line2 line1/missing4 line2>missing6 line2/true"},
        {"252 is a missing line, not an exit", {{252, 254}}, "line1 true missing253",
         "line1>missing253 line1/true"},
        {"lines no jump reaches are unreachable, and so is what only they reach",
         {{2, 254}, {3, 255}, {254, 254}}, "line1 ~line2 line3 true ~false ~missing4",
         "line1>line3 line1/true line2>missing4 line2/false line3>true line3/true"},
        {"reached through the failure target", {{254, 2}, {254, 254}, {254, 254}},
         "line1 ~line2 line3 true", "line1>true line1/line3 line2>true line2/true line3>true line3/true"},
    };
    const CNeededFiles files;
    const CPlainTextRenderer renderer(files, "Object.iff", "");
    for (const CRow& row : rows)
    {
        const CScriptGraph graph = CScriptGraph::Build(Script(row.targets), renderer);
        EXPECT_EQ(Boxes(graph), row.boxes) << row.what;
        EXPECT_EQ(Jumps(graph), row.jumps) << row.what;
        EXPECT_EQ(graph.LineCount(), row.targets.size()) << row.what;
    }
}

TEST(ScriptGraph, BoxesShowNumberDescriptionAndCalledScriptName)
{
    CNeededFiles files;
    AddIndexedFile(files, "Global.iff", {{256, "Wait For Notify"}});
    AddIndexedFile(files, "Object.iff", {{4096, "main"}});
    const CPlainTextRenderer renderer(files, "Object.iff", "");
    CBhavScript script = Script({{1, 255}, {2, 255}, {3, 254}, {254, 254}});
    std::vector<CBhavInstruction> lines = script.Lines();
    lines[0].params = {3, 1, 0x0500, 0x0708};
    lines[1].opcode = 256;
    lines[2].opcode = 4096;
    lines[3].opcode = 4097;  // a script the index does not hold
    ASSERT_TRUE(script.ReplaceLines(lines));
    const CScriptGraph graph = CScriptGraph::Build(script, renderer);
    ASSERT_EQ(graph.Nodes().size(), 6u);
    using Rows = std::vector<std::string>;
    EXPECT_EQ(graph.Nodes()[0].label, Rows{"1: Temporary Storage 3 Assign To: 1"});
    EXPECT_EQ(graph.Nodes()[1].label, (Rows{"2: Global: Wait For Notify (Stack: 0, 0,", "0, 0)"}));
    EXPECT_EQ(graph.Nodes()[2].label, Rows{"3: Private: main (Stack: 0, 0, 0, 0)"});
    EXPECT_EQ(graph.Nodes()[3].label, Rows{"4: 4097 (Stack: 0, 0, 0, 0)"});
    EXPECT_EQ(graph.Nodes()[4].label, Rows{"return TRUE"});
    EXPECT_EQ(graph.Nodes()[5].label, Rows{"return FALSE"});

    const CScriptGraph missing = CScriptGraph::Build(Script({{11, 253}}), renderer);
    EXPECT_EQ(missing.Nodes()[1].label, Rows{"return ERROR"});
    EXPECT_EQ(missing.Nodes()[2].label, Rows{"missing line 12"});
}

TEST(ScriptGraph, WrapsAtBlanksAndCutsLongWords)
{
    struct CRow
    {
        const char* text;
        std::size_t width;
        std::vector<std::string> rows;
    };
    const CRow rows[] = {
        {"", 10, {""}},
        {"short", 10, {"short"}},
        {"exactly ten", 11, {"exactly ten"}},
        {"one two three four", 9, {"one two", "three", "four"}},
        {"  blanks\tand\nbreaks  ", 20, {"blanks and breaks"}},
        {"abcdefghijkl xy", 5, {"abcde", "fghij", "kl xy"}},
        {"a abcdefghij", 5, {"a", "abcde", "fghij"}},
        // Characters, not bytes: "é" is two bytes of UTF-8.
        {"\xC3\xA9\xC3\xA9\xC3\xA9 \xC3\xA9\xC3\xA9", 6, {"\xC3\xA9\xC3\xA9\xC3\xA9 \xC3\xA9\xC3\xA9"}},
        {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", 3, {"\xC3\xA9\xC3\xA9\xC3\xA9", "\xC3\xA9"}},
    };
    for (const CRow& row : rows)
        EXPECT_EQ(WrapText(row.text, row.width), row.rows) << row.text;
}

TEST(ScriptGraph, ExitsAreExitsWhateverTheScriptsLength)
{
    struct CRow
    {
        std::size_t lines;
        const char* tail;  // the last boxes
        const char* lastJumps;
    };
    // Every line fails into 255 and goes on to the next line; the line before 254 returns TRUE or
    // ERROR. Lines past 253 are never jumped into.
    const CRow rows[] = {
        {252, "line252 true false error", "line252>true line252/error"},
        {253, "line253 true false error", "line253>true line253/error"},
        {254, "~line254 true false error", "line254>true line254/false"},
        {260, "~line260 true false error", "line260>true line260/false"},
    };
    const CNeededFiles files;
    const CPlainTextRenderer renderer(files, "Object.iff", "");
    for (const CRow& row : rows)
    {
        std::vector<std::pair<int, int>> targets;
        for (std::size_t i = 0; i < row.lines; ++i)
            targets.emplace_back(i + 1 < row.lines ? int(i + 1) : 254, 255);
        const std::size_t beforeError = std::min<std::size_t>(row.lines, 253) - 1;
        targets[beforeError] = {254, 253};
        const CScriptGraph graph = CScriptGraph::Build(Script(targets), renderer);
        const std::string boxes = Boxes(graph);
        const std::string jumps = Jumps(graph);
        EXPECT_EQ(graph.Nodes().size(), row.lines + 3) << row.lines;
        EXPECT_EQ(boxes.substr(boxes.size() - std::string(row.tail).size()), row.tail) << row.lines;
        EXPECT_EQ(jumps.substr(jumps.size() - std::string(row.lastJumps).size()), row.lastJumps) << row.lines;
        EXPECT_NE(jumps.find("line1/false"), std::string::npos) << row.lines;
        EXPECT_EQ(boxes.find("missing"), std::string::npos) << row.lines;
    }
}
