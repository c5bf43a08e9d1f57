// Comparing two versions of a file: the record commands make the changes, `diff` must find
// exactly those and nothing else; and each kind of record shows its changes at their places.

#include "CliRunner.h"

#include "analysis/FileComparison.h"
#include "containers/ByteStream.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/BhavScript.h"
#include "records/ConstantTable.h"
#include "records/InteractionTable.h"
#include "records/ObjectDefinition.h"
#include "records/RecordEditing.h"
#include "records/StringTable.h"
#include "rendering/NeededFiles.h"
#include "rendering/PlainTextRenderer.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace
{
using Json = nlohmann::json;

CBhavScript Script(const std::string& name, std::vector<CBhavInstruction> lines)
{
    CBhavScript script;
    script.SetName(name);
    script.ReplaceLines(std::move(lines));
    return script;
}

CIffFile BuildObject()
{
    CIffFile file;
    EXPECT_TRUE(Script("main", {{2, 1, kTargetFalse, {3, 1, 1280, 1800}}, {4097, kTargetTrue, kTargetFalse, {}}})
                    .Store(file, 4096));
    EXPECT_TRUE(Script("helper", {{0, kTargetTrue, kTargetFalse, {}}}).Store(file, 4097));
    CStringTable::CRow row{};
    row[0] = {"Sit", ""};
    row[2] = {"Asseoir", ""};
    EXPECT_TRUE(CStringTable::Languages({row}, CStringTable::kDefaultFormat, "names").Store(file, kTypeStr, 128));
    CConstantTable constants;
    constants.ReplaceValues({5, -1});
    constants.SetName("tuning");
    EXPECT_TRUE(constants.Store(file, 4096));
    EXPECT_TRUE(CreateRecord(file, ERecordKind::Interactions, 128, "menu"));
    CInteractionTable menu;
    EXPECT_TRUE(menu.Load(file, 128));
    CInteraction sit;
    sit.actionTree = 4096;
    sit.motives.resize(CInteraction::kStoredMotives);
    menu.AddInteraction(sit);
    EXPECT_TRUE(menu.Store(file, 128));
    EXPECT_TRUE(CreateObject(file, 128, "Chair", 0x00053216, true));
    return file;
}

bool WriteFile(const CIffFile& source, const std::string& path)
{
    CIffFile file = source;
    CFileStream stream;
    return stream.Open(path, CFileStream::EMode::Create) && file.Write(&stream) && stream.Close();
}

CFileComparison Compare(const CIffFile& a, const CIffFile& b)
{
    CNeededFiles filesA, filesB;
    filesA.Add(a, "a.iff");
    filesB.Add(b, "b.iff");
    return CompareFiles(a, CPlainTextRenderer(filesA, "a.iff", ""), b, CPlainTextRenderer(filesB, "b.iff", ""));
}

// "TYPE #id" of each record, and "TYPE #id place" of each change, in the comparison's order.
std::vector<std::string> Summary(const Json& document)
{
    std::vector<std::string> lines;
    for (const char* key : {"added", "removed"})
        for (const Json& record : document[key])
            lines.push_back(std::string(key) + ' ' + record["type"].get<std::string>() + " #" +
                            std::to_string(record["id"].get<int>()));
    for (const Json& record : document["changed"])
        for (const Json& change : record["changes"])
            lines.push_back("changed " + record["type"].get<std::string>() + " #" +
                            std::to_string(record["id"].get<int>()) + ' ' + change["place"].get<std::string>());
    return lines;
}
}

TEST(FileComparison, DiffFindsExactlyTheChangesTheRecordCommandsMade)
{
    struct CCase
    {
        std::vector<std::string> commands;  // each run on {b.iff}, writing it back
        std::vector<std::string> expected;
    };
    const CCase cases[] = {
        {{}, {}},
        {{"new-record {b.iff} script {b.iff} --id 4100 --name added"}, {"added BHAV #4100"}},
        {{"delete-record {b.iff} constants 4096 {b.iff}"}, {"removed BCON #4096"}},
        {{"delete-record {b.iff} interactions 128 {b.iff}"}, {"removed TTAB #128", "removed TTAs #128"}},
        {{"rename-record {b.iff} script 4097 {b.iff} --name \"choose seat\""}, {"changed BHAV #4097 name"}},
        // A new id is a record removed and one added; its callers' lines are not changed by it.
        {{"rename-record {b.iff} constants 4096 {b.iff} --id 4099"}, {"added BCON #4099", "removed BCON #4096"}},
        {{"set-object {b.iff} 128 {b.iff} --set price=450 --set \"main script\"=4096"},
         {"changed OBJD #128 main script", "changed OBJD #128 price"}},
        {{"duplicate-record {b.iff} script 4096 {b.iff} --id 4102", "set-object {b.iff} 128 {b.iff} --guid 7"},
         {"added BHAV #4102", "changed OBJD #128 GUID"}},
        {{"new-record {b.iff} objects {b.iff} --id 130 --with-functions"}, {"added OBJD #130", "added OBJf #130"}},
    };
    const std::filesystem::path folder = FreshTestFolder("treewright-diff-");
    ASSERT_TRUE(WriteFile(BuildObject(), (folder / "a.iff").string()));
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.commands.empty() ? "no change" : c.commands.front());
        std::filesystem::copy_file(folder / "a.iff", folder / "b.iff", std::filesystem::copy_options::overwrite_existing);
        std::string out, err;
        for (const std::string& command : c.commands)
            ASSERT_EQ(RunCli(ExpandPaths(command, folder), folder / "stderr.txt", out, err), 0) << command << err;
        const int status = RunCli(ExpandPaths("diff {a.iff} {b.iff} --json", folder), folder / "stderr.txt", out, err);
        EXPECT_EQ(status, c.expected.empty() ? 0 : 1) << err;
        const Json document = Json::parse(out, nullptr, false);
        ASSERT_FALSE(document.is_discarded()) << out;
        EXPECT_EQ(Summary(document), c.expected) << out;
    }
    std::string out, err;
    EXPECT_EQ(RunCli(ExpandPaths("diff {a.iff}", folder), folder / "stderr.txt", out, err), 2);
    std::filesystem::remove_all(folder);
}

TEST(FileComparison, ShowsEachKindsChangeAtItsPlace)
{
    struct CCase
    {
        const char* what;
        std::function<void(CIffFile&)> change;
        std::vector<std::string> expected;  // FormatEntryChange of each change, in order
    };
    const CCase cases[] = {
        {"a line's targets and parameter, with both descriptions", [](CIffFile& file) {
             CBhavScript script;
             ASSERT_TRUE(script.Load(file, 4096));
             script.SetLine(0, {2, kTargetTrue, 1, {3, 7, 1280, 1800}});
             ASSERT_TRUE(script.Store(file, 4096));
         },
         {"line 1: description \"Temporary Storage 3 Assign To: 1\" -> \"Temporary Storage 3 Assign To: 7\"; "
          "success goto line 2 -> return TRUE; failure return FALSE -> goto line 2; "
          "code Temp[0x0003] = 0x0001 -> Temp[0x0003] = 0x0007"}},
        {"a line added and its caller's description left alone", [](CIffFile& file) {
             CBhavScript script;
             ASSERT_TRUE(script.Load(file, 4097));
             ASSERT_TRUE(script.AppendLine({0, kTargetTrue, kTargetFalse, {}}));
             script.SetName("renamed");
             ASSERT_TRUE(script.Store(file, 4097));
         },
         {"name: \"helper\" -> \"renamed\"",
          "line 2: added: description \"Idle (Stack: 0, 0, 0, 0)\", success return TRUE, failure return FALSE, "
          "code Idle(0x0000, 0x0000, 0x0000, 0x0000);"}},
        {"a language's text", [](CIffFile& file) {
             CStringTable table;
             ASSERT_TRUE(table.Load(file, kTypeStr, 128));
             ASSERT_TRUE(table.SetText(0, 2, "S'asseoir"));
             ASSERT_TRUE(table.SetText(0, 3, "Sitzen"));
             ASSERT_TRUE(table.Store(file, kTypeStr, 128));
         },
         {"row 0 French: text \"Asseoir\" -> \"S'asseoir\"", "row 0 German: added: text \"Sitzen\""}},
        {"an interaction's field", [](CIffFile& file) {
             CInteractionTable table;
             ASSERT_TRUE(table.Load(file, 128));
             CInteraction sit = table.Interactions()[0];
             sit.checkTree = 4097;
             ASSERT_TRUE(table.SetInteraction(0, sit));
             ASSERT_TRUE(table.Store(file, 128));
         },
         {"interaction 0: check tree 0 -> 4097"}},
        {"a constant removed", [](CIffFile& file) {
             CConstantTable table;
             ASSERT_TRUE(table.Load(file, 4096));
             ASSERT_TRUE(table.RemoveValue(1));
             ASSERT_TRUE(table.Store(file, 4096));
         },
         {"constant 1: removed: -1"}},
        {"a kind not edited: its bytes", [](CIffFile& file) {
             CIffChunk chunk;
             chunk.type = MakeTypeCode("SPR2");
             chunk.id = 1;
             const std::uint8_t data[] = {1, 2, 3};
             ASSERT_TRUE(file.PutChunk(chunk, data));
         },
         {"bytes differ"}},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        CIffFile a = BuildObject();
        CIffChunk sprite;
        sprite.type = MakeTypeCode("SPR2");
        sprite.id = 1;
        const std::uint8_t data[] = {1, 2, 4};
        ASSERT_TRUE(a.PutChunk(sprite, data));
        CIffFile b = a;
        c.change(b);
        const CFileComparison comparison = Compare(a, b);
        EXPECT_TRUE(comparison.added.empty());
        EXPECT_TRUE(comparison.removed.empty());
        ASSERT_EQ(comparison.changed.size(), 1u);
        std::vector<std::string> shown;
        for (const CEntryChange& change : comparison.changed[0].changes)
            shown.push_back(FormatEntryChange(change));
        EXPECT_EQ(shown, c.expected);
        EXPECT_TRUE(Compare(b, b).Same());
    }
}
