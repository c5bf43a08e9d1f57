#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/StringTable.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    // A 0xFFFC length: seven bits a byte, low group first, top bit "more follows".
    CData& Length(std::size_t length)
    {
        for (; length >= 0x80; length >>= 7)
            Byte(int(0x80 | (length & 0x7F)));
        return Byte(int(length));
    }
    // A 0xFFFC entry: its language byte, then the text and description, each led by its length.
    CData& SetEntry(int language, const std::string& text, const std::string& description = "")
    {
        return Byte(language).Length(text.size()).Text(text).Length(description.size()).Text(description);
    }
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
    const CRecordResult<Bytes> data = table.Encode(type);
    EXPECT_TRUE(data);
    return data ? *data : Bytes();
}

constexpr int kFrench = 2;
constexpr int kGerman = 3;
constexpr int kJapanese = 14;

// A 0xFFFC table of `sets` sets whose entries `fill(set, data)` appends, `00 00` for a set it
// leaves alone (returns false for).
template <typename TFill>
Bytes Sets(int sets, TFill fill)
{
    CData data;
    data.LE16(0xFFFC).Byte(sets);
    for (int set = 0; set < sets; ++set)
        if (!fill(set, data))
            data.LE16(0);
    return data.bytes;
}

// Twenty sets, as every real table has: "Sit" and "Stand" in USEnglish (led by 0xFF, as some
// tables carry there), French, and Japanese as cp932 bytes carried as characters.
Bytes SampleSets()
{
    return Sets(20, [](int set, CData& data) {
        if (set == 0)
            data.LE16(2).SetEntry(0xFF, "Sit", "verb").SetEntry(0xFF, "Stand");
        else if (set == kFrench)
            data.LE16(2).SetEntry(kFrench, "S'asseoir").SetEntry(kFrench, "Se lever", "\u00E9 " + std::string(200, 'x'));
        else if (set == kJapanese)
            data.LE16(2).SetEntry(kJapanese, "\xC2\x83T").SetEntry(kJapanese, "");
        else
            return false;
        return true;
    });
}
}

TEST(StringTableLayout, SecondByteChoosesTheLayoutOfStr)
{
    const CStringTable plain = Decoded(CData().BE16(3).Plain("a").Plain("bc").Plain("").bytes);
    EXPECT_TRUE(plain.IsPlain());
    EXPECT_EQ(plain.Strings(), (std::vector<std::string>{"a", "bc", ""}));

    for (const int high : {0xFD, 0xFE, 0xFF})
    {
        const CStringTable table = Decoded(Languages(1, 0x00 | (high << 8)).Entry(1, "x").bytes);
        EXPECT_FALSE(table.IsPlain());
        EXPECT_EQ(table.Format(), high << 8);
        ASSERT_EQ(table.Rows().size(), 1u);
    }
}

TEST(StringTableLayout, InteractionNamesAreAlwaysLanguageLayout)
{
    // As STR# these bytes would be a plain table of three strings.
    const Bytes data = CData().Byte(0).Byte(3).LE16(1).Entry(1, "Sit").bytes;
    const CStringTable table = Decoded(data, kTypeTtas);
    EXPECT_FALSE(table.IsPlain());
    EXPECT_EQ(table.Format(), 0x0300);
    ASSERT_EQ(table.Rows().size(), 1u);
    EXPECT_EQ(table.Rows()[0][0].text, "Sit");
}

TEST(StringTablePlain, StoresByteForByteAndCutsLongStrings)
{
    const Bytes data = CData().BE16(2).Plain("Hello").Plain("\xE9t\xE9").bytes;
    CStringTable table = Decoded(data);
    EXPECT_EQ(Encoded(table), data);

    table.AddLine();
    table.SetString(2, std::string(300, 'x'));
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
        CStringTable table = CStringTable::Plain({"left over"});
        EXPECT_FALSE(table.Decode(data, kTypeStr));
        EXPECT_TRUE(table.Strings().empty());
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
    ASSERT_EQ(table.Rows().size(), 1u);
    const int codes[] = {1, 3, 8, 10, 11, 13, 21};
    for (const int code : codes)
        EXPECT_FALSE(table.Rows()[0][std::size_t(CStringTable::SlotForCode(std::uint8_t(code)))].text.empty()) << code;
    EXPECT_EQ(Encoded(table, kTypeTtas), data);
    EXPECT_EQ(CStringTable::SlotForCode(22), -1);
    EXPECT_EQ(CStringTable::SlotForCode(31), -1);
}

TEST(StringTableLanguages, EntriesBeforeTheFirstCodeAreUSEnglish)
{
    // 0x80 and above start a string, they are no code.
    const Bytes data = Languages(2).Entry(0, "\x80uro", "money").Entry(0, "two").bytes;
    const CStringTable table = Decoded(data);
    ASSERT_EQ(table.Rows().size(), 2u);
    EXPECT_EQ(table.Rows()[0][0], (CStringPair{"\x80uro", "money"}));
    EXPECT_EQ(table.Rows()[1][0].text, "two");
}

TEST(StringTableLanguages, RowsFollowTheLongestLanguage)
{
    // More French than USEnglish: the third French text gets a row and survives storing.
    const Bytes extra = Languages(5).Entry(1, "a").Entry(1, "b").Entry(3, "A").Entry(3, "B").Entry(3, "C").bytes;
    const CStringTable table = Decoded(extra);
    ASSERT_EQ(table.Rows().size(), 3u);
    EXPECT_EQ(table.Rows()[2][kFrench].text, "C");
    EXPECT_EQ(Encoded(table),
              Languages(6).Entry(1, "a").Entry(1, "b").Entry(1, "").Entry(3, "A").Entry(3, "B").Entry(3, "C").bytes);

    // No USEnglish at all: the German rows stand on their own.
    const Bytes german = Languages(2).Entry(4, "Eins").Entry(4, "Zwei").bytes;
    EXPECT_EQ(Decoded(german).Rows().size(), 2u);
    EXPECT_EQ(Decoded(Encoded(Decoded(german))).Rows(), Decoded(german).Rows());

    const Bytes fewer = Languages(4).Entry(1, "a").Entry(1, "b").Entry(1, "c").Entry(4, "Eins", "d").bytes;
    const CStringTable padded = Decoded(fewer);
    ASSERT_EQ(padded.Rows().size(), 3u);
    EXPECT_EQ(padded.Rows()[2][kGerman], CStringPair{});
    EXPECT_EQ(Encoded(padded), Languages(6)
                                   .Entry(1, "a").Entry(1, "b").Entry(1, "c")
                                   .Entry(4, "Eins", "d").Entry(4, "").Entry(4, "")
                                   .bytes);
}

TEST(StringTableLanguages, StoringDropsOnlyLanguagesWithNothingInThem)
{
    std::vector<CStringTable::CRow> rows(2);
    rows[0][0] = {"Chair", "the object"};
    rows[1][0] = {"", "empty in English"};
    rows[0][kFrench] = {"", "a description alone"};
    rows[1][20] = {"last slot", ""};
    const CStringTable table = CStringTable::Languages(rows);
    EXPECT_EQ(Encoded(table), Languages(6)
                                  .Entry(1, "Chair", "the object").Entry(1, "", "empty in English")
                                  .Entry(3, "", "a description alone").Entry(3, "")
                                  .Entry(21, "").Entry(21, "last slot")
                                  .bytes);

    // Rows can be read back from any language, but USEnglish stays while there are rows.
    CStringTable french = CStringTable::Languages(std::vector<CStringTable::CRow>(2));
    french.SetText(1, kFrench, "Bonjour");
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
        ASSERT_EQ(table.Rows().size(), 2u);
        // A first byte from 1 to 31 is text here, not a language code.
        EXPECT_EQ(table.Rows()[0][0].text.substr(1), "one");
        if (c.slot < 0 && !c.description)
        {
            EXPECT_EQ(Encoded(table), c.data);
        }
        if (c.slot >= 0)
            table.SetText(1, c.slot, "added");
        if (c.description)
            table.SetDescription(1, 0, "added");
        const Bytes stored = Encoded(table);
        const CStringTable again = Decoded(stored);
        EXPECT_EQ(again.Format(), c.storedFormat);
        EXPECT_EQ(again.Rows(), table.Rows());
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
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        CStringTable table = CStringTable::Languages(std::vector<CStringTable::CRow>(1));
        const CRecordStatus decoded = table.Decode(c.data, kTypeStr);
        ASSERT_FALSE(decoded);
        EXPECT_TRUE(table.Rows().empty());
        EXPECT_EQ(decoded.Failure().what, c.fault.what);
        EXPECT_EQ(decoded.Failure().value, c.fault.value);
    }
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
    EXPECT_EQ(table.Name(), "Labels");
    table.SetString(0, "uno");
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
    EXPECT_FALSE(plain.Encode(kTypeTtas));  // would be read back as a language table

    EXPECT_FALSE(CStringTable::Plain(std::vector<std::string>(0x10000, "s")).Encode(kTypeStr));

    CStringTable::CRow full;
    for (CStringPair& pair : full)
        pair.text = "t";
    const CStringTable rows = CStringTable::Languages(std::vector<CStringTable::CRow>(0x1000, full));
    EXPECT_FALSE(rows.Encode(kTypeStr));  // 21 x 4096 entries overflow the count

    CIffFile container;
    EXPECT_FALSE(rows.Store(container, kTypeStr, 1));
    EXPECT_TRUE(container.Chunks().empty());
}

TEST(StringTableSets, ReadsEachSetAsItsLanguageAndStoresByteForByte)
{
    struct CCase
    {
        const char* what;
        Bytes data;
        std::size_t rows;
        int slot;  // a cell to look at in row 0
        CStringPair pair;
    };
    const CCase cases[] = {
        {"twenty sets", SampleSets(), 2, kFrench, {"S'asseoir", ""}},
        {"a code-page set", SampleSets(), 2, kJapanese, {"\x83T", ""}},
        {"a length of two bytes", SampleSets(), 2, 0, {"Sit", "verb"}},
        {"two sets", Sets(2, [](int set, CData& d) { return set == 0 && d.LE16(1).SetEntry(0, "a", "b").bytes.size(); }),
         1, 0, {"a", "b"}},
        {"21 sets, the last without a name",
         Sets(21, [](int set, CData& d) { return (set == 0 || set == 20) && d.LE16(1).SetEntry(set, "t").bytes.size(); }),
         1, 20, {"t", ""}},
        {"empty sets past the last language",
         Sets(25, [](int set, CData& d) { return set == 0 && d.LE16(1).SetEntry(0, "x").bytes.size(); }), 1, 0, {"x", ""}},
        {"nothing in any set", Sets(20, [](int, CData&) { return false; }), 0, 0, {}},
        {"no sets at all", Sets(0, [](int, CData&) { return false; }), 0, 0, {}},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        for (const std::uint32_t type : {kTypeStr, kTypeTtas})
        {
            const CStringTable table = Decoded(c.data, type);
            EXPECT_EQ(table.Format(), CStringTable::kLanguageSetsFormat);
            ASSERT_EQ(table.Rows().size(), c.rows);
            if (c.rows > 0)
            {
                EXPECT_EQ(table.Rows()[0][std::size_t(c.slot)], c.pair);
            }
            EXPECT_EQ(Encoded(table, type), c.data);
        }
    }
    // The front ends read the UTF-8 sets as UTF-8 and the others in their language's code page.
    const CStringTable table = Decoded(SampleSets());
    EXPECT_STREQ(table.CodePage(kFrench), "utf-8");
    EXPECT_STREQ(table.CodePage(11), "utf-8");  // Hebrew, windows-1255 in the coded form
    EXPECT_STREQ(table.CodePage(kJapanese), "cp932");
    EXPECT_STREQ(table.CodePage(19), "cp949");
    EXPECT_STREQ(Decoded(Languages(0).bytes).CodePage(kFrench), "windows-1252");
}

TEST(StringTableSets, EditsStoreBackAsLanguageSets)
{
    struct CCase
    {
        const char* what;
        void (*edit)(CStringTable&);
        Bytes expected;
    };
    const CCase cases[] = {
        {"a text changed",
         [](CStringTable& t) { t.SetText(1, kFrench, "Debout"); },
         Sets(20, [](int set, CData& d) {
             if (set == 0)
                 d.LE16(2).SetEntry(0xFF, "Sit", "verb").SetEntry(0xFF, "Stand");
             else if (set == kFrench)
                 d.LE16(2).SetEntry(kFrench, "S'asseoir").SetEntry(kFrench, "Debout", "\u00E9 " + std::string(200, 'x'));
             else if (set == kJapanese)
                 d.LE16(2).SetEntry(kJapanese, "\xC2\x83T").SetEntry(kJapanese, "");
             return set == 0 || set == kFrench || set == kJapanese;
         })},
        {"a row added, its entries led by their sets' bytes",
         [](CStringTable& t) {
             t.AddLine();
             t.SetText(2, kJapanese, "\x82\xCC");
         },
         Sets(20, [](int set, CData& d) {
             if (set == 0)
                 d.LE16(3).SetEntry(0xFF, "Sit", "verb").SetEntry(0xFF, "Stand").SetEntry(0, "");
             else if (set == kFrench)
                 d.LE16(3).SetEntry(kFrench, "S'asseoir").SetEntry(kFrench, "Se lever", "\u00E9 " + std::string(200, 'x'))
                     .SetEntry(kFrench, "");
             else if (set == kJapanese)
                 d.LE16(3).SetEntry(kJapanese, "\xC2\x83T").SetEntry(kJapanese, "").SetEntry(kJapanese, "\xC2\x82\xC3\x8C");
             return set == 0 || set == kFrench || set == kJapanese;
         })},
        {"a row removed",
         [](CStringTable& t) { t.RemoveLine(0); },
         Sets(20, [](int set, CData& d) {
             if (set == 0)
                 d.LE16(1).SetEntry(0xFF, "Stand");
             else if (set == kFrench)
                 d.LE16(1).SetEntry(kFrench, "Se lever", "\u00E9 " + std::string(200, 'x'));
             return set == 0 || set == kFrench;  // Japanese had text only in the row removed
         })},
        {"a language removed",
         [](CStringTable& t) {
             for (std::size_t row = 0; row < 2; ++row)
                 t.SetText(row, kFrench, ""), t.SetDescription(row, kFrench, "");
         },
         Sets(20, [](int set, CData& d) {
             if (set == 0)
                 d.LE16(2).SetEntry(0xFF, "Sit", "verb").SetEntry(0xFF, "Stand");
             else if (set == kJapanese)
                 d.LE16(2).SetEntry(kJapanese, "\xC2\x83T").SetEntry(kJapanese, "");
             return set == 0 || set == kJapanese;
         })},
        {"a language past the last set",
         [](CStringTable& t) {
             for (std::size_t row = 0; row < 2; ++row)
                 t.SetText(row, kJapanese, ""), t.SetText(row, kFrench, ""), t.SetDescription(row, kFrench, "");
             t.SetText(0, 20, "last");
         },
         Sets(21, [](int set, CData& d) {
             if (set == 0)
                 d.LE16(2).SetEntry(0xFF, "Sit", "verb").SetEntry(0xFF, "Stand");
             else if (set == 20)
                 d.LE16(2).SetEntry(20, "last").SetEntry(20, "");
             return set == 0 || set == 20;
         })},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        CStringTable table = Decoded(SampleSets());
        c.edit(table);
        EXPECT_EQ(Encoded(table), c.expected);
        EXPECT_EQ(Decoded(c.expected).Rows(), table.Rows());
    }

    // A UTF-8 set takes only UTF-8: bytes that are not would not read back.
    CStringTable table = Decoded(SampleSets());
    table.SetText(0, kFrench, "\xE9t\xE9");
    const CRecordResult<Bytes> data = table.Encode(kTypeStr);
    ASSERT_FALSE(data);
    EXPECT_EQ(data.Failure(), (CRecordFault{ERecordFault::InvalidText, kFrench}));
}

TEST(StringTableSets, RefusesWhatItCannotStoreUnchanged)
{
    struct CCase
    {
        const char* what;
        Bytes data;
        CRecordFault fault;
    };
    const auto one = [](int language, const std::string& text) {
        return Sets(std::max(language + 1, 2),
                    [&](int set, CData& d) { return set == language && d.LE16(1).SetEntry(set, text).bytes.size(); });
    };
    Bytes cutEntry = one(0, "abc");
    cutEntry.resize(cutEntry.size() - 3);  // the last set's count, then the description's length
    Bytes pastEnd = CData().LE16(0xFFFC).Byte(1).LE16(1).Byte(0).Byte(9).Text("abc").bytes;
    Bytes trailing = one(0, "abc");
    trailing.push_back(0);
    const CCase cases[] = {
        {"an entry cut off", cutEntry, {ERecordFault::Damaged}},
        {"a length past the end", pastEnd, {ERecordFault::Damaged}},
        {"more sets than bytes", CData().LE16(0xFFFC).Byte(20).LE16(0).bytes, {ERecordFault::Damaged}},
        {"no set count", CData().LE16(0xFFFC).bytes, {ERecordFault::Damaged}},
        {"bytes after the last set", trailing, {ERecordFault::TrailingBytes, 1}},
        {"invalid UTF-8", one(kFrench, "\xE9t\xE9"), {ERecordFault::InvalidText, kFrench}},
        {"an overlong UTF-8 form", one(0, "\xC0\xAF"), {ERecordFault::InvalidText, 0}},
        {"a code-page set beyond U+00FF",
         Sets(15, [](int set, CData& d) { return set == kJapanese && d.LE16(1).SetEntry(set, "\u30B5").bytes.size(); }),
         {ERecordFault::UncarriedText, kJapanese}},
        {"a length in more bytes than it needs",
         CData().LE16(0xFFFC).Byte(1).LE16(1).Byte(0).Byte(0x81).Byte(0).Text("a").Byte(0).bytes,
         {ERecordFault::OverlongLength}},
        {"a set with fewer entries than set 0",
         Sets(3, [](int set, CData& d) {
             if (set == 0)
                 d.LE16(2).SetEntry(0, "a").SetEntry(0, "b");
             if (set == 2)
                 d.LE16(1).SetEntry(2, "A");
             return set != 1;
         }),
         {ERecordFault::UnstorableSet, 2}},
        {"a set of empty texts",
         Sets(2, [](int set, CData& d) { return d.LE16(1).SetEntry(set, set == 0 ? "a" : "").bytes.size(); }),
         {ERecordFault::UnstorableSet, 1}},
        {"text in a set past the last language",
         Sets(23, [](int set, CData& d) { return (set == 0 || set == 22) && d.LE16(1).SetEntry(set, "x").bytes.size(); }),
         {ERecordFault::UnknownLanguage, 23}},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        CStringTable table = CStringTable::Languages(std::vector<CStringTable::CRow>(1));
        const CRecordStatus decoded = table.Decode(c.data, kTypeTtas);
        ASSERT_FALSE(decoded);
        EXPECT_EQ(table.LineCount(), 0u);
        EXPECT_EQ(decoded.Failure().what, c.fault.what);
        EXPECT_EQ(decoded.Failure().value, c.fault.value);
    }
}
