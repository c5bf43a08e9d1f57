#include "containers/ByteStream.h"
#include "containers/IffFile.h"
#include "records/BhavScript.h"
#include "records/SemiGlobalReference.h"

#include <cgraph.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{

CBhavInstruction Line(std::uint16_t opcode, std::uint8_t onTrue, std::uint8_t onFalse, std::uint16_t p0 = 0,
                      std::uint16_t p1 = 0, std::uint16_t p2 = 0, std::uint16_t p3 = 0)
{
    CBhavInstruction instruction;
    instruction.opcode = opcode;
    instruction.trueTarget = onTrue;
    instruction.falseTarget = onFalse;
    instruction.params = {p0, p1, p2, p3};
    return instruction;
}

void AddScript(CIffFile& container, std::uint16_t id, const std::string& name, std::vector<CBhavInstruction> lines)
{
    CBhavScript script;
    script.SetName(name);
    script.SetHeader({0x01, 0x80, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0});
    script.ReplaceLines(std::move(lines));
    ASSERT_TRUE(script.Store(container, id));
}

void WriteContainer(CIffFile& container, const fs::path& path)
{
    CMemoryStream stream;
    ASSERT_TRUE(container.Write(&stream));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(stream.Bytes().data()), static_cast<std::streamsize>(stream.Bytes().size()));
}

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A game data folder with Global.iff and the semi-global Seats.iff, and beside it the object
// Chair.iff whose GLOB chunk names "Seats".
class RenderCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() /
                 ("treewright-render-" + std::to_string(getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root / "GameData" / "Global");

        CIffFile global;
        AddScript(global, 256, "Wait", {Line(0, 254, 255)});
        WriteContainer(global, m_root / "GameData" / "Global" / "Global.iff");
        CIffFile seats;
        AddScript(seats, 8192, "Sit", {Line(0, 254, 255)});
        WriteContainer(seats, m_root / "GameData" / "Global" / "Seats.iff");

        CIffFile chair;
        AddScript(chair, 4096, "init",
                  {Line(2, 1, 255, 3, 1, 0x0500, 0x0708), Line(256, 2, 253), Line(8192, 3, 0), Line(4097, 254, 252)});
        AddScript(chair, 4097, "main", {Line(0, 254, 255)});
        ASSERT_TRUE(StoreSemiGlobalName(chair, "Seats", ""));
        WriteContainer(chair, m_root / "Chair.iff");
    }

    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    // Runs the tool with `input` on standard input; returns its exit status.
    int Run(const std::string& arguments, const std::string& input = "")
    {
        {
            std::ofstream in(m_root / "in.txt", std::ios::binary);
            in << input;
        }
        const std::string command = std::string(TREEWRIGHT_CLI_PATH) + " " + arguments + " < '" +
                                    (m_root / "in.txt").string() + "' > '" + (m_root / "out.txt").string() +
                                    "' 2> '" + (m_root / "err.txt").string() + "'";
        const int status = std::system(command.c_str());
        m_out = ReadText(m_root / "out.txt");
        m_err = ReadText(m_root / "err.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string Quoted(const fs::path& path) const { return "'" + path.string() + "'"; }
    std::string Chair() const { return Quoted(m_root / "Chair.iff"); }
    std::string GameData() const { return Quoted(m_root); }

    fs::path m_root;
    std::string m_out;
    std::string m_err;
};

}  // namespace

TEST_F(RenderCommands, RenderAnswersEveryRequestKindOnItsOwnLine)
{
    EXPECT_EQ(Run("render", "0 1 2 3 65535\noperand 26 300\ntarget 252\n2 3 1 0x500 0x708\r\noperand 40 -1\n"), 0);
    EXPECT_EQ(m_out,
              "Idle (Stack: 1, 2, 3, -1)\tIdle(0x0001, 0x0002, 0x0003, 0xFFFF);\n"
              "Constant Value 4098:44\t0x1A[0x012C]\n"
              "goto line 253\n"
              "Temporary Storage 3 Assign To: 1\tTemp[0x0003] = 0x0001\n"
              "40->-1\t0x28[0xFFFF]\n");
    EXPECT_EQ(m_err, "");
}

TEST_F(RenderCommands, RenderKeepsAnswersAlignedAndFailsAtTheEndOnBadLines)
{
    EXPECT_EQ(Run("render", "target 254\nnonsense\n\ntarget 256\n1 2 3\n4 1 2 3 70000\ntarget 255"), 1);
    std::vector<std::string> lines;
    std::istringstream out(m_out);
    for (std::string line; std::getline(out, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "return TRUE");
    EXPECT_EQ(lines[1].rfind("error: ", 0), 0u);
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3].rfind("error: ", 0), 0u);
    EXPECT_EQ(lines[4].rfind("error: ", 0), 0u);
    EXPECT_EQ(lines[5].rfind("error: ", 0), 0u);
    EXPECT_EQ(lines[6], "return FALSE");
    EXPECT_NE(m_err.find("line 2"), std::string::npos);
    EXPECT_NE(m_err.find("line 6"), std::string::npos);
}

TEST_F(RenderCommands, RenderNamesCallsFromTheGlobalFolderAndTheOpenFile)
{
    const std::string calls = "256 0 0 0 0\n4097 0 0 0 0\n8192 0 0 0 0\n";
    EXPECT_EQ(Run("render --game-data " + GameData() + " --open " + Chair(), calls), 0);
    EXPECT_EQ(m_out,
              "Global: Wait (Stack: 0, 0, 0, 0)\t0x0100(0x0000, 0x0000, 0x0000, 0x0000);\n"
              "Private: main (Stack: 0, 0, 0, 0)\t0x1001(0x0000, 0x0000, 0x0000, 0x0000);\n"
              "Semiglobal: Sit (Stack: 0, 0, 0, 0)\t0x2000(0x0000, 0x0000, 0x0000, 0x0000);\n");

    EXPECT_EQ(Run("render --game-data " + GameData() + " --open " + Chair() + " --semi-global Other", calls), 0);
    EXPECT_NE(m_out.find("\n8192 (Stack: 0, 0, 0, 0)\t"), std::string::npos);

    // Without the open file there is no private script and no GLOB chunk to name the semi-global.
    EXPECT_EQ(Run("render --game-data " + GameData(), calls), 0);
    EXPECT_NE(m_out.find("Global: Wait"), std::string::npos);
    EXPECT_NE(m_out.find("\n4097 (Stack: 0, 0, 0, 0)\t"), std::string::npos);
    EXPECT_NE(m_out.find("\n8192 (Stack: 0, 0, 0, 0)\t"), std::string::npos);
}

TEST_F(RenderCommands, ScriptJsonListsTheEditorsLines)
{
    ASSERT_EQ(Run("script " + Chair() + " 4096 --game-data " + GameData() + " --json"), 0);
    const auto document = nlohmann::json::parse(m_out);
    EXPECT_EQ(document["id"], 4096);
    EXPECT_EQ(document["name"], "init");
    EXPECT_EQ(document["header"], "018004000400000000000000");
    const auto& lines = document["lines"];
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0]["line"], 1);
    EXPECT_EQ(lines[0]["opcode"], 2);
    EXPECT_EQ(lines[0]["true"], 1);
    EXPECT_EQ(lines[0]["false"], 255);
    EXPECT_EQ(lines[0]["params"], nlohmann::json({3, 1, 1280, 1800}));
    EXPECT_EQ(lines[0]["description"], "Temporary Storage 3 Assign To: 1");
    EXPECT_EQ(lines[0]["code"], "Temp[0x0003] = 0x0001");
    EXPECT_EQ(lines[0]["success"], "goto line 2");
    EXPECT_EQ(lines[0]["failure"], "return FALSE");
    EXPECT_EQ(lines[1]["description"], "Global: Wait (Stack: 0, 0, 0, 0)");
    EXPECT_EQ(lines[1]["failure"], "return ERROR");
    EXPECT_EQ(lines[2]["description"], "Semiglobal: Sit (Stack: 0, 0, 0, 0)");
    EXPECT_EQ(lines[2]["failure"], "goto line 1");
    EXPECT_EQ(lines[3]["description"], "Private: main (Stack: 0, 0, 0, 0)");
    EXPECT_EQ(lines[3]["code"], "0x1001(0x0000, 0x0000, 0x0000, 0x0000);");
    EXPECT_EQ(lines[3]["success"], "return TRUE");
    EXPECT_EQ(lines[3]["failure"], "goto line 253");
}

TEST_F(RenderCommands, ScriptNamesPrivateCallsWithoutTheGlobalFolder)
{
    ASSERT_EQ(Run("script " + Chair() + " 0x1000 --json"), 0);
    const auto document = nlohmann::json::parse(m_out);
    EXPECT_EQ(document["lines"][1]["description"], "256 (Stack: 0, 0, 0, 0)");
    EXPECT_EQ(document["lines"][3]["description"], "Private: main (Stack: 0, 0, 0, 0)");
}

TEST_F(RenderCommands, ScriptTableShowsTheSameFacts)
{
    ASSERT_EQ(Run("script " + Chair() + " 4096 --game-data " + GameData()), 0);
    EXPECT_NE(m_out.find("init"), std::string::npos);
    EXPECT_NE(m_out.find("Semiglobal: Sit (Stack: 0, 0, 0, 0)"), std::string::npos);
    EXPECT_NE(m_out.find("Temp[0x0003] = 0x0001"), std::string::npos);
    EXPECT_NE(m_out.find("return ERROR"), std::string::npos);
}

TEST_F(RenderCommands, ScriptThatDoesNotLoadFails)
{
    EXPECT_EQ(Run("script " + Chair() + " 4098"), 1);
    EXPECT_EQ(m_out, "");
    EXPECT_NE(m_err, "");
}

TEST_F(RenderCommands, ReferencesListsCallersInTheFileAndTheLoadedFiles)
{
    // A global file that calls into the global file and into the semi-global file it names.
    CIffFile extra;
    AddScript(extra, 4200, "bench", {Line(8192, 1, 255), Line(256, 254, 255)});
    ASSERT_TRUE(StoreSemiGlobalName(extra, "seats", ""));
    WriteContainer(extra, m_root / "GameData" / "Global" / "Extra.iff");
    const std::string global = Quoted(m_root / "GameData" / "Global" / "Global.iff");
    const std::string seats = Quoted(m_root / "GameData" / "Global" / "Seats.iff");

    struct CCase
    {
        std::string arguments;
        std::vector<std::string> found;  // file, type, id and line (BHAV) of each reference
    };
    const std::vector<CCase> cases = {
        {Chair() + " 4097", {"Chair.iff BHAV 4096 4"}},
        {Chair() + " 0x1000", {}},
        {global + " 256 --game-data " + GameData(), {"Extra.iff BHAV 4200 2"}},
        {seats + " 8192 --game-data " + GameData(), {"Extra.iff BHAV 4200 1"}},
        {global + " 256", {}},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.arguments);
        ASSERT_EQ(Run("references " + c.arguments + " --json"), 0) << m_err;
        const auto document = nlohmann::json::parse(m_out);
        std::vector<std::string> found;
        for (const auto& reference : document["references"])
            found.push_back(reference["file"].get<std::string>() + " " + reference["type"].get<std::string>() + " " +
                            std::to_string(reference["id"].get<int>()) + " " +
                            std::to_string(reference["line"].get<int>()));
        EXPECT_EQ(found, c.found);
    }

    // The table shows the same places with the descriptions the script editor shows.
    ASSERT_EQ(Run("references " + seats + " 8192 --game-data " + GameData()), 0);
    EXPECT_EQ(m_out, "References to BHAV #8192 \"Sit\": 1\n"
                     "Extra.iff: BHAV #4200 \"bench\", line 1: Semiglobal: Sit (Stack: 0, 0, 0, 0)\n");
}

namespace
{
// A graph as Graphviz's own parser reads it; closed with the pointer.
struct CGraphClose
{
    void operator()(Agraph_t* graph) const { agclose(graph); }
};
using CParsedGraph = std::unique_ptr<Agraph_t, CGraphClose>;

std::string Label(Agraph_t* graph, const char* node)
{
    Agnode_t* found = agnode(graph, const_cast<char*>(node), 0);
    return found != nullptr ? agget(found, const_cast<char*>("label")) : "(no node " + std::string(node) + ")";
}
}

// init: line 1 goes on or returns FALSE, line 2 calls a global script and may return ERROR, line 3
// loops back to line 1, line 4 returns TRUE or jumps to line 253, past its end.
TEST_F(RenderCommands, GraphWritesDotThatGraphvizReadsBack)
{
    ASSERT_EQ(Run("graph " + Chair() + " 4096 --game-data " + GameData()), 0) << m_err;
    const CParsedGraph graph(agmemread(m_out.c_str()));
    ASSERT_NE(graph, nullptr) << m_out;
    EXPECT_EQ(agnnodes(graph.get()), 8);  // 4 lines, 3 exits, 1 missing line
    EXPECT_EQ(agnedges(graph.get()), 8);  // 2 per line
    EXPECT_EQ(Label(graph.get(), "line2"), "2: Global: Wait (Stack: 0, 0, 0, 0)");
    EXPECT_EQ(Label(graph.get(), "error"), "return ERROR");
    EXPECT_EQ(Label(graph.get(), "missing253"), "missing line 253");
    Agnode_t* loop = agnode(graph.get(), const_cast<char*>("line3"), 0);
    ASSERT_NE(loop, nullptr);
    EXPECT_NE(agedge(graph.get(), loop, agnode(graph.get(), const_cast<char*>("line1"), 0), nullptr, 0), nullptr);
}

TEST_F(RenderCommands, GraphDrawsSvgAndPngIntoAFile)
{
    struct CRow
    {
        const char* format;
        std::string start;
    };
    const CRow rows[] = {{"svg", "<?xml"}, {"png", "\x89PNG\r\n\x1a\n"}};
    for (const CRow& row : rows)
    {
        const fs::path out = m_root / (std::string("init.") + row.format);
        ASSERT_EQ(Run("graph " + Chair() + " 4096 --format " + row.format + " -o " + Quoted(out) + " --json"), 0)
            << m_err;
        const auto document = nlohmann::json::parse(m_out);
        EXPECT_EQ(document["out"], out.string());
        EXPECT_EQ(document["nodes"], 8);
        EXPECT_EQ(document["edges"], 8);
        const std::string written = ReadText(out);
        EXPECT_EQ(written.substr(0, row.start.size()), row.start) << row.format;
        if (row.format == std::string("svg"))
        {
            EXPECT_NE(written.find("missing line 253"), std::string::npos);
        }
    }
    // A script that does not load draws nothing.
    EXPECT_EQ(Run("graph " + Chair() + " 4098 --format svg -o " + Quoted(m_root / "none.svg")), 1);
    EXPECT_FALSE(fs::exists(m_root / "none.svg"));
}

// The semi-global file the object names is said once when it is not among the loaded global files,
// whichever command loads them; nothing is said when it was loaded or when no folder was given.
TEST_F(RenderCommands, AMissingSemiGlobalFileIsSaidOnce)
{
    const std::string missing = "The semi-global file Benches.IFF is not in the game's folder; its calls show as numbers.";
    struct CRow
    {
        std::string arguments;
        bool said;
    };
    const CRow rows[] = {
        {"script " + Chair() + " 4096 --game-data " + GameData() + " --semi-global Benches", true},
        {"graph " + Chair() + " 4096 --game-data " + GameData() + " --semi-global Benches", true},
        {"script " + Chair() + " 4096 --game-data " + GameData(), false},
        {"script " + Chair() + " 4096 --semi-global Benches", false},
    };
    for (const CRow& row : rows)
    {
        ASSERT_EQ(Run(row.arguments), 0) << row.arguments << '\n' << m_err;
        const std::size_t at = m_err.find(missing);
        EXPECT_EQ(at != std::string::npos, row.said) << row.arguments << '\n' << m_err;
        if (at != std::string::npos)
        {
            EXPECT_EQ(m_err.find(missing, at + 1), std::string::npos) << "said twice: " << row.arguments;
        }
    }
    // Its calls show as numbers, as the message says.
    ASSERT_EQ(Run("script " + Chair() + " 4096 --game-data " + GameData() + " --semi-global Benches --json"), 0);
    EXPECT_EQ(nlohmann::json::parse(m_out)["lines"][2]["description"], "8192 (Stack: 0, 0, 0, 0)");
}

// 253, 254 and 255 are the exits in a script of any length: a 260-line script failing into 255
// has the FALSE box, and its lines past 253 are drawn unreachable.
TEST_F(RenderCommands, GraphTakesTheExitsByValueInALongScript)
{
    std::vector<CBhavInstruction> lines;
    for (int i = 0; i < 260; ++i)
        lines.push_back(Line(0, std::uint8_t(i < 252 ? i + 1 : 254), 255));
    CIffFile chair;
    AddScript(chair, 4096, "long", lines);
    WriteContainer(chair, m_root / "Long.iff");
    ASSERT_EQ(Run("graph " + Quoted(m_root / "Long.iff") + " 4096 --json"), 0) << m_err;
    const auto document = nlohmann::json::parse(m_out);
    EXPECT_EQ(document["nodes"], 262);  // 260 lines, TRUE and FALSE
    EXPECT_EQ(document["edges"], 520);
    const std::string dot = document["graph"];
    const CParsedGraph graph(agmemread(dot.c_str()));
    ASSERT_NE(graph, nullptr) << dot.substr(0, 400);
    const auto node = [&graph](const char* name) { return agnode(graph.get(), const_cast<char*>(name), 0); };
    ASSERT_NE(node("false"), nullptr);
    EXPECT_EQ(node("missing256"), nullptr);
    EXPECT_NE(agedge(graph.get(), node("line260"), node("false"), nullptr, 0), nullptr);
    EXPECT_NE(agedge(graph.get(), node("line253"), node("true"), nullptr, 0), nullptr);
}
