// The record commands of the command-line tool, each run as a user's script would run it: what
// they write, what they print, and that a refused command writes nothing.

#include "CliRunner.h"

#include "containers/ByteStream.h"
#include "containers/ChunkSnapshot.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/BhavScript.h"
#include "records/InteractionTable.h"
#include "records/RecordEditing.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace
{
using Json = nlohmann::json;

class CWorkbenchCommands : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = FreshTestFolder("treewright-workbench-");

        CIffFile object;
        PutScript(object, 4096, {2, 4097}, "init");
        PutScript(object, 4097, {4096}, "main");
        CInteractionTable table;
        ASSERT_TRUE(CreateRecord(object, ERecordKind::Interactions, 128, "menu") && table.Load(object, 128));
        CInteraction interaction;
        interaction.actionTree = 4097;
        interaction.checkTree = 4096;
        table.AddInteraction(interaction);
        ASSERT_TRUE(table.Store(object, 128));
        Save(object, "object.iff");

        CIffFile other;
        PutScript(other, 4096, {5, 6, 7}, "their init");
        PutScript(other, 4200, {}, "theirs only");
        Save(other, "other.iff");
    }

    void TearDown() override { std::filesystem::remove_all(m_folder); }

    static void PutScript(CIffFile& container, std::uint16_t id, std::vector<std::uint16_t> opcodes,
                          const std::string& name)
    {
        CBhavScript script;
        script.SetName(name);
        for (const std::uint16_t opcode : opcodes)
            script.AppendLine({opcode, kTargetTrue, kTargetFalse, {}});
        ASSERT_TRUE(script.Store(container, id));
    }

    void Save(CIffFile& container, const std::string& name) const
    {
        CFileStream file;
        ASSERT_TRUE(file.Open(Path(name), CFileStream::EMode::Create) && container.Write(&file) && file.Close());
    }

    CIffFile Load(const std::string& name) const
    {
        CIffFile container;
        CFileStream file;
        EIffRead code = EIffRead::Ok;
        EXPECT_TRUE(file.Open(Path(name), CFileStream::EMode::Read) && container.Read(&file, code)) << name;
        return container;
    }

    std::string Path(const std::string& name) const { return (m_folder / name).string(); }

    std::string Expand(const std::string& arguments) const { return ExpandPaths(arguments, m_folder); }

    std::filesystem::path m_folder;
};

CChunkSnapshot Chunk(const CIffFile& container, std::uint32_t type, std::uint16_t id)
{
    return TakeChunkSnapshot(container, type, id);
}
}

TEST_F(CWorkbenchCommands, EachCommandWritesItsChangeOrNothing)
{
    struct CCase
    {
        std::string arguments;
        int status;
        std::string error;  // stderr, exactly; "*" for any
        Json printed;       // keys the JSON document must hold; null for no JSON
        std::function<void(const CIffFile& in, const CIffFile& out)> check;  // on OUT when written
    };
    const CIffFile object = Load("object.iff");
    const std::vector<CCase> cases = {
        {"new-record {object.iff} script {out.iff} --name helper --json", 0, "",
         {{"type", "BHAV"}, {"id", 4098}, {"name", "helper"}, {"chunks", {"BHAV"}}},
         [](const CIffFile&, const CIffFile& out) {
             CBhavScript script;
             ASSERT_TRUE(script.Load(out, 4098));
             EXPECT_EQ(script.Name(), "helper");
             EXPECT_EQ(script.Lines().size(), 1u);
         }},
        {"new-record {object.iff} TTAB {out.iff} --id 0x200 --name Caf\xC3\xA9 --json", 0, "",
         {{"id", 512}, {"name", "Caf\u00e9"}, {"chunks", {"TTAB", "TTAs"}}},
         [](const CIffFile&, const CIffFile& out) { EXPECT_EQ(Chunk(out, kTypeTtab, 512).name, "Caf\xE9"); }},
        {"new-record {object.iff} script {out.iff} --id 4097", 1, "#4097 is in use by another Script.\n", nullptr, {}},
        {"new-record {object.iff} constants {out.iff} --id 5 --json", 1, "Ids of Constant Tables go from 128 to 65535.\n",
         {{"file", Path("object.iff")}, {"error", "id"}, {"message", "Ids of Constant Tables go from 128 to 65535."}}, {}},
        {"new-record {object.iff} strings {out.iff} --name \xE2\x82\xAC\xE2\x86\x92", 1,
         "A name holds only characters of windows-1252.\n", nullptr, {}},
        {"new-record {object.iff} sprites {out.iff}", 2, "*", nullptr, {}},
        {"duplicate-record {object.iff} interactions 128 {out.iff} --json", 0, "",
         {{"from", 128}, {"id", 129}, {"name", "copy of menu"}, {"chunks", {"TTAB", "TTAs"}}},
         [](const CIffFile& in, const CIffFile& out) {
             EXPECT_EQ(Chunk(out, kTypeTtab, 129).data, Chunk(in, kTypeTtab, 128).data);
             EXPECT_EQ(Chunk(out, kTypeTtas, 129).name, "menu");
         }},
        {"rename-record {object.iff} BHAV 4096 {out.iff} --id 4100 --name setup --json", 0, "",
         {{"old_id", 4096}, {"old_name", "init"}, {"id", 4100}, {"name", "setup"},
          {"updated", Json::parse(R"([{"type": "BHAV", "id": 4097, "name": "main", "line": 1},
             {"type": "TTAB", "id": 128, "name": "menu", "interaction": 0, "tree": "check"}])")},
          {"not_updated", Json::array()}, {"called_from_other_files", false}},
         [](const CIffFile& in, const CIffFile& out) {
             EXPECT_FALSE(Chunk(out, kTypeBhav, 4096).present);
             EXPECT_EQ(Chunk(out, kTypeBhav, 4100).data, Chunk(in, kTypeBhav, 4096).data);
             EXPECT_EQ(FindScriptReferences(out, 4100).size(), 2u);
         }},
        {"rename-record {object.iff} BHAV 4096 {out.iff} --id 4100 --keep-references --json", 0, "",
         {{"updated", Json::array()}, {"not_updated", Json::parse(R"([{"type": "BHAV", "id": 4097, "name": "main", "line": 1},
             {"type": "TTAB", "id": 128, "name": "menu", "interaction": 0, "tree": "check"}])")}},
         [](const CIffFile& in, const CIffFile& out) {
             EXPECT_EQ(Chunk(out, kTypeBhav, 4097), Chunk(in, kTypeBhav, 4097));
             EXPECT_EQ(Chunk(out, kTypeTtab, 128), Chunk(in, kTypeTtab, 128));
         }},
        {"rename-record {object.iff} script 4096 {out.iff}", 2, "*", nullptr, {}},
        {"delete-record {object.iff} script 4096 {out.iff} --json", 0, "",
         {{"id", 4096}, {"name", "init"},
          {"references", Json::parse(R"([{"type": "BHAV", "id": 4097, "name": "main", "line": 1},
             {"type": "TTAB", "id": 128, "name": "menu", "interaction": 0, "tree": "check"}])")}},
         [](const CIffFile& in, const CIffFile& out) {
             EXPECT_FALSE(Chunk(out, kTypeBhav, 4096).present);
             EXPECT_EQ(out.Chunks().size(), in.Chunks().size() - 1);  // nothing but the script went
         }},
        {"copy-record {other.iff} script 4096 {object.iff} {out.iff} --json", 1,
         "#4096 is in use by another Script. Give --replace to replace it.\n", {{"error", "id"}}, {}},
        {"copy-record {other.iff} script 4096 {object.iff} {out.iff} --replace --json", 0, "",
         {{"name", "their init"}, {"replaced", true}},
         [](const CIffFile&, const CIffFile& out) {
             CBhavScript script;
             ASSERT_TRUE(script.Load(out, 4096));
             EXPECT_EQ(script.Lines().size(), 3u);
         }},
        {"copy-record {other.iff} constants 128 {object.iff} {out.iff} --json", 1, "BCON #128: no such record\n",
         {{"error", "no-record"}}, {}},
    };
    for (const CCase& test : cases)
    {
        SCOPED_TRACE(test.arguments);
        std::filesystem::remove(Path("out.iff"));
        std::string out, err;
        ASSERT_EQ(RunCli(Expand(test.arguments), m_folder / "stderr.txt", out, err), test.status) << err;
        if (test.error != "*")
        {
            EXPECT_EQ(err, test.error);
        }
        if (!test.printed.is_null())
        {
            const Json printed = Json::parse(out, nullptr, false);
            for (const auto& [key, value] : test.printed.items())
                EXPECT_EQ(printed[key], value) << key;
        }
        EXPECT_EQ(std::filesystem::exists(Path("out.iff")), test.status == 0);
        if (test.status == 0 && test.check)
            test.check(object, Load("out.iff"));
    }
}

TEST_F(CWorkbenchCommands, ASmallObjectIsBuiltFromAnEmptyFile)
{
    std::string out, err;
    const auto run = [&](const std::string& arguments) {
        EXPECT_EQ(RunCli(Expand(arguments), m_folder / "stderr.txt", out, err), 0) << arguments << '\n' << err;
    };
    run("new-file {new.iff}");
    run("new-record {new.iff} script {new.iff} --name main");
    run("new-record {new.iff} interactions {new.iff} --name menu");
    run("duplicate-record {new.iff} script 4096 {new.iff}");
    run("rename-record {new.iff} script 4097 {new.iff} --name check");
    run("copy-record {other.iff} script 4200 {new.iff} {new.iff}");
    run("delete-record {new.iff} script 4200 {new.iff}");

    const CIffFile built = Load("new.iff");
    std::vector<std::string> chunks;
    for (const CIffChunk& chunk : built.Chunks())
        chunks.push_back(TypeCodeText(chunk.type) + " " + std::to_string(chunk.id) + " " + chunk.name);
    EXPECT_EQ(chunks, (std::vector<std::string>{"BHAV 4096 main", "TTAB 128 menu", "TTAs 128 menu", "BHAV 4097 check",
                                                "rsmp 0 "}));
}

// docs/cli.md is the tool's contract: the refusals it quotes are the ones the tool prints.
TEST_F(CWorkbenchCommands, TheContractQuotesTheRefusalsAsPrinted)
{
    std::ifstream docs(TREEWRIGHT_SOURCE_DIR "/docs/cli.md");
    ASSERT_TRUE(docs) << "docs/cli.md not found";
    const std::string contract((std::istreambuf_iterator<char>(docs)), std::istreambuf_iterator<char>());
    // Each command refuses with the message that the contract quotes for it.
    const char* const commands[] = {
        "new-record {object.iff} script {out.iff} --id 9000",
        "new-record {object.iff} script {out.iff} --id 4096",
    };
    for (const char* command : commands)
    {
        std::string out, err;
        EXPECT_EQ(RunCli(Expand(command), m_folder / "stderr.txt", out, err), 1) << command;
        while (!err.empty() && err.back() == '\n')
            err.pop_back();
        EXPECT_NE(contract.find('"' + err + '"'), std::string::npos) << command << ": \"" << err << "\" is not in docs/cli.md";
    }
}
