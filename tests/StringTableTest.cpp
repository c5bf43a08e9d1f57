#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/StringTable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;

// Chunk data builders: numbers, raw bytes and text appended in order.
struct CData
{
    Bytes bytes;

    CData& Byte(int value) { bytes.push_back(std::uint8_t(value)); return *this; }
    CData& LE16(int value) { return Byte(value & 0xFF).Byte((value >> 8) & 0xFF); }
    CData& BE16(int value) { return Byte((value >> 8) & 0xFF).Byte(value & 0xFF); }
    CData& Text(const std::string& text) { bytes.insert(bytes.end(), text.begin(), text.end()); return *this; }
    // A language-layout entry: optional code byte, string, NUL, description, NUL.
    CData& Entry(int code, const std::string& text, const std::string& description = "")
    {
        if (code != 0)
            Byte(code);
        return Text(text).Byte(0).Text(description).Byte(0);
    }
    CData& Plain(const std::string& text) { return Byte(int(text.size())).Text(text); }
};

CData Languages(int entries, int format = 0xFFFD)
{
    CData data;
    data.LE16(format).LE16(entries);
    return data;
}

CStringTable Decoded(const Bytes& data, std::uint32_t type = kTypeStr)
{
    CStringTable table;
    EXPECT_TRUE(table.Decode(data, type));
    return table;
}

Bytes Encoded(const CStringTable& table, std::uint32_t type = kTypeStr)
{
    Bytes data;
    EXPECT_TRUE(table.Encode(type, data));
    return data;
}

constexpr int kFrench = 2;
constexpr int kGerman = 3;
}

TEST(StringTableLayout, SecondByteChoosesTheLayoutOfStr)
{
    const CStringTable plain = Decoded(CData().BE16(3).Plain("a").Plain("bc").Plain("").bytes);
    EXPECT_TRUE(plain.m_plain);
    EXPECT_EQ(plain.m_strings, (std::vector<std::string>{"a", "bc", ""}));

    for (const int high : {0xFD, 0xFE, 0xFF})
    {
        const CStringTable table = Decoded(Languages(1, 0x00 | (high << 8)).Entry(1, "x").bytes);
        EXPECT_FALSE(table.m_plain);
        EXPECT_EQ(table.m_format, high << 8);
        ASSERT_EQ(table.m_rows.size(), 1u);
    }
}

TEST(StringTableLayout, InteractionNamesAreAlwaysLanguageLayout)
{
    // As STR# these bytes would be a plain table of three strings.
    const Bytes data = CData().Byte(0).Byte(3).LE16(1).Entry(1, "Sit").bytes;
    const CStringTable table = Decoded(data, kTypeTtas);
    EXPECT_FALSE(table.m_plain);
    EXPECT_EQ(table.m_format, 0x0300);
    ASSERT_EQ(table.m_rows.size(), 1u);
    EXPECT_EQ(table.m_rows[0][0].text, "Sit");
}

TEST(StringTablePlain, StoresByteForByteAndCutsLongStrings)
{
    const Bytes data = CData().BE16(2).Plain("Hello").Plain("\xE9t\xE9").bytes;
    CStringTable table = Decoded(data);
    EXPECT_EQ(Encoded(table), data);

    table.m_strings.push_back(std::string(300, 'x'));
    const Bytes longer = Encoded(table);
    const Bytes expected = CData().BE16(3).Plain("Hello").Plain("\xE9t\xE9").Plain(std::string(255, 'x')).bytes;
    EXPECT_EQ(longer, expected);
}

TEST(StringTablePlain, FailsWhenTheDataEndEarly)
{
    const Bytes cases[] = {
        CData().bytes,                                  // no count
        CData().Byte(0).bytes,                          // half a count
        CData().BE16(3).Plain("a").Plain("b").bytes,    // count promises a third string
        CData().BE16(1).Byte(5).Text("abc").bytes,      // length promises more text
    };
    for (const Bytes& data : cases)
    {
        CStringTable table;
        table.m_strings = {"left over"};
        EXPECT_FALSE(table.Decode(data, kTypeStr));
        EXPECT_TRUE(table.m_strings.empty());
    }
}

TEST(StringTableLanguages, EveryCodeKeepsASlotOfItsOwn)
{
    // Codes 8 and 10 to 13 (Danish, Norwegian, Finnish, Hebrew, Russian) stand beside the
    // languages whose slots they once shared; storing gives each its own code back.
    const Bytes data = Languages(7)
                           .Entry(1, "Sit").Entry(3, "S'asseoir").Entry(8, "Sid").Entry(10, "Sitt")
                           .Entry(11, "Istu").Entry(13, "\xD1\xE5\xF1\xF2\xFC").Entry(21, "last", "code")
                           .bytes;
    const CStringTable table = Decoded(data, kTypeTtas);
    ASSERT_EQ(table.m_rows.size(), 1u);
    const int codes[] = {1, 3, 8, 10, 11, 13, 21};
    for (const int code : codes)
        EXPECT_FALSE(table.m_rows[0][std::size_t(CStringTable::SlotForCode(std::uint8_t(code)))].text.empty()) << code;
    EXPECT_EQ(Encoded(table, kTypeTtas), data);
    EXPECT_EQ(CStringTable::SlotForCode(22), -1);
    EXPECT_EQ(CStringTable::SlotForCode(31), -1);
}

TEST(StringTableLanguages, EntriesBeforeTheFirstCodeAreUSEnglish)
{
    // 0x80 and above start a string, they are no code.
    const Bytes data = Languages(2).Entry(0, "\x80uro", "money").Entry(0, "two").bytes;
    const CStringTable table = Decoded(data);
    ASSERT_EQ(table.m_rows.size(), 2u);
    EXPECT_EQ(table.m_rows[0][0], (CStringPair{"\x80uro", "money"}));
    EXPECT_EQ(table.m_rows[1][0].text, "two");
}

TEST(StringTableLanguages, RowsFollowTheLongestLanguage)
{
    // More French than USEnglish: the third French text gets a row and survives storing.
    const Bytes extra = Languages(5).Entry(1, "a").Entry(1, "b").Entry(3, "A").Entry(3, "B").Entry(3, "C").bytes;
    const CStringTable table = Decoded(extra);
    ASSERT_EQ(table.m_rows.size(), 3u);
    EXPECT_EQ(table.m_rows[2][kFrench].text, "C");
    EXPECT_EQ(Encoded(table),
              Languages(6).Entry(1, "a").Entry(1, "b").Entry(1, "").Entry(3, "A").Entry(3, "B").Entry(3, "C").bytes);

    // No USEnglish at all: the German rows stand on their own.
    const Bytes german = Languages(2).Entry(4, "Eins").Entry(4, "Zwei").bytes;
    EXPECT_EQ(Decoded(german).m_rows.size(), 2u);
    EXPECT_EQ(Decoded(Encoded(Decoded(german))).m_rows, Decoded(german).m_rows);

    const Bytes fewer = Languages(4).Entry(1, "a").Entry(1, "b").Entry(1, "c").Entry(4, "Eins", "d").bytes;
    const CStringTable padded = Decoded(fewer);
    ASSERT_EQ(padded.m_rows.size(), 3u);
    EXPECT_EQ(padded.m_rows[2][kGerman], CStringPair{});
    EXPECT_EQ(Encoded(padded), Languages(6)
                                   .Entry(1, "a").Entry(1, "b").Entry(1, "c")
                                   .Entry(4, "Eins", "d").Entry(4, "").Entry(4, "")
                                   .bytes);
}

TEST(StringTableLanguages, StoringDropsOnlyLanguagesWithNothingInThem)
{
    CStringTable table;
    table.m_rows.resize(2);
    table.m_rows[0][0] = {"Chair", "the object"};
    table.m_rows[1][0] = {"", "empty in English"};
    table.m_rows[0][kFrench] = {"", "a description alone"};
    table.m_rows[1][20] = {"last slot", ""};
    EXPECT_EQ(Encoded(table), Languages(6)
                                  .Entry(1, "Chair", "the object").Entry(1, "", "empty in English")
                                  .Entry(3, "", "a description alone").Entry(3, "")
                                  .Entry(21, "").Entry(21, "last slot")
                                  .bytes);

    // Rows can be read back from any language, but USEnglish stays while there are rows.
    CStringTable french;
    french.m_rows.resize(2);
    french.m_rows[1][kFrench].text = "Bonjour";
    EXPECT_EQ(Encoded(french), Languages(4).Entry(1, "").Entry(1, "").Entry(3, "").Entry(3, "Bonjour").bytes);

    CStringTable empty;
    EXPECT_EQ(Encoded(empty), Languages(0).bytes);
}

TEST(StringTableLanguages, CodelessFormsKeepTheirLayoutWhileTheyCan)
{
    struct CCase
    {
        const char* what;
        Bytes data;
        int slot;          // where an edit puts a text, -1 for none
        bool description;  // whether the edit is a description of USEnglish
        int storedFormat;
    };
    const Bytes pairs = Languages(2, 0xFFFE).Text("\x03one").Byte(0).Text("first").Byte(0).Text("two").Byte(0).Byte(0).bytes;
    const Bytes texts = Languages(2, 0xFFFF).Text("\x05one").Byte(0).Text("two").Byte(0).bytes;
    const CCase cases[] = {
        {"pairs unchanged", pairs, -1, false, 0xFFFE},
        {"pairs given a description", pairs, -1, true, 0xFFFE},
        {"pairs given French", pairs, kFrench, false, 0xFFFD},
        {"texts unchanged", texts, -1, false, 0xFFFF},
        {"texts given a description", texts, -1, true, 0xFFFD},
        {"texts given Korean", texts, 19, false, 0xFFFD},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        CStringTable table = Decoded(c.data);
        ASSERT_EQ(table.m_rows.size(), 2u);
        // A first byte from 1 to 31 is text here, not a language code.
        EXPECT_EQ(table.m_rows[0][0].text.substr(1), "one");
        if (c.slot < 0 && !c.description)
        {
            EXPECT_EQ(Encoded(table), c.data);
        }
        if (c.slot >= 0)
            table.m_rows[1][std::size_t(c.slot)].text = "added";
        if (c.description)
            table.m_rows[1][0].description = "added";
        const Bytes stored = Encoded(table);
        const CStringTable again = Decoded(stored);
        EXPECT_EQ(again.m_format, c.storedFormat);
        EXPECT_EQ(again.m_rows, table.m_rows);
    }
}

TEST(StringTableLanguages, FailsOnDamageAndOnLayoutsItCannotEdit)
{
    struct CCase
    {
        const char* what;
        Bytes data;
        CRecordFault fault;
    };
    const CCase cases[] = {
        {"no entry count", CData().LE16(0xFFFD).bytes, {ERecordFault::Damaged}},
        {"count promises a third entry", Languages(3).Entry(1, "a").Entry(1, "b").bytes, {ERecordFault::Damaged}},
        {"string runs off the end", Languages(1).Byte(1).Text("no terminator").bytes, {ERecordFault::Damaged}},
        {"description runs off the end", Languages(1).Byte(1).Text("a").Byte(0).Text("desc").bytes, {ERecordFault::Damaged}},
        {"a code and nothing else", Languages(1).Byte(1).bytes, {ERecordFault::Damaged}},
        {"pair without its description", Languages(1, 0xFFFE).Text("a").Byte(0).bytes, {ERecordFault::Damaged}},
        {"a code past the last language", Languages(2).Entry(1, "a").Entry(22, "x").bytes, {ERecordFault::UnknownLanguage, 22}},
        {"length-prefixed entries", Languages(1, 0xFFFC).Byte(3).Text("abc").bytes, {ERecordFault::UnknownFormat, 0xFFFC}},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        CStringTable table;
        table.m_rows.resize(1);
        EXPECT_FALSE(table.Decode(c.data, kTypeStr));
        EXPECT_TRUE(table.m_rows.empty());
        EXPECT_EQ(table.Fault(), c.fault);
    }
    CStringTable names;
    EXPECT_FALSE(names.Decode(Languages(1, 0xFFFC).Byte(3).Text("abc").bytes, kTypeTtas));
}

TEST(StringTableRecord, LoadsAndStoresThroughTheContainer)
{
    CIffFile container;
    CIffChunk chunk;
    chunk.type = kTypeStr;
    chunk.id = 300;
    chunk.flags = 0x0030;
    chunk.name = "Labels";
    const Bytes data = CData().BE16(1).Plain("one").bytes;
    ASSERT_TRUE(container.PutChunk(chunk, data));

    CStringTable table;
    EXPECT_FALSE(table.Load(container, kTypeTtas, 300));
    ASSERT_TRUE(table.Load(container, kTypeStr, 300));
    EXPECT_EQ(table.m_name, "Labels");
    table.m_strings[0] = "uno";
    ASSERT_TRUE(table.Store(container, kTypeStr, 300));

    CIffChunk stored;
    stored.type = kTypeStr;
    stored.id = 300;
    ASSERT_TRUE(container.FindChunk(stored));
    EXPECT_EQ(stored.flags, 0x0010);
    EXPECT_EQ(stored.name, "Labels");
    const auto span = container.ChunkData(stored);
    EXPECT_EQ(Bytes(span.begin(), span.end()), CData().BE16(1).Plain("uno").bytes);
    EXPECT_EQ(container.Chunks().size(), 1u);
}

TEST(StringTableRecord, RefusesToStoreWhatItsLayoutCannotHold)
{
    CStringTable plain = Decoded(CData().BE16(1).Plain("one").bytes);
    Bytes data;
    EXPECT_FALSE(plain.Encode(kTypeTtas, data));  // would be read back as a language table

    plain.m_strings.assign(0x10000, "s");
    EXPECT_FALSE(plain.Encode(kTypeStr, data));

    CStringTable rows;
    rows.m_rows.resize(0x1000);
    for (CStringTable::CRow& row : rows.m_rows)
        for (CStringPair& pair : row)
            pair.text = "t";
    EXPECT_FALSE(rows.Encode(kTypeStr, data));  // 21 x 4096 entries overflow the count

    CIffFile container;
    EXPECT_FALSE(rows.Store(container, kTypeStr, 1));
    EXPECT_TRUE(container.Chunks().empty());
}
