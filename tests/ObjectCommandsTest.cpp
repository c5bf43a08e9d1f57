// The object commands of the command-line tool, run as a user's script would: what `objects`
// shows, where `set-object` writes, that `clone` changes GUIDs only, and entry points in the
// reference lists of `references` and `delete-record`.

#include "CliRunner.h"

#include "containers/ByteOrder.h"
#include "containers/ByteStream.h"
#include "containers/ChunkSnapshot.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/BhavScript.h"
#include "records/ObjectDefinition.h"
#include "records/ObjectFunctions.h"
#include "records/RecordEditing.h"
#include "records/SemiGlobalReference.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

namespace
{
using Json = nlohmann::json;
using Bytes = std::vector<std::uint8_t>;

class CObjectCommands : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = FreshTestFolder("treewright-objects-");
        CIffFile object;
        for (const auto& [id, name] : {std::pair<std::uint16_t, const char*>{4096, "main"}, {4097, "helper"}})
        {
            CBhavScript script;
            script.SetName(name);
            script.AppendLine({0, kTargetTrue, kTargetFalse, {}});
            ASSERT_TRUE(script.Store(object, id));
        }
        ASSERT_TRUE(CreateObject(object, 128, "Chair", 0x00053216, true));
        CObjectDefinition chair;
        ASSERT_TRUE(chair.Load(object, 128));
        for (const auto& [field, value] : {std::pair<const char*, std::uint16_t>{"main script", 4096},
                                           {"init script", 4097},
                                           {"pickup script", 8192},
                                           {"load script", 4200},
                                           {"cleanup script", 256}})
            chair.SetValue(*ObjectFieldOffset(field), value);
        ASSERT_TRUE(chair.Store(object, 128));
        CObjectFunctions functions;
        ASSERT_TRUE(functions.Load(object, 128));
        ASSERT_TRUE(functions.SetFunction(11, {4097, 4096}));
        ASSERT_TRUE(functions.Store(object, 128));
        ASSERT_TRUE(CreateObject(object, 129, "Chair part", 0x00053217, false));
        ASSERT_TRUE(StoreSemiGlobalName(object, "Seating", ""));
        CFileStream file;
        ASSERT_TRUE(file.Open(Path("object.iff"), CFileStream::EMode::Create) && object.Write(&file) && file.Close());
        m_object = object;
    }

    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::string Path(const std::string& name) const { return (m_folder / name).string(); }

    CIffFile Load(const std::string& name) const
    {
        CIffFile container;
        CFileStream file;
        EIffRead code = EIffRead::Ok;
        EXPECT_TRUE(file.Open(Path(name), CFileStream::EMode::Read) && container.Read(&file, code)) << name;
        return container;
    }

    int Run(const std::string& arguments, std::string& out, std::string& err) const
    {
        return RunCli(ExpandPaths(arguments, m_folder), m_folder / "stderr.txt", out, err);
    }

    Json RunJson(const std::string& arguments, int status = 0) const
    {
        std::string out, err;
        EXPECT_EQ(Run(arguments, out, err), status) << arguments << "\n" << err;
        return Json::parse(out, nullptr, false);
    }

    std::filesystem::path m_folder;
    CIffFile m_object;
};
}

TEST_F(CObjectCommands, ObjectsShowsFieldsEntryPointsAndFunctions)
{
    const Json objects = RunJson("objects {object.iff} --json")["objects"];
    ASSERT_EQ(objects.size(), 2u);
    const Json& chair = objects[0];
    EXPECT_EQ(chair["name"], "Chair");
    EXPECT_EQ(chair["version"], 142);
    EXPECT_EQ(chair["guid"], "0x00053216");
    ASSERT_EQ(chair["fields"].size(), 102u);  // 214 bytes: 105 16-bit fields, three pairs of them GUIDs
    EXPECT_EQ(chair["fields"][0], Json::parse(R"({"offset": 4, "name": "initial stack size", "value": 0})"));
    EXPECT_EQ(chair["fields"][12], Json::parse(R"({"offset": 28, "name": "GUID", "value": 340502})"));
    EXPECT_EQ(chair["entry_points"], Json::parse(R"([
        {"field": "main script", "offset": 10, "id": 4096, "script": "main", "where": "file"},
        {"field": "init script", "offset": 86, "id": 4097, "script": "helper", "where": "file"},
        {"field": "load script", "offset": 94, "id": 4200, "script": "", "where": "missing"},
        {"field": "cleanup script", "offset": 104, "id": 256, "script": "", "where": "global"},
        {"field": "pickup script", "offset": 148, "id": 8192, "script": "", "where": "semi-global"}])"));
    ASSERT_EQ(chair["functions"].size(), 30u);
    EXPECT_EQ(chair["functions"][11], Json::parse(R"({"index": 11, "function": "user placement", "check": 4097,
        "action": 4096, "check_script": "helper", "action_script": "main"})"));
    EXPECT_EQ(objects[1]["functions"], Json::array());
}

TEST_F(CObjectCommands, SetObjectWritesAtTheFieldsOffsetsOrRefusesWithAReason)
{
    struct CCase
    {
        std::string options;
        int status;
        std::string error;                                    // failures: the error word
        std::vector<std::pair<std::size_t, Bytes>> written;  // success: bytes at offsets, the rest unchanged
    };
    const std::vector<CCase> cases = {
        {"--set price=450 --set 46=-2", 0, "", {{36, {0xC2, 0x01}}, {46, {0xFE, 0xFF}}}},
        {"--set 'main script=0x1001' --guid 0xCAFE", 0, "", {{10, {0x01, 0x10}}, {28, {0xFE, 0xCA, 0, 0}}}},
        {"--set 'original GUID=4294967295'", 0, "", {{140, {0xFF, 0xFF, 0xFF, 0xFF}}}},
        {"--set 'main script=70000'", 1, "field", {}},
        {"--set 214=1", 1, "field", {}},
        {"--set 30=1", 1, "field", {}},
        {"--guid 0x00053217", 1, "guid", {}},
        {"--set GUID=340503", 1, "guid", {}},
        {"--set nonsense=1", 2, "usage", {}},
        {"--set price", 2, "usage", {}},
        {"--guid 0x100000000", 2, "usage", {}},
        {"", 2, "usage", {}},
    };
    const Bytes before = TakeChunkSnapshot(m_object, kTypeObjd, 128).data;
    for (const CCase& c : cases)
    {
        std::filesystem::remove(Path("out.iff"));
        const Json result = RunJson("set-object {object.iff} 128 {out.iff} " + c.options + " --json", c.status);
        if (c.status != 0)
        {
            EXPECT_EQ(result["error"], c.error) << c.options;
            EXPECT_FALSE(std::filesystem::exists(Path("out.iff"))) << c.options;
            continue;
        }
        Bytes expected = before;
        for (const auto& [offset, bytes] : c.written)
            std::copy(bytes.begin(), bytes.end(), expected.begin() + std::ptrdiff_t(offset));
        EXPECT_EQ(TakeChunkSnapshot(Load("out.iff"), kTypeObjd, 128).data, expected) << c.options;
        EXPECT_EQ(result["changed"].size(), c.written.size()) << c.options;
    }

    std::string out, err;
    EXPECT_EQ(Run("set-object {object.iff} 128 {out.iff} --guid 0x00053217", out, err), 1);
    EXPECT_EQ(err, "GUID 0x00053217 is in use by OBJD #129 \"Chair part\".\n");

    const Json drawn = RunJson("set-object {object.iff} 129 {out.iff} --guid new --json");
    EXPECT_NE(drawn["guid"], "0x00053216");
    EXPECT_NE(drawn["guid"], "0x00053217");
}

TEST_F(CObjectCommands, CloneGivesEveryObjectANewGuidAndChangesNothingElse)
{
    const Json clone = RunJson("clone {object.iff} {clone.iff} --json");
    ASSERT_EQ(clone["guids"].size(), 2u);
    EXPECT_EQ(clone["guids"][0]["old"], "0x00053216");
    EXPECT_EQ(clone["guids"][1]["old"], "0x00053217");
    EXPECT_NE(clone["guids"][0]["new"], clone["guids"][1]["new"]);

    const CIffFile cloned = Load("clone.iff");
    for (const CIffChunk& chunk : m_object.Chunks())
    {
        CChunkSnapshot expected = TakeChunkSnapshot(m_object, chunk.type, chunk.id);
        CChunkSnapshot got = TakeChunkSnapshot(cloned, chunk.type, chunk.id);
        if (chunk.type == kTypeObjd)
        {
            EXPECT_NE(ReadLE32(got.data.data() + 28), ReadLE32(expected.data.data() + 28));
            WriteLE32(got.data.data() + 28, ReadLE32(expected.data.data() + 28));
        }
        EXPECT_EQ(got, expected) << TypeCodeText(chunk.type) << " " << chunk.id;
    }
}

TEST_F(CObjectCommands, EntryPointsAreListedWhereverReferencesAre)
{
    const Json references = RunJson("references {object.iff} 4096 --json")["references"];
    EXPECT_EQ(references, Json::parse(R"([
        {"file": "object.iff", "type": "OBJD", "id": 128, "name": "Chair", "field": "main script", "offset": 10},
        {"file": "object.iff", "type": "OBJf", "id": 128, "name": "Chair", "index": 11, "function": "user placement",
         "role": "action"}])"));

    const Json deleted = RunJson("delete-record {object.iff} script 4097 {out.iff} --json");
    EXPECT_EQ(deleted["references"], Json::parse(R"([
        {"type": "OBJD", "id": 128, "name": "Chair", "field": "init script", "offset": 86},
        {"type": "OBJf", "id": 128, "name": "Chair", "index": 11, "function": "user placement", "role": "check"}])"));

    std::string out, err;
    ASSERT_EQ(Run("references {object.iff} 4097", out, err), 0) << err;
    EXPECT_EQ(out, "References to BHAV #4097 \"helper\": 2\n"
                   "object.iff: OBJD #128 \"Chair\": init script\n"
                   "object.iff: OBJf #128: check of \"user placement\"\n");
}

TEST_F(CObjectCommands, ObjectsAreMadeCopiedAndDeletedAsRecords)
{
    const Json made = RunJson("new-record {object.iff} objects {out.iff} --name Sofa --with-functions --json");
    EXPECT_EQ(made["id"], 130);
    EXPECT_EQ(made["chunks"], Json::parse(R"(["OBJD", "OBJf"])"));
    EXPECT_NE(made["guid"], "0x00053216");
    const Json plain = RunJson("new-record {object.iff} OBJD {out.iff} --json");
    EXPECT_EQ(plain["chunks"], Json::parse(R"(["OBJD"])"));
    RunJson("new-record {object.iff} script {out.iff} --with-functions --json", 2);

    const Json copy = RunJson("duplicate-record {object.iff} objects 128 {out.iff} --json");
    EXPECT_EQ(copy["chunks"], Json::parse(R"(["OBJD", "OBJf"])"));
    EXPECT_NE(copy["guid"], "0x00053216");
    const Json gone = RunJson("delete-record {object.iff} objects 128 {out.iff} --json");
    EXPECT_EQ(gone["chunks"], Json::parse(R"(["OBJD", "OBJf"])"));
    EXPECT_FALSE(TakeChunkSnapshot(Load("out.iff"), kTypeObjf, 128).present);
}
