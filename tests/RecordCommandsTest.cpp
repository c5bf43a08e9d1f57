#include "CliRunner.h"
#include "LanguageSamples.h"

#include "containers/ByteStream.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "containers/Windows1252.h"
#include "records/BhavScript.h"
#include "records/InteractionTable.h"
#include "records/StringTable.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;
using Json = nlohmann::json;

struct CData
{
    Bytes bytes;

    CData& Byte(int value) { bytes.push_back(std::uint8_t(value)); return *this; }
    CData& LE16(int value) { return Byte(value & 0xFF).Byte((value >> 8) & 0xFF); }
    CData& BE16(int value) { return Byte((value >> 8) & 0xFF).Byte(value & 0xFF); }
    CData& LE32(std::uint32_t value) { return LE16(int(value & 0xFFFF)).LE16(int(value >> 16)); }
    CData& Text(const std::string& text) { bytes.insert(bytes.end(), text.begin(), text.end()); return *this; }
    CData& Line(int opcode, int whenTrue, int whenFalse)
    {
        return LE16(opcode).Byte(whenTrue).Byte(whenFalse).LE16(1).LE16(2).LE16(3).LE16(4);
    }
};

// A script whose line 1 is never reached: 0 -> (2, 255), 1 -> (254, 254), 2 -> (254, 255).
Bytes ScriptData()
{
    CData data;
    data.LE16(0x8002).LE16(3).LE32(0x01020304).LE32(0);
    data.Line(2, 2, 255).Line(3, 254, 254).Line(4, 254, 255);
    return data.bytes;
}

Bytes InteractionData()
{
    CInteraction interaction;
    interaction.actionTree = 4096;
    interaction.checkTree = 4097;
    interaction.flags = 0x0109;
    interaction.attenuationValue = 0.02f;
    interaction.autonomyThreshold = 50;
    interaction.motives.resize(16);
    interaction.motives[0] = {-10, 40, 3};
    const CInteractionTable table(9, {interaction});
    const CRecordResult<Bytes> data = table.Encode();
    EXPECT_TRUE(data);
    return data ? *data : Bytes();
}

// The later releases' layouts. Language sets: set 0 with the 0xFF byte some tables carry there,
// French, and Japanese as cp932 bytes carried as characters U+0080 to U+00FF.
Bytes LanguageSetsData()
{
    CData data;
    data.LE16(0xFFFC).Byte(20);
    for (int set = 0; set < 20; ++set)
    {
        if (set == 0)
            data.LE16(1).Byte(0xFF).Byte(3).Text("Sit").Byte(4).Text("verb");
        else if (set == 2)
            data.LE16(1).Byte(2).Byte(9).Text("S'asseoir").Byte(0);
        else if (set == 14)
            data.LE16(1).Byte(14).Byte(3).Text("\xC2\x83T").Byte(0);
        else
            data.LE16(0);
    }
    return data.bytes;
}

// Version 10: one interaction with 16 motive entries and its further flags.
Bytes SecondFlagsData()
{
    CData data;
    data.LE16(1).LE16(10).Byte(0);
    data.LE16(4096).LE16(4097).LE32(16).LE32(0x0109).LE32(0).LE32(7).LE32(0x3CA3D70A).LE32(50).LE32(0xFFFFFFFF);
    for (int m = 0; m < 16; ++m)
        data.LE16(m).LE16(2 * m).LE16(0);
    data.LE32(0x1E);
    return data.bytes;
}

class CRecordCommands : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = FreshTestFolder("treewright-records-");

        Put(kTypeBhav, 4096, ScriptData(), "main");
        Put(kTypeStr, 128, CData().BE16(2).Byte(5).Text("Chair").Byte(4).Text("Caf\xE9").bytes, "labels");
        Put(kTypeStr, 129,
            CData().LE16(0xFFFD).LE16(2).Byte(1).Text("Sit").Byte(0).Text("verb").Byte(0)
                .Byte(3).Text("S'asseoir").Byte(0).Byte(0).bytes,
            "languages");
        // Danish (code 8) and Finnish (code 11) keep slots of their own beside French.
        Put(kTypeTtas, 4096,
            CData().LE16(0xFFFD).LE16(3).Byte(1).Text("Sit").Byte(0).Byte(0).Byte(8).Text("Sid").Byte(0).Byte(0)
                .Byte(11).Text("Istu").Byte(0).Byte(0).bytes,
            "names");
        Put(kTypeStr, 130, CData().LE16(0xFFFE).LE16(2).Text("\x05" "five").Byte(0).Text("d").Byte(0).Text("two")
                               .Byte(0).Byte(0).bytes, "pairs");
        Put(kTypeStr, 131, CData().LE16(0xFFFF).LE16(2).Text("one").Byte(0).Text("two").Byte(0).bytes, "texts");
        Put(kTypeBhav, 4097,
            CData().LE16(0x8003).Byte(0).LE32(0x0A0B0C0D).Byte(0xEE).Byte(0).LE32(1).Line(2, 254, 255).bytes,
            "wide");
        // Records this program cannot edit faithfully, each refused with its reason.
        Put(kTypeBhav, 4100, CData().LE16(0x8004).LE16(0).LE32(0).LE32(0).bytes, "future");
        Put(kTypeStr, 132, LanguageSetsData(), "sets");
        Put(kTypeTtab, 4200, SecondFlagsData(), "later");
        Put(kTypeStr, 133, CData().LE16(0xFFFC).LE16(1).Byte(3).Text("abc").bytes, "cut sets");
        Put(kTypeTtab, 4201, CData().LE16(0).LE16(10).Byte(1).bytes, "tomorrow");
        Put(kTypeTtab, 4096, InteractionData(), "interactions");
        Put(kTypeBcon, 4096, Bytes{0x02, 0x80, 0x05, 0x00, 0xFF, 0xFF}, "constants");
        Put(kTypeStr, 300, CData().BE16(5).Byte(1).Text("a").bytes, "damaged");
        Put(kTypeGlob, 128, CData().Text("ChairGlobals").Byte(0).Byte(0xA3).bytes, "semi");
        // An object of each real layout beside a damaged one.
        CData object;
        object.LE32(138);
        for (int offset = 4; offset < 216; offset += 2)
            object.LE16(offset * 3);
        Put(kTypeObjd, 128, object.bytes, "chair");
        Put(kTypeObjd, 129, CData().LE32(142).LE16(1).LE16(2).LE16(3).bytes, "stub");
        Put(kTypeObjf, 128, CData().LE32(0).LE32(0).Text("fJBO").LE32(2).LE16(4096).LE16(0).LE16(0).LE16(4097).bytes,
            "chair");
        Put(kTypeObjf, 130, CData().LE32(0).LE32(0).Text("OBJf").LE32(0).bytes, "backwards");
        ASSERT_TRUE(Save(m_container, Path("object.iff")));
    }

    void TearDown() override { std::filesystem::remove_all(m_folder); }

    void Put(std::uint32_t type, std::uint16_t id, const Bytes& data, const std::string& name)
    {
        CIffChunk chunk;
        chunk.type = type;
        chunk.id = id;
        chunk.name = name;
        ASSERT_TRUE(m_container.PutChunk(chunk, data));
    }

    static bool Save(CIffFile& container, const std::string& path)
    {
        CFileStream file;
        return file.Open(path, CFileStream::EMode::Create) && container.Write(&file) && file.Close();
    }

    static CIffFile Load(const std::string& path)
    {
        CIffFile container;
        CFileStream file;
        EIffRead code = EIffRead::Ok;
        EXPECT_TRUE(file.Open(path, CFileStream::EMode::Read) && container.Read(&file, code));
        return container;
    }

    static Bytes DataOf(const CIffFile& container, std::uint32_t type, std::uint16_t id)
    {
        CIffChunk chunk;
        chunk.type = type;
        chunk.id = id;
        if (!container.FindChunk(chunk))
            return {};
        const auto span = container.ChunkData(chunk);
        return Bytes(span.begin(), span.end());
    }

    std::string Path(const std::string& name) const { return (m_folder / name).string(); }

    int Run(const std::string& arguments, std::string& out, std::string& err) const
    {
        return RunCli(arguments, m_folder / "stderr.txt", out, err);
    }

    Json RunJson(const std::string& arguments, int status = 0) const
    {
        std::string out, err;
        EXPECT_EQ(Run(arguments, out, err), status) << err;
        return Json::parse(out, nullptr, false);
    }

    std::string Object() const { return "'" + Path("object.iff") + "'"; }

    std::filesystem::path m_folder;
    CIffFile m_container;
};
}

TEST_F(CRecordCommands, StringsShowsBothLayouts)
{
    const Json plain = RunJson("strings " + Object() + " 128 --json");
    EXPECT_EQ(plain["type"], "STR#");
    EXPECT_EQ(plain["name"], "labels");
    EXPECT_EQ(plain["plain"], true);
    EXPECT_EQ(plain["strings"], Json::array({"Chair", "Caf\u00e9"}));

    const Json languages = RunJson("strings " + Object() + " 129 --json");
    EXPECT_EQ(languages["plain"], false);
    EXPECT_EQ(languages["format"], 0xFFFD);
    ASSERT_EQ(languages["rows"].size(), 1u);
    ASSERT_EQ(languages["rows"][0].size(), 21u);
    EXPECT_EQ(languages["rows"][0][0], Json::array({"Sit", "verb"}));
    EXPECT_EQ(languages["rows"][0][2], Json::array({"S'asseoir", ""}));

    const Json names = RunJson("strings " + Object() + " 0x1000 --type TTAs --json");
    EXPECT_EQ(names["type"], "TTAs");
    EXPECT_EQ(names["rows"][0][0][0], "Sit");
    EXPECT_EQ(names["rows"][0][7][0], "Sid");
    EXPECT_EQ(names["rows"][0][10][0], "Istu");

    const Json pairs = RunJson("strings " + Object() + " 130 --json");
    EXPECT_EQ(pairs["format"], 0xFFFE);
    EXPECT_EQ(pairs["rows"][0][0], Json::array({"\u0005five", "d"}));
    EXPECT_EQ(pairs["rows"][1][0], Json::array({"two", ""}));

    const Json sets = RunJson("strings " + Object() + " 132 --json");
    EXPECT_EQ(sets["format"], 65532);
    ASSERT_EQ(sets["rows"].size(), 1u);
    ASSERT_EQ(sets["rows"][0].size(), 21u);
    EXPECT_EQ(sets["rows"][0][0], Json::array({"Sit", "verb"}));
    EXPECT_EQ(sets["rows"][0][2], Json::array({"S'asseoir", ""}));
    EXPECT_EQ(sets["rows"][0][14], Json::array({"\u30B5", ""}));
    EXPECT_EQ(sets["rows"][0][20], Json::array({"", ""}));
    EXPECT_EQ(sets["languages"][0]["code_page"], "utf-8");
    EXPECT_EQ(sets["languages"][14]["code_page"], "cp932");

    std::string out, err;
    EXPECT_EQ(Run("strings " + Object() + " 129", out, err), 0);
    EXPECT_NE(out.find("French"), std::string::npos) << out;
    EXPECT_NE(out.find("S'asseoir"), std::string::npos) << out;
}

TEST_F(CRecordCommands, StringsShowEachLanguageInItsCodePage)
{
    std::vector<CStringTable::CRow> rows(1);
    for (const CLanguageSample& sample : LanguageSamples())
        rows[0][std::size_t(sample.slot)].text = sample.stored;
    constexpr int kJapanese = 14;
    rows[0][kJapanese].description = kBrokenJapanese;
    const CStringTable table = CStringTable::Languages(rows, CStringTable::kDefaultFormat, "languages");
    ASSERT_TRUE(table.Store(m_container, kTypeStr, 140));
    ASSERT_TRUE(Save(m_container, Path("languages.iff")));
    const std::string file = "'" + Path("languages.iff") + "' 140";

    const Json shown = RunJson("strings " + file + " --json");
    for (const CLanguageSample& sample : LanguageSamples())
        EXPECT_EQ(shown["rows"][0][sample.slot][0], sample.typed) << sample.slot;
    EXPECT_EQ(shown["rows"][0][kJapanese][1], kBrokenJapaneseShown);
    ASSERT_EQ(shown["languages"].size(), 21u);
    EXPECT_EQ(shown["languages"][16],
              Json::parse(R"({"code": 17, "name": "Simplified Chinese", "code_page": "cp936"})"));
    EXPECT_EQ(shown["languages"][17]["name"], "Traditional Chinese");

    // The old view, byte for byte.
    const Json raw = RunJson("strings " + file + " --raw-1252 --json");
    for (const CLanguageSample& sample : LanguageSamples())
        EXPECT_EQ(Utf8ToWindows1252(raw["rows"][0][sample.slot][0].get<std::string>()), sample.stored) << sample.slot;
    EXPECT_EQ(Utf8ToWindows1252(raw["rows"][0][kJapanese][1].get<std::string>()), kBrokenJapanese);

    std::string out, err;
    EXPECT_EQ(Run("strings " + file, out, err), 0);
    EXPECT_NE(out.find(LanguageSamples().back().typed), std::string::npos) << out;
}

TEST_F(CRecordCommands, RecordsThatDoNotLoadFailWithAMessage)
{
    std::string out, err;
    EXPECT_EQ(Run("strings " + Object() + " 300", out, err), 1);
    EXPECT_EQ(err, "STR# #300 \"damaged\": the table is damaged: it promises more than its data hold\n");
    EXPECT_EQ(Run("constants " + Object() + " 1", out, err), 1);
    EXPECT_EQ(err, "BCON #1: the table is not in the file\n");
    EXPECT_EQ(Run("script " + Object() + " 4100", out, err), 1);
    EXPECT_EQ(err, "BHAV #4100 \"future\": format 0x8004 is not one this program can edit\n");
    EXPECT_EQ(Run("strings " + Object() + " 128 --type BHAV", out, err), 2);
}

TEST_F(CRecordCommands, ConstantsAndInteractionsShowTheirFields)
{
    Json constants = RunJson("constants " + Object() + " 4096 --json");
    EXPECT_EQ(constants["file"], Path("object.iff"));
    constants.erase("file");
    EXPECT_EQ(constants, Json::parse(R"({"id": 4096, "name": "constants", "flags": 128, "values": [5, -1]})"));

    const Json table = RunJson("interactions " + Object() + " 4096 --json");
    EXPECT_EQ(table["version"], 9);
    ASSERT_EQ(table["interactions"].size(), 1u);
    const Json& interaction = table["interactions"][0];
    EXPECT_EQ(interaction["action_tree"], 4096);
    EXPECT_EQ(interaction["check_tree"], 4097);
    EXPECT_EQ(interaction["motive_count"], 16);
    EXPECT_EQ(interaction["flags"], 0x0109);
    EXPECT_EQ(interaction["attenuation_value"], 0.02);
    EXPECT_EQ(interaction["autonomy_threshold"], 50);
    EXPECT_EQ(interaction["extra_index"], -1);
    EXPECT_EQ(interaction["motives"][0], Json::array({-10, 40, 3}));
    EXPECT_FALSE(interaction.contains("flags2"));

    const Json later = RunJson("interactions " + Object() + " 4200 --json");
    EXPECT_EQ(later["version"], 10);
    ASSERT_EQ(later["interactions"].size(), 1u);
    EXPECT_EQ(later["interactions"][0]["flags2"], 0x1E);
    EXPECT_EQ(later["interactions"][0]["motives"][15], Json::array({15, 30, 0}));
    std::string out, err;
    EXPECT_EQ(Run("interactions " + Object() + " 4200", out, err), 0);
    EXPECT_NE(out.find("flags 2 0x0000001E"), std::string::npos) << out;
}

TEST_F(CRecordCommands, SetGlobKeepsAnUnchangedNameAndRewritesAChangedOne)
{
    EXPECT_EQ(RunJson("glob " + Object() + " --json")["semi_global"], "ChairGlobals");
    const Bytes original = DataOf(m_container, kTypeGlob, 128);

    std::string out, err;
    ASSERT_EQ(Run("set-glob " + Object() + " ChairGlobals '" + Path("same.iff") + "'", out, err), 0) << err;
    EXPECT_EQ(DataOf(Load(Path("same.iff")), kTypeGlob, 128), original);

    ASSERT_EQ(Run("set-glob " + Object() + " Sofas '" + Path("changed.iff") + "'", out, err), 0) << err;
    const Bytes changed = DataOf(Load(Path("changed.iff")), kTypeGlob, 128);
    ASSERT_EQ(changed.size(), 256u);
    EXPECT_EQ(Bytes(changed.begin(), changed.begin() + 6), (Bytes{5, 'S', 'o', 'f', 'a', 's'}));
    EXPECT_EQ(RunJson("glob '" + Path("changed.iff") + "' --json")["semi_global"], "Sofas");

    ASSERT_EQ(Run("set-glob " + Object() + " '' '" + Path("removed.iff") + "'", out, err), 0) << err;
    EXPECT_EQ(Load(Path("removed.iff")).FindFirstOfType(kTypeGlob), CIffFile::kNoPosition);
}

TEST_F(CRecordCommands, OptimizeRewritesTheScript)
{
    std::string out, err;
    ASSERT_EQ(Run("optimize " + Object() + " 4096 '" + Path("optimized.iff") + "'", out, err), 0) << err;
    CBhavScript script;
    ASSERT_TRUE(script.Load(Load(Path("optimized.iff")), 4096));
    ASSERT_EQ(script.Lines().size(), 2u);
    EXPECT_EQ(script.Lines()[0].trueTarget, 1);
    EXPECT_EQ(script.Lines()[1].opcode, 4);
}

TEST_F(CRecordCommands, RoundtripStoresEveryLoadableRecordUnchanged)
{
    std::string out, err;
    const Json counts = RunJson("roundtrip " + Object() + " '" + Path("again.iff") + "' --json");
    EXPECT_EQ(counts["stored"],
              Json::parse(R"({"BHAV": 2, "STR#": 5, "TTAs": 1, "BCON": 1, "TTAB": 2, "OBJD": 1, "OBJf": 1})"));
    EXPECT_EQ(counts["not_loaded"],
              Json::parse(R"({"BHAV": 1, "STR#": 2, "TTAs": 0, "BCON": 0, "TTAB": 1, "OBJD": 1, "OBJf": 1})"));

    // Every record here that loads is in a layout this program writes back as it found it, so the
    // bytes come back the same; the refused ones are left as they were.
    const CIffFile again = Load(Path("again.iff"));
    for (const CIffChunk& chunk : m_container.Chunks())
    {
        SCOPED_TRACE(TypeCodeText(chunk.type) + " " + std::to_string(chunk.id));
        EXPECT_EQ(DataOf(again, chunk.type, chunk.id), DataOf(m_container, chunk.type, chunk.id));
    }
    EXPECT_EQ(again.Chunks().size(), m_container.Chunks().size() + 1);  // and the new resource map

    ASSERT_EQ(Run("roundtrip " + Object() + " '" + Path("again.iff") + "'", out, err), 0) << err;
    EXPECT_NE(out.find("STR#: 5 stored, 2 not loaded"), std::string::npos) << out;
}

// Records that do not load may name the record too; `references` and `delete-record` give those
// that could, with the reason `check` gives.
TEST_F(CRecordCommands, ReferencesAndDeletingNameTheRecordsThatCouldNotBeRead)
{
    const Json future = {{"type", "BHAV"}, {"id", 4100}, {"name", "future"},
                         {"reason", "format 0x8004 is not one this program can edit"}};
    const Json tomorrow = {{"type", "TTAB"}, {"id", 4201}, {"name", "tomorrow"},
                           {"reason", "its header holds 0x01 where its layout has 0"}};
    const Json stub = {{"type", "OBJD"}, {"id", 129}, {"name", "stub"},
                       {"reason", "it is shorter than the 32 bytes its layout needs"}};
    const Json backwards = {{"type", "OBJf"}, {"id", 130}, {"name", "backwards"},
                            {"reason", "it does not begin as a function table does (eight zero bytes, then \"fJBO\")"}};
    const std::string out = " '" + Path("out.iff") + "' --json";
    struct CRow
    {
        std::string arguments;
        Json unread;
    };
    const CRow rows[] = {
        {"references " + Object() + " 4096 --json", Json::array({future, tomorrow, stub, backwards})},
        {"delete-record " + Object() + " script 4097" + out, Json::array({future, tomorrow, stub, backwards})},
        {"delete-record " + Object() + " strings 128" + out, Json::array({stub})},
        {"delete-record " + Object() + " interactions 4096" + out, Json::array({stub})},
        {"delete-record " + Object() + " constants 4096" + out, Json::array()},
        {"delete-record " + Object() + " objects 128" + out, Json::array()},
    };
    for (const CRow& row : rows)
    {
        SCOPED_TRACE(row.arguments);
        EXPECT_EQ(RunJson(row.arguments)["unread"], row.unread);
    }

    std::string text, err;
    ASSERT_EQ(Run("delete-record " + Object() + " strings 128 '" + Path("out.iff") + "'", text, err), 0) << err;
    EXPECT_NE(text.find("1 records of this file could not be read and may refer to it too:\n"
                        "OBJD #129 \"stub\": it is shorter than the 32 bytes its layout needs\n"),
              std::string::npos)
        << text;
}

// A file cut short is said by `info` and `check`, which count the bytes no whole chunk holds; an
// empty file or one shorter than a header is no container.
TEST_F(CRecordCommands, CutShortAndEmptyFilesAreSaid)
{
    std::ifstream in(Path("object.iff"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t whole = bytes.size();
    bytes.resize(whole - 9);
    const auto write = [&](const std::string& name, const std::string& content) {
        std::ofstream(Path(name), std::ios::binary) << content;
        return "'" + Path(name) + "'";
    };
    const std::string cut = write("cut.iff", bytes);
    // The last chunk loses its last 9 bytes; the reader says how much is lost, the tool passes it on.
    const std::uint64_t unread = Load(Path("cut.iff")).UnreadBytes();
    ASSERT_GT(unread, 9u);
    struct CRow
    {
        std::string arguments;
        int status;
        std::uint64_t unreadBytes;
    };
    const CRow rows[] = {
        {"info " + Object() + " --json", 0, 0},
        {"info " + cut + " --json", 0, unread},
        {"check " + cut + " --json", 1, unread},
    };
    for (const CRow& row : rows)
    {
        SCOPED_TRACE(row.arguments);
        EXPECT_EQ(RunJson(row.arguments, row.status)["unread_bytes"], row.unreadBytes);
    }
    std::string out, err;
    EXPECT_EQ(Run("check " + cut, out, err), 1);
    EXPECT_NE(out.find(std::to_string(unread) + " bytes of this file past its last whole chunk could not be read."),
              std::string::npos)
        << out;

    for (const std::string& content : {std::string(), std::string("IFF FILE 2.5:TYPE FOLLOWED BY SIZE")})
    {
        EXPECT_EQ(Run("info " + write("short.iff", content), out, err), 1);
        EXPECT_NE(err.find("This file is not an IFF file!"), std::string::npos) << err;
    }
}

TEST_F(CRecordCommands, CheckListsEveryRefusedRecordWithItsReason)
{
    const Json check = RunJson("check " + Object() + " --json", 1);
    EXPECT_EQ(check["records"], 19);
    // The language sets (132) and version 10 (4200) load; damaged instances of them do not.
    EXPECT_EQ(check["refused"], Json::parse(R"json([
        {"type": "BHAV", "id": 4100, "name": "future", "reason": "format 0x8004 is not one this program can edit"},
        {"type": "STR#", "id": 133, "name": "cut sets", "reason": "the table is damaged: it promises more than its data hold"},
        {"type": "STR#", "id": 300, "name": "damaged", "reason": "the table is damaged: it promises more than its data hold"},
        {"type": "TTAB", "id": 4201, "name": "tomorrow", "reason": "its header holds 0x01 where its layout has 0"},
        {"type": "OBJD", "id": 129, "name": "stub", "reason": "it is shorter than the 32 bytes its layout needs"},
        {"type": "OBJf", "id": 130, "name": "backwards",
         "reason": "it does not begin as a function table does (eight zero bytes, then \"fJBO\")"}])json"));

    std::string out, err;
    EXPECT_EQ(Run("check " + Object(), out, err), 1);
    EXPECT_NE(out.find("19 records tried, 6 refused"), std::string::npos) << out;
    EXPECT_EQ(Run("check '" + Path("again.iff") + "'", out, err), 1) << "a file that does not exist";

    CIffFile clean;
    CIffChunk chunk;
    chunk.type = kTypeBhav;
    chunk.id = 4096;
    ASSERT_TRUE(clean.PutChunk(chunk, ScriptData()));
    ASSERT_TRUE(Save(clean, Path("clean.iff")));
    EXPECT_EQ(RunJson("check '" + Path("clean.iff") + "' --json"),
              Json::parse(R"({"file": ")" + Path("clean.iff") + R"(", "records": 1, "refused": [], "unread_bytes": 0})"));
}
