#include "containers/ByteOrder.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/BhavScript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;

// The 12 header bytes: format 0x8002, the count, then eight bytes that must survive untouched.
Bytes ScriptHeader(std::uint16_t count)
{
    Bytes header{0x02, 0x80, 0, 0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    WriteLE16(&header[2], count);
    return header;
}

void AppendInstruction(Bytes& data, std::uint16_t opcode, std::uint8_t trueTarget, std::uint8_t falseTarget,
                       std::uint16_t p0, std::uint16_t p1, std::uint16_t p2, std::uint16_t p3)
{
    std::uint8_t bytes[12];
    WriteLE16(bytes, opcode);
    bytes[2] = trueTarget;
    bytes[3] = falseTarget;
    WriteLE16(bytes + 4, p0);
    WriteLE16(bytes + 6, p1);
    WriteLE16(bytes + 8, p2);
    WriteLE16(bytes + 10, p3);
    data.insert(data.end(), bytes, bytes + 12);
}

Bytes ScriptOfLines(std::uint16_t count)
{
    Bytes data = ScriptHeader(count);
    for (std::uint16_t line = 0; line < count; ++line)
        AppendInstruction(data, std::uint16_t(0x0100 + line), std::uint8_t(line + 1), 255, line, 0x1234, 0xFFFF, 7);
    return data;
}

CIffChunk PutRaw(CIffFile& container, std::uint16_t id, const Bytes& data, const std::string& name = "script",
                 std::uint16_t flags = 0)
{
    CIffChunk entry;
    entry.type = kTypeBhav;
    entry.id = id;
    entry.flags = flags;
    entry.name = name;
    EXPECT_TRUE(container.PutChunk(entry, data));
    return entry;
}

Bytes StoredData(const CIffFile& container, std::uint16_t id)
{
    CIffChunk query;
    query.type = kTypeBhav;
    query.id = id;
    if (!container.FindChunk(query))
        return {};
    const auto data = container.ChunkData(query);
    return Bytes(data.begin(), data.end());
}
}

TEST(BhavLoad, DecodesHeaderAndLittleEndianInstructions)
{
    CIffFile container;
    Bytes data = ScriptHeader(2);
    AppendInstruction(data, 0x1002, 1, 254, 0x0102, 0xFFFE, 0x8000, 0x0001);
    AppendInstruction(data, 0x0002, 253, 0, 0, 0, 0, 0);
    PutRaw(container, 0x1000, data, "Init - main");

    CBhavScript script;
    ASSERT_TRUE(script.Load(container, 0x1000));
    EXPECT_EQ(script.Name(), "Init - main");
    EXPECT_EQ(script.Id(), 0x1000);
    EXPECT_EQ(Bytes(script.Header().begin(), script.Header().end()), ScriptHeader(2));
    ASSERT_EQ(script.Lines().size(), 2u);
    const CBhavInstruction& first = script.Lines()[0];
    EXPECT_EQ(first.opcode, 0x1002);
    EXPECT_EQ(first.trueTarget, 1);
    EXPECT_EQ(first.falseTarget, 254);
    EXPECT_EQ(first.params, (std::array<std::uint16_t, 4>{0x0102, 0xFFFE, 0x8000, 0x0001}));
    EXPECT_EQ(script.Lines()[1].trueTarget, 253);
    EXPECT_EQ(script.Lines()[1].falseTarget, 0);
}

TEST(BhavLoad, EmptyScriptStoresAsItsHeader)
{
    CIffFile container;
    PutRaw(container, 7, ScriptHeader(0));
    CBhavScript script;
    ASSERT_TRUE(script.Load(container, 7));
    EXPECT_TRUE(script.Lines().empty());
    ASSERT_TRUE(script.Store(container, 7));
    EXPECT_EQ(StoredData(container, 7), ScriptHeader(0));
}

TEST(BhavLoad, FailsWithEmptyListWhenChunkIsShort)
{
    CIffFile container;
    Bytes promisesThree = ScriptOfLines(3);
    promisesThree.resize(promisesThree.size() - 1);
    PutRaw(container, 1, promisesThree);
    PutRaw(container, 2, Bytes(11, 0));  // shorter than the header
    PutRaw(container, 3, ScriptOfLines(4));

    CBhavScript script;
    ASSERT_TRUE(script.Load(container, 3));
    ASSERT_EQ(script.Lines().size(), 4u);
    EXPECT_FALSE(script.Load(container, 1));
    EXPECT_TRUE(script.Lines().empty());

    ASSERT_TRUE(script.Load(container, 3));
    EXPECT_FALSE(script.Load(container, 2));
    EXPECT_TRUE(script.Lines().empty());

    ASSERT_TRUE(script.Load(container, 3));
    EXPECT_FALSE(script.Load(container, 99));  // no such chunk
    EXPECT_TRUE(script.Lines().empty());
}

TEST(BhavLoad, FindsOnlyBehaviourScripts)
{
    CIffFile container;
    CIffChunk strings;
    strings.type = kTypeStr;
    strings.id = 5;
    const Bytes data = ScriptOfLines(1);
    ASSERT_TRUE(container.PutChunk(strings, data));
    CBhavScript script;
    EXPECT_FALSE(script.Load(container, 5));
}

TEST(BhavLoad, IgnoresBytesBeyondTheInstructions)
{
    CIffFile container;
    Bytes data = ScriptOfLines(2);
    const Bytes exact = data;
    data.insert(data.end(), {0xDE, 0xAD, 0xBE, 0xEF, 0x01});
    PutRaw(container, 4, data);
    CBhavScript script;
    ASSERT_TRUE(script.Load(container, 4));
    EXPECT_EQ(script.Lines().size(), 2u);
    EXPECT_EQ(script.Encode().Value(), exact);
}

TEST(BhavStore, RewritesCountAndKeepsOtherHeaderBytes)
{
    CIffFile container;
    PutRaw(container, 0x1000, ScriptOfLines(5), "routine", 0x0001);
    CBhavScript script;
    ASSERT_TRUE(script.Load(container, 0x1000));
    CBhavInstruction added;
    added.opcode = 0x0102;
    added.params = {1, 2, 3, 4};
    script.AppendLine(added);
    script.AppendLine(added);
    ASSERT_TRUE(script.Store(container, 0x1000));

    const Bytes stored = StoredData(container, 0x1000);
    ASSERT_EQ(stored.size(), 12u + 7u * 12u);
    EXPECT_EQ(ReadLE16(&stored[2]), 7);
    const Bytes header = ScriptHeader(7);
    EXPECT_EQ(Bytes(stored.begin(), stored.begin() + 12), header);
    const Bytes original = ScriptOfLines(5);
    EXPECT_EQ(Bytes(stored.begin() + 12, stored.begin() + 72), Bytes(original.begin() + 12, original.end()));
    EXPECT_EQ(Bytes(stored.end() - 12, stored.end()), (Bytes{0x02, 0x01, 254, 255, 1, 0, 2, 0, 3, 0, 4, 0}));

    CBhavScript reloaded;
    ASSERT_TRUE(reloaded.Load(container, 0x1000));
    EXPECT_EQ(reloaded.Lines(), script.Lines());
}

TEST(BhavStore, KeepsNameAndPutsFlags0x0010InPlace)
{
    CIffFile container;
    PutRaw(container, 1, ScriptOfLines(1), "first", 0x0000);
    PutRaw(container, 2, ScriptOfLines(2), "second", 0x0003);
    CBhavScript script;
    ASSERT_TRUE(script.Load(container, 2));
    ASSERT_TRUE(script.Store(container, 2));

    ASSERT_EQ(container.Chunks().size(), 2u);
    const CIffChunk& entry = container.Chunks()[1];
    EXPECT_EQ(entry.id, 2);
    EXPECT_EQ(entry.name, "second");
    EXPECT_EQ(entry.flags, 0x0010);
    // The chunk header in the image says the same.
    const std::uint8_t* header = container.Image() + entry.offset - 76;
    EXPECT_EQ(ReadBE16(header + 10), 0x0010);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(header + 12)), "second");
}

// A script built from scratch cannot be made into one that Encode would have to refuse: the
// header must be of a known format and its size, and the count must hold the lines.
TEST(BhavBuild, RefusesAHeaderOrLinesTheCountCannotHold)
{
    const auto header = [](std::uint16_t format, std::size_t size) {
        Bytes bytes(size, 0);
        if (size >= 2)
            WriteLE16(bytes.data(), format);
        return bytes;
    };
    struct CRow
    {
        const char* what;
        Bytes header;
        std::size_t lines;
        bool headerTaken;
        bool linesTaken;
    };
    const CRow rows[] = {
        {"65535 lines under a 16-bit count", header(0x8002, 12), 65535, true, true},
        {"65536 lines under a 16-bit count", header(0x8000, 12), 65536, true, false},
        {"65536 lines under a 32-bit count", header(0x8003, 13), 65536, true, true},
        {"a format this program cannot edit", header(0x8004, 12), 1, false, true},
        {"a 32-bit count's format in 12 bytes", header(0x8003, 12), 1, false, true},
        {"a 16-bit count's format in 13 bytes", header(0x8002, 13), 1, false, true},
        {"no header at all", {}, 1, false, true},
    };
    for (const CRow& row : rows)
    {
        SCOPED_TRACE(row.what);
        CBhavScript script;
        EXPECT_EQ(script.SetHeader(row.header), row.headerTaken);
        EXPECT_EQ(script.Header(), row.headerTaken ? row.header : header(CBhavScript::kDefaultFormat, 12));
        EXPECT_EQ(script.ReplaceLines(std::vector<CBhavInstruction>(row.lines)), row.linesTaken);
        EXPECT_EQ(script.Lines().size(), row.linesTaken ? row.lines : 0u);
        const auto encoded = script.Encode();
        ASSERT_TRUE(encoded);
        EXPECT_EQ(encoded->size(), script.Header().size() + 12 * script.Lines().size());
    }
    // Nor can a header with a narrower count be put over more lines than it holds.
    CBhavScript wide;
    ASSERT_TRUE(wide.SetHeader(header(0x8003, 13)));
    ASSERT_TRUE(wide.ReplaceLines(std::vector<CBhavInstruction>(65536)));
    EXPECT_FALSE(wide.SetHeader(header(0x8002, 12)));
    EXPECT_EQ(wide.Format(), 0x8003);
}

TEST(BhavFormats, EachKnownFormatKeepsItsHeaderAndCount)
{
    // Formats up to 0x8002 count in 16 bits at offset 2 of a 12-byte header; 0x8003 counts in 32
    // bits at offset 9 of a 13-byte header, and its bytes 2 and 3 are no count at all.
    struct CCase
    {
        std::uint16_t format;
        std::size_t headerSize;
        std::size_t countAt;
    };
    const CCase cases[] = {{0x8000, 12, 2}, {0x8001, 12, 2}, {0x8002, 12, 2}, {0x8003, 13, 9}};
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(testing::Message() << std::hex << c.format);
        Bytes data(c.headerSize);
        for (std::size_t i = 2; i < data.size(); ++i)
            data[i] = std::uint8_t(0xA0 + i);
        WriteLE16(&data[0], c.format);
        data[c.countAt] = 2;
        for (std::size_t i = 1; i < (c.headerSize == 13 ? 4u : 2u); ++i)
            data[c.countAt + i] = 0;
        AppendInstruction(data, 0x0100, 1, 255, 1, 2, 3, 4);
        AppendInstruction(data, 0x0002, 254, 254, 5, 6, 7, 8);

        CIffFile container;
        PutRaw(container, 0x1000, data);
        CBhavScript script;
        ASSERT_TRUE(script.Load(container, 0x1000));
        EXPECT_EQ(script.Format(), c.format);
        ASSERT_EQ(script.Lines().size(), 2u);
        EXPECT_EQ(script.Lines()[1].params[3], 8);
        EXPECT_EQ(script.Encode().Value(), data);

        script.AppendLine(script.Lines()[0]);
        ASSERT_TRUE(script.Store(container, 0x1000));
        const Bytes stored = StoredData(container, 0x1000);
        ASSERT_EQ(stored.size(), c.headerSize + 3 * 12);
        EXPECT_EQ(stored[c.countAt], 3);
        Bytes header = data;
        header.resize(c.headerSize);
        header[c.countAt] = 3;
        EXPECT_EQ(Bytes(stored.begin(), stored.begin() + std::ptrdiff_t(c.headerSize)), header);

        // The count promises a line more than the chunk holds.
        data[c.countAt] = 3;
        PutRaw(container, 0x1001, data);
        // The failure names the record and where its lines should have begun.
        const CRecordStatus loaded = script.Load(container, 0x1001);
        ASSERT_FALSE(loaded);
        EXPECT_EQ(loaded.Failure().what, ERecordFault::Damaged);
        EXPECT_EQ(loaded.Failure().where, (CFailurePlace{{}, kTypeBhav, std::uint16_t(0x1001), c.headerSize}));
    }
}

TEST(BhavFormats, RefusesFormatsItCannotEdit)
{
    for (const std::uint16_t format : {0x0000, 0x0001, 0x7FFF, 0x8004, 0x8009, 0xFFFF})
    {
        SCOPED_TRACE(format);
        Bytes data = ScriptOfLines(1);
        WriteLE16(&data[0], format);
        CIffFile container;
        PutRaw(container, 1, data);
        CBhavScript script;
        const CRecordStatus loaded = script.Load(container, 1);
        ASSERT_FALSE(loaded);
        EXPECT_TRUE(script.Lines().empty());
        EXPECT_EQ(loaded.Failure().what, ERecordFault::UnknownFormat);
        EXPECT_EQ(loaded.Failure().value, format);
    }
    // A 0x8003 chunk that stops inside its 13-byte header.
    Bytes cut = ScriptHeader(0);
    WriteLE16(&cut[0], 0x8003);
    CIffFile container;
    PutRaw(container, 2, cut);
    CBhavScript script;
    EXPECT_FALSE(script.Load(container, 2));
}
