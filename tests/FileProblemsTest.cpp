// The problems of a file: each kind is found in a built object once it is broken, at its place and
// with its severity, and is gone once the object is fixed; a sound object has none.

#include "CliRunner.h"

#include "analysis/FileProblems.h"
#include "containers/ByteStream.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/BhavScript.h"
#include "records/InteractionTable.h"
#include "records/ObjectDefinition.h"
#include "records/ObjectFunctions.h"
#include "records/RecordEditing.h"
#include "records/StringTable.h"
#include "rendering/NeededFiles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <string>
#include <vector>

namespace
{
constexpr std::uint32_t kLoadedGuid = 0x0A0B0C0D;

void StoreScript(CIffFile& file, std::uint16_t id, const std::string& name, std::vector<CBhavInstruction> lines)
{
    CBhavScript script;
    script.SetName(name);
    script.ReplaceLines(std::move(lines));
    ASSERT_TRUE(script.Store(file, id));
}

void ChangeScript(CIffFile& file, std::uint16_t id, const std::function<void(CBhavScript&)>& change)
{
    CBhavScript script;
    ASSERT_TRUE(script.Load(file, id));
    change(script);
    ASSERT_TRUE(script.Store(file, id));
}

void ChangeObject(CIffFile& file, std::uint16_t id, const std::string& field, std::uint32_t value)
{
    CObjectDefinition object;
    ASSERT_TRUE(object.Load(file, id));
    ASSERT_TRUE(object.SetValue(field == "GUID" ? CObjectDefinition::kGuidOffset : *ObjectFieldOffset(field), value));
    ASSERT_TRUE(object.Store(file, id));
}

void ChangeInteraction(CIffFile& file, const std::function<void(CInteraction&)>& change)
{
    CInteractionTable table;
    ASSERT_TRUE(table.Load(file, 128));
    CInteraction interaction = table.Interactions()[0];
    change(interaction);
    ASSERT_TRUE(table.SetInteraction(0, interaction));
    ASSERT_TRUE(table.Store(file, 128));
}

void StoreNames(CIffFile& file, std::uint16_t id, const std::string& english, const std::string& french)
{
    CStringTable::CRow row{};
    row[0].text = english;
    row[2].text = french;
    ASSERT_TRUE(CStringTable::Languages({row}, CStringTable::kDefaultFormat, "names").Store(file, kTypeTtas, id));
}

// An object without a problem: main (its main script) calls helper and the global script 256;
// one interaction runs main, checked by helper, named in two languages; one object with functions.
CIffFile SoundObject()
{
    CIffFile file;
    StoreScript(file, 4096, "main", {{2, 1, 1, {3, 1, 1280, 1800}}, {4097, 2, kTargetFalse, {}}, {256, kTargetTrue, kTargetFalse, {}}});
    StoreScript(file, 4097, "helper", {{0, kTargetTrue, kTargetFalse, {}}});
    EXPECT_TRUE(CreateRecord(file, ERecordKind::Interactions, 128, "menu"));
    StoreNames(file, 128, "Sit", "S'asseoir");
    CInteractionTable table;
    EXPECT_TRUE(table.Load(file, 128));
    CInteraction sit;
    sit.actionTree = 4096;
    sit.checkTree = 4097;
    sit.motives.resize(CInteraction::kStoredMotives);
    table.AddInteraction(sit);
    EXPECT_TRUE(table.Store(file, 128));
    CStringTable::CRow row{};
    row[0].text = "Chair";
    row[2].text = "Chaise";
    EXPECT_TRUE(CStringTable::Languages({row, row}, CStringTable::kDefaultFormat, "catalog").Store(file, kTypeStr, 129));
    EXPECT_TRUE(CreateObject(file, 128, "Chair", 0x00053216, true));
    ChangeObject(file, 128, "main script", 4096);
    return file;
}

// The game's global file as loaded: script 256 and an object of its own.
CNeededFiles LoadedFiles()
{
    CIffFile global;
    StoreScript(global, 256, "global", {{0, kTargetTrue, kTargetFalse, {}}});
    EXPECT_TRUE(CreateObject(global, 128, "Lamp", kLoadedGuid, false));
    CNeededFiles files;
    files.Add(std::move(global), "Global.iff");
    return files;
}

std::vector<std::string> Found(const CIffFile& file)
{
    std::vector<std::string> found;
    for (const CProblem& problem : FindFileProblems(file, "Chair.iff", "", LoadedFiles()))
        found.push_back(std::string(ProblemSeverityWord(problem.severity)) + ' ' + ProblemKindWord(problem.kind) +
                        ' ' + ProblemPlaceText(problem));
    return found;
}
}

TEST(FileProblems, EachKindIsFoundAtItsPlaceAndGoneOnceFixed)
{
    struct CCase
    {
        const char* what;
        std::function<void(CIffFile&)> breakIt;
        std::vector<std::string> expected;
        std::function<void(CIffFile&)> fix;
    };
    const CCase cases[] = {
        {"a jump past the last line",
         [](CIffFile& f) { ChangeScript(f, 4096, [](CBhavScript& s) { s.SetLine(0, {2, 1, 9, {3, 1, 1280, 1800}}); }); },
         {"error missing-line BHAV #4096 \"main\", line 1"},
         [](CIffFile& f) { ChangeScript(f, 4096, [](CBhavScript& s) { s.SetLine(0, {2, 1, kTargetFalse, {3, 1, 1280, 1800}}); }); }},
        {"lines never reached, as one finding",
         [](CIffFile& f) {
             ChangeScript(f, 4096, [](CBhavScript& s) {
                 s.SetLine(1, {4097, kTargetTrue, kTargetFalse, {}});
                 s.AppendLine({0, 2, kTargetFalse, {}});
             });
         },
         {"warning unreachable BHAV #4096 \"main\", line 3"},
         [](CIffFile& f) {
             ChangeScript(f, 4096, [](CBhavScript& s) {
                 s.SetLine(1, {4097, 2, kTargetFalse, {}});
                 s.SetLine(2, {256, 3, kTargetFalse, {}});
             });
         }},
        {"a call to a private script the file lacks",
         [](CIffFile& f) { ChangeScript(f, 4097, [](CBhavScript& s) { s.SetLine(0, {4200, kTargetTrue, kTargetFalse, {}}); }); },
         {"error missing-call BHAV #4097 \"helper\", line 1"},
         [](CIffFile& f) { StoreScript(f, 4200, "made", {{0, kTargetTrue, kTargetFalse, {}}}); }},
        {"a call to a global script the loaded global file lacks",
         [](CIffFile& f) { ChangeScript(f, 4097, [](CBhavScript& s) { s.SetLine(0, {300, kTargetTrue, kTargetFalse, {}}); }); },
         {"error missing-call BHAV #4097 \"helper\", line 1"},
         [](CIffFile& f) { ChangeScript(f, 4097, [](CBhavScript& s) { s.SetLine(0, {256, kTargetTrue, kTargetFalse, {}}); }); }},
        {"an object's entry point naming a missing script",
         [](CIffFile& f) { ChangeObject(f, 128, "init script", 4300); },
         {"error missing-script OBJD #128 \"Chair\": init script"},
         [](CIffFile& f) { ChangeObject(f, 128, "init script", 4097); }},
        {"a function naming a missing script",
         [](CIffFile& f) {
             CObjectFunctions functions;
             ASSERT_TRUE(functions.Load(f, 128));
             ASSERT_TRUE(functions.SetFunction(11, {4097, 4301}));
             ASSERT_TRUE(functions.Store(f, 128));
         },
         {"error missing-script OBJf #128 \"Chair\": action of \"user placement\""},
         [](CIffFile& f) { StoreScript(f, 4301, "placed", {{0, kTargetTrue, kTargetFalse, {}}}); }},
        {"an interaction naming a missing tree",
         [](CIffFile& f) { ChangeInteraction(f, [](CInteraction& i) { i.checkTree = 4302; }); },
         {"error missing-script TTAB #128 \"menu\", interaction 0"},
         [](CIffFile& f) { ChangeInteraction(f, [](CInteraction& i) { i.checkTree = 4097; }); }},
        {"an interaction naming a string its names lack",
         [](CIffFile& f) { ChangeInteraction(f, [](CInteraction& i) { i.nameIndex = 3; }); },
         {"error missing-name TTAB #128 \"menu\", interaction 0"},
         [](CIffFile& f) { ChangeInteraction(f, [](CInteraction& i) { i.nameIndex = 0; }); }},
        {"an interaction whose name is empty",
         [](CIffFile& f) { StoreNames(f, 128, "", ""); },
         {"warning missing-name TTAB #128 \"menu\", interaction 0"},
         [](CIffFile& f) { StoreNames(f, 128, "Sit", "S'asseoir"); }},
        {"an interaction table without names",
         [](CIffFile& f) {
             CIffChunk names;
             names.type = kTypeTtas;
             names.id = 128;
             ASSERT_TRUE(f.RemoveChunk(names));
         },
         {"error no-names TTAB #128 \"menu\""},
         [](CIffFile& f) { StoreNames(f, 128, "Sit", "S'asseoir"); }},
        {"names without an interaction table",
         [](CIffFile& f) { StoreNames(f, 129, "Stand", "Se lever"); },
         {"warning no-table TTAs #129 \"names\""},
         [](CIffFile& f) {
             CIffChunk names;
             names.type = kTypeTtas;
             names.id = 129;
             ASSERT_TRUE(f.RemoveChunk(names));
         }},
        {"a GUID two objects of the file have",
         [](CIffFile& f) { ASSERT_TRUE(CreateObject(f, 129, "Chair part", 0x12345678, false)); ChangeObject(f, 129, "GUID", 0x00053216); },
         {"error guid OBJD #128 \"Chair\": GUID", "error guid OBJD #129 \"Chair part\": GUID"},
         [](CIffFile& f) { ChangeObject(f, 129, "GUID", 0x00053217); }},
        {"a GUID an object of the loaded files has",
         [](CIffFile& f) { ChangeObject(f, 128, "GUID", kLoadedGuid); },
         {"error guid OBJD #128 \"Chair\": GUID"},
         [](CIffFile& f) { ChangeObject(f, 128, "GUID", 0x00053216); }},
        {"a text USEnglish has and French leaves empty",
         [](CIffFile& f) {
             CStringTable table;
             ASSERT_TRUE(table.Load(f, kTypeStr, 129));
             ASSERT_TRUE(table.SetText(1, 2, ""));
             ASSERT_TRUE(table.Store(f, kTypeStr, 129));
         },
         {"note untranslated STR# #129 \"catalog\", row 1"},
         [](CIffFile& f) {
             CStringTable table;
             ASSERT_TRUE(table.Load(f, kTypeStr, 129));
             ASSERT_TRUE(table.SetText(1, 2, "Chaise"));
             ASSERT_TRUE(table.Store(f, kTypeStr, 129));
         }},
        {"a private script nothing refers to",
         [](CIffFile& f) { StoreScript(f, 4098, "spare", {{0, kTargetTrue, kTargetFalse, {}}}); },
         {"note unused-script BHAV #4098 \"spare\""},
         [](CIffFile& f) { ChangeObject(f, 128, "load script", 4098); }},
        {"a script that does not load",
         [](CIffFile& f) {
             CIffChunk chunk;
             chunk.type = kTypeBhav;
             chunk.id = 4099;
             chunk.name = "odd";
             const std::uint8_t data[12] = {0x04, 0x80};
             ASSERT_TRUE(f.PutChunk(chunk, data));
             ChangeObject(f, 128, "load script", 4099);
         },
         {"warning refused BHAV #4099 \"odd\""},
         [](CIffFile& f) { StoreScript(f, 4099, "odd", {{0, kTargetTrue, kTargetFalse, {}}}); }},
    };
    const CIffFile sound = SoundObject();
    EXPECT_EQ(Found(sound), std::vector<std::string>{});
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        CIffFile file = sound;
        c.breakIt(file);
        EXPECT_EQ(Found(file), c.expected);
        c.fix(file);
        EXPECT_EQ(Found(file), std::vector<std::string>{});
    }
}

TEST(FileProblems, SaysNothingOfFilesThatAreNotLoaded)
{
    // Without the game's files, calls and entry points into them cannot be judged; the file's own
    // scripts still can.
    CIffFile file = SoundObject();
    ChangeScript(file, 4097, [](CBhavScript& s) {
        s.SetLine(0, {300, 1, kTargetFalse, {}});
        s.AppendLine({8200, kTargetTrue, kTargetFalse, {}});
    });
    ChangeObject(file, 128, "GUID", kLoadedGuid);
    std::vector<std::string> found;
    for (const CProblem& problem : FindFileProblems(file, "Chair.iff", "Seating", CNeededFiles()))
        found.push_back(ProblemKindWord(problem.kind));
    EXPECT_EQ(found, std::vector<std::string>{});
    // Without a semi-global file, 8192 and up are the file's own scripts.
    found.clear();
    for (const CProblem& problem : FindFileProblems(file, "Chair.iff", "", CNeededFiles()))
        found.push_back(ProblemPlaceText(problem) + ' ' + problem.message);
    EXPECT_EQ(found, std::vector<std::string>{"BHAV #4097 \"helper\", line 2 Line 2 calls script #8200, which this file does not hold."});
}

TEST(FileProblems, LintExitsOneOnlyForErrors)
{
    struct CCase
    {
        const char* what;
        std::function<void(CIffFile&)> change;
        int status;
        const char* problems;  // the JSON list
    };
    const CCase cases[] = {
        {"none", [](CIffFile&) {}, 0, "[]"},
        {"a note", [](CIffFile& f) { StoreScript(f, 4098, "spare", {{0, kTargetTrue, kTargetFalse, {}}}); }, 0,
         R"([{"severity": "note", "kind": "unused-script", "type": "BHAV", "id": 4098, "name": "spare",
              "message": "Nothing in this file calls this private script or names it as an entry point or tree."}])"},
        {"an error", [](CIffFile& f) { ChangeObject(f, 128, "init script", 4300); }, 1,
         R"([{"severity": "error", "kind": "missing-script", "type": "OBJD", "id": 128, "name": "Chair",
              "field": "init script", "offset": 86,
              "message": "The init script is script #4300, which this file does not hold."}])"},
    };
    const std::filesystem::path folder = FreshTestFolder("treewright-lint-");
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        CIffFile file = SoundObject();
        c.change(file);
        CFileStream stream;
        ASSERT_TRUE(stream.Open((folder / "Chair.iff").string(), CFileStream::EMode::Create) && file.Write(&stream) &&
                    stream.Close());
        std::string out, err;
        EXPECT_EQ(RunCli(ExpandPaths("lint {Chair.iff} --json", folder), folder / "stderr.txt", out, err), c.status);
        const nlohmann::json document = nlohmann::json::parse(out, nullptr, false);
        EXPECT_EQ(document["problems"], nlohmann::json::parse(c.problems)) << out;
        EXPECT_EQ(RunCli(ExpandPaths("lint {Chair.iff}", folder), folder / "stderr.txt", out, err), c.status);
    }
    std::filesystem::remove_all(folder);
}
