#include "containers/ByteStream.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/FieldStream.h"
#include "records/InteractionTable.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;

struct CData
{
    Bytes bytes;

    CData& Byte(int value) { bytes.push_back(std::uint8_t(value)); return *this; }
    CData& LE16(int value) { return Byte(value & 0xFF).Byte((value >> 8) & 0xFF); }
    CData& LE32(std::uint32_t value) { return LE16(int(value & 0xFFFF)).LE16(int(value >> 16)); }
    // One interaction in the plain layout with `motives` entries (i, -i, i % 23).
    CData& Plain(int action, std::uint32_t motives, std::uint32_t flags = 0x0109)
    {
        LE16(action).LE16(action + 1).LE32(motives).LE32(flags).LE32(7).LE32(0);
        LE32(std::bit_cast<std::uint32_t>(0.02f)).LE32(50).LE32(std::uint32_t(-1));
        for (std::uint32_t i = 0; i < motives; ++i)
            LE16(int(i)).LE16(-int(i)).LE16(int(i % 23));
        return *this;
    }
    // One interaction of version 10: the plain fields, 16 motive entries, then flags 2.
    CData& Later(int action, std::uint32_t flags2) { return Plain(action, 16).LE32(flags2); }
};

// A memory stream that begins with `bytes`, positioned after them.
void Begin(CMemoryStream& stream, const Bytes& bytes)
{
    stream.Write(bytes.data(), bytes.size());
}

CData Table(int count, int version)
{
    CData data;
    data.LE16(count).LE16(version);
    return data;
}

CInteraction Sample(std::uint16_t action, std::size_t motives)
{
    CInteraction interaction;
    interaction.actionTree = action;
    interaction.checkTree = 0x8001;
    interaction.motiveCount = std::uint32_t(motives);
    interaction.flags = 0x80000149;
    interaction.nameIndex = 3;
    interaction.attenuationCode = 0;
    interaction.attenuationValue = -0.125f;
    interaction.autonomyThreshold = 100;
    interaction.extraIndex = -1;
    for (std::size_t i = 0; i < motives; ++i)
        interaction.motives.push_back({std::int16_t(-100 * int(i)), std::int16_t(5000 + int(i)), std::uint16_t(i)});
    return interaction;
}

Bytes Encoded(const CInteractionTable& table)
{
    const CRecordResult<Bytes> data = table.Encode();
    EXPECT_TRUE(data);
    return data ? *data : Bytes();
}
}

TEST(InteractionTablePlain, ReadsEveryFieldAndStoresSixteenMotives)
{
    CInteractionTable table;
    ASSERT_TRUE(table.Decode(Table(1, 5).Plain(0x1000, 3).bytes));
    ASSERT_EQ(table.Interactions().size(), 1u);
    const CInteraction& read = table.Interactions()[0];
    EXPECT_EQ(read.actionTree, 0x1000);
    EXPECT_EQ(read.checkTree, 0x1001);
    EXPECT_EQ(read.motiveCount, 3u);
    EXPECT_EQ(read.flags, 0x0109u);
    EXPECT_EQ(read.nameIndex, 7u);
    EXPECT_EQ(read.attenuationValue, 0.02f);
    EXPECT_EQ(read.autonomyThreshold, 50u);
    EXPECT_EQ(read.extraIndex, -1);
    ASSERT_EQ(read.motives.size(), 3u);
    EXPECT_EQ(read.motives[2], (CMotiveEntry{2, -2, 2}));

    const Bytes stored = Encoded(table);
    ASSERT_EQ(stored.size(), 4u + 32 + 96);
    CData expected = Table(1, 5).Plain(0x1000, 3);
    expected.bytes.resize(4 + 32 + 96, 0);
    expected.bytes[8] = 16;  // the motive count
    EXPECT_EQ(stored, expected.bytes);
}

TEST(InteractionTablePlain, TableWithSixteenMotivesStoresBackUnchanged)
{
    const Bytes data = Table(2, 5).Plain(1, 16).Plain(2, 16, 0xFFFFFFFF).bytes;
    CInteractionTable table;
    ASSERT_TRUE(table.Decode(data));
    EXPECT_EQ(Encoded(table), data);
}

TEST(InteractionTablePlain, StoresOnlyTheFirstSixteenMotives)
{
    CInteractionTable table;
    ASSERT_TRUE(table.Decode(Table(1, 7).Plain(9, 20).bytes));
    EXPECT_EQ(table.Interactions()[0].motives.size(), 20u);
    EXPECT_EQ(Encoded(table), Table(1, 7).Plain(9, 16).bytes);
}

TEST(InteractionTablePlain, StopsWhereTheDataEndAtAnInteractionBoundary)
{
    CInteractionTable table;
    ASSERT_TRUE(table.Decode(Table(5, 5).Plain(1, 2).Plain(2, 0).bytes));
    EXPECT_EQ(table.Interactions().size(), 2u);

    ASSERT_TRUE(table.Decode(Table(3, 5).bytes));
    EXPECT_TRUE(table.Interactions().empty());
}

TEST(InteractionTablePlain, FailsOnAnInteractionCutOffByTheEnd)
{
    Bytes cutInFixedFields = Table(2, 5).Plain(1, 1).Plain(2, 0).bytes;
    cutInFixedFields.resize(cutInFixedFields.size() - 1);
    Bytes cutInMotives = Table(1, 5).Plain(1, 4).bytes;
    cutInMotives.resize(cutInMotives.size() - 6);
    const Bytes motivesPastTheEnd = Table(1, 5).Plain(1, 0).bytes;
    Bytes hugeCount = motivesPastTheEnd;
    hugeCount[8] = 0xFF;
    hugeCount[9] = 0xFF;
    hugeCount[10] = 0xFF;
    hugeCount[11] = 0xFF;

    for (const Bytes& data : {cutInFixedFields, cutInMotives, hugeCount, Bytes{1, 0, 5}})
    {
        CInteractionTable table(8, {Sample(1, 1)});
        EXPECT_FALSE(table.Decode(data));
        EXPECT_TRUE(table.Interactions().empty());
    }
}

TEST(InteractionTableVersions, OpensOnlyWhatItsLayoutsDescribeExactly)
{
    // Shorter records of older versions leave bytes over when read with the plain layout here;
    // versions above 9 encode other fields. Both are refused rather than shown wrong.
    Bytes shortRecords = Table(2, 3).bytes;
    for (int i = 0; i < 2; ++i)
        shortRecords.insert(shortRecords.end(), 24, std::uint8_t(0x11));
    struct CCase
    {
        const char* what;
        Bytes data;
        CRecordFault fault;
    };
    const CCase cases[] = {
        {"version 5 filling the chunk", Table(2, 5).Plain(1, 2).Plain(2, 16).bytes, {}},
        {"version 5 followed by filler", Table(1, 5).Plain(1, 2).Byte(0xA3).Byte(0xA3).bytes, {}},
        {"version 2 records shorter than the layout", shortRecords, {ERecordFault::LayoutMismatch, 3}},
        {"version 5 followed by other bytes", Table(1, 5).Plain(1, 2).Byte(0xA3).Byte(0).bytes,
         {ERecordFault::LayoutMismatch, 5}},
        {"version 10 filling the chunk", Table(2, 10).Byte(0).Later(1, 0x1E).Later(2, 0).bytes, {}},
        {"version 10 whose byte 4 is not 0", Table(1, 10).Byte(1).Later(1, 0x1E).bytes, {ERecordFault::ReservedByte, 1}},
        {"version 10 without byte 4", Table(0, 10).bytes, {ERecordFault::LayoutMismatch, 10}},
        {"version 10 followed by filler", Table(1, 10).Byte(0).Later(1, 0x1E).Byte(0xA3).bytes,
         {ERecordFault::LayoutMismatch, 10}},
        {"version 10 cut short", Table(2, 10).Byte(0).Later(1, 0x1E).bytes, {ERecordFault::LayoutMismatch, 10}},
        {"version 10 with 15 motives and one over", Table(2, 10).Byte(0).Plain(1, 15).LE32(0).Plain(2, 17).LE32(0).bytes,
         {ERecordFault::LayoutMismatch, 10}},
        {"version 11", Table(0, 11).Byte(0).bytes, {ERecordFault::UnknownVersion, 11}},
        {"version 65535", Table(0, 0xFFFF).bytes, {ERecordFault::UnknownVersion, 0xFFFF}},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        CInteractionTable table;
        const CRecordStatus decoded = table.Decode(c.data);
        CRecordFault fault = decoded ? CRecordFault() : decoded.Failure();
        fault.where = {};
        EXPECT_EQ(fault, c.fault);
        EXPECT_EQ(table.Interactions().empty(), bool(c.fault));
    }
}

TEST(InteractionTableFields, StoresAndLoadsTheSameInteractions)
{
    const CInteractionTable table(9, {Sample(0x1234, 16), Sample(0, 3), Sample(0xFFFF, 0)});
    const Bytes data = Encoded(table);
    EXPECT_EQ(data[0], 3);
    EXPECT_EQ(data[2], 9);
    EXPECT_EQ(data[4], 1);

    CInteractionTable loaded;
    ASSERT_TRUE(loaded.Decode(data));
    ASSERT_EQ(loaded.Interactions().size(), 3u);
    EXPECT_EQ(loaded.Interactions()[0], table.Interactions()[0]);
    for (std::size_t i = 1; i < 3; ++i)
    {
        // Stored with 16 motives, the missing ones as zero entries.
        CInteraction expected = table.Interactions()[i];
        expected.motiveCount = 16;
        expected.motives.resize(16);
        EXPECT_EQ(loaded.Interactions()[i], expected);
    }
    EXPECT_EQ(Encoded(loaded), data);
}

TEST(InteractionTableFields, WritesTheDocumentedBitsForOneInteraction)
{
    CInteraction interaction;
    interaction.actionTree = 15;
    interaction.extraIndex = -1;
    const CInteractionTable table(9, {interaction});

    CMemoryStream expected;
    Begin(expected, Table(1, 9).Byte(1).bytes);
    CFieldWriter writer(expected);
    writer.WriteBits(0b100'01111, 8);  // action tree 15
    writer.WriteBit(false);            // check tree
    writer.WriteBits(0b100'010000, 9); // motive count 16
    for (int field = 0; field < 5; ++field)
        writer.WriteBit(false);
    writer.WriteBits(0b100'111111, 9); // extra index -1
    for (int field = 0; field < 48; ++field)
        writer.WriteBit(false);
    ASSERT_TRUE(writer.Finish());
    EXPECT_EQ(Encoded(table), expected.Bytes());
}

TEST(InteractionTableFields, LoadsTheSameWhenTheLastByteIsMissing)
{
    const CInteractionTable table(9, {Sample(7, 16), Sample(8, 2)});  // ends in zero motive entries
    Bytes data = Encoded(table);
    CInteractionTable whole;
    ASSERT_TRUE(whole.Decode(data));
    data.pop_back();
    CInteractionTable shortened;
    ASSERT_TRUE(shortened.Decode(data));
    EXPECT_EQ(shortened.Interactions(), whole.Interactions());
}

TEST(InteractionTableFields, StopsAtTheEndOfTheStream)
{
    const CInteractionTable table(9, {Sample(7, 1)});
    Bytes data = Encoded(table);
    data[0] = 4;  // promises four interactions
    CInteractionTable loaded;
    ASSERT_TRUE(loaded.Decode(data));
    EXPECT_EQ(loaded.Interactions().size(), 1u);

    // A version-9 table without any stream (not even the unread byte) has no interactions.
    ASSERT_TRUE(loaded.Decode(Table(2, 9).bytes));
    EXPECT_TRUE(loaded.Interactions().empty());
    ASSERT_TRUE(loaded.Decode(Table(2, 9).Byte(1).bytes));
    EXPECT_TRUE(loaded.Interactions().empty());
}

TEST(InteractionTableFields, RefusesAMotiveCountTheStreamCannotHold)
{
    // Eight zero fields and a motive count of 2^31 - 1 in a stream of a few bytes.
    CMemoryStream stream;
    Begin(stream, Table(1, 9).Byte(1).bytes);
    CFieldWriter writer(stream);
    writer.WriteBit(false);
    writer.WriteBit(false);
    writer.Write32(0x7FFFFFFF);
    for (int field = 0; field < 6; ++field)
        writer.WriteBit(false);
    ASSERT_TRUE(writer.Finish());
    CInteractionTable table;
    EXPECT_FALSE(table.Decode(stream.Bytes()));
    EXPECT_TRUE(table.Interactions().empty());

    // Sixteen entries beyond what the rest of the stream holds are still allowed for a cut tail.
    CMemoryStream small;
    Begin(small, Table(1, 9).Byte(1).bytes);
    CFieldWriter smallWriter(small);
    smallWriter.WriteBit(false);
    smallWriter.WriteBit(false);
    smallWriter.Write32(16);
    for (int field = 0; field < 6; ++field)
        smallWriter.WriteBit(false);
    ASSERT_TRUE(smallWriter.Finish());
    ASSERT_TRUE(table.Decode(small.Bytes()));
    ASSERT_EQ(table.Interactions().size(), 1u);
    EXPECT_EQ(table.Interactions()[0].motives.size(), 16u);
}

TEST(InteractionTableRecord, KeepsVersionNameAndUnshownFlagBits)
{
    CIffFile container;
    CIffChunk chunk;
    chunk.type = kTypeTtab;
    chunk.id = 129;
    chunk.flags = 0;
    chunk.name = "Chair interactions";
    const Bytes data = Table(1, 8).Plain(1, 16, 0xDEAD0149).bytes;
    ASSERT_TRUE(container.PutChunk(chunk, data));

    CInteractionTable table(8, {Sample(1, 1)});
    EXPECT_FALSE(table.Load(container, 130));
    EXPECT_EQ(table.Interactions().size(), 1u);  // a missing chunk leaves the table as it was

    ASSERT_TRUE(table.Load(container, 129));
    EXPECT_EQ(table.Version(), 8);
    ASSERT_TRUE(table.Store(container, 129));
    CIffChunk stored;
    stored.type = kTypeTtab;
    stored.id = 129;
    ASSERT_TRUE(container.FindChunk(stored));
    EXPECT_EQ(stored.flags, 0x0010);
    EXPECT_EQ(stored.name, "Chair interactions");
    const auto span = container.ChunkData(stored);
    EXPECT_EQ(Bytes(span.begin(), span.end()), data);
}

TEST(InteractionTableSecondFlags, KeepsFlagsTwoAndStoresByteForByte)
{
    const Bytes data = Table(2, 10).Byte(0).Later(0x1000, 0x1E).Later(0x1001, 0xBF).bytes;
    ASSERT_EQ(data.size(), 5u + 2 * 132);
    CInteractionTable table;
    ASSERT_TRUE(table.Decode(data));
    ASSERT_EQ(table.Interactions().size(), 2u);
    EXPECT_TRUE(table.HasSecondFlags());
    EXPECT_EQ(table.Interactions()[0].flags2, 0x1Eu);
    EXPECT_EQ(table.Interactions()[1].flags2, 0xBFu);
    EXPECT_EQ(table.Interactions()[1].motives[15], (CMotiveEntry{15, -15, 15}));
    EXPECT_EQ(table.Interactions()[0].extraIndex, -1);
    EXPECT_EQ(Encoded(table), data);

    struct CCase
    {
        const char* what;
        void (*edit)(CInteractionTable&);
        Bytes expected;
    };
    const CCase cases[] = {
        {"flags 2 changed",
         [](CInteractionTable& t) {
             CInteraction changed = t.Interactions()[1];
             changed.flags2 = 0x01;
             t.SetInteraction(1, changed);
         },
         Table(2, 10).Byte(0).Later(0x1000, 0x1E).Later(0x1001, 0x01).bytes},
        {"an interaction removed", [](CInteractionTable& t) { t.RemoveInteraction(0); },
         Table(1, 10).Byte(0).Later(0x1001, 0xBF).bytes},
        {"an interaction of three motives added, written with sixteen",
         [](CInteractionTable& t) {
             CInteraction added;
             added.actionTree = 0x1002;
             added.checkTree = 0x1003;
             added.motiveCount = 3;
             added.flags = 0x0109;
             added.nameIndex = 7;
             added.attenuationValue = 0.02f;
             added.autonomyThreshold = 50;
             for (int m = 0; m < 3; ++m)
                 added.motives.push_back({std::int16_t(m), std::int16_t(-m), std::uint16_t(m)});
             t.AddInteraction(added);
         },
         [] {
             CData d = Table(3, 10).Byte(0).Later(0x1000, 0x1E).Later(0x1001, 0xBF);
             const Bytes added = CData().Plain(0x1002, 3).bytes;
             d.bytes.insert(d.bytes.end(), added.begin(), added.end());
             d.bytes[5 + 2 * 132 + 4] = 16;  // the motive count, written as 16
             for (int m = 3; m < 16; ++m)
                 d.LE16(0).LE16(0).LE16(0);
             return d.LE32(0).bytes;
         }()},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        CInteractionTable edited = table;
        c.edit(edited);
        EXPECT_EQ(Encoded(edited), c.expected);
        CInteractionTable again;
        ASSERT_TRUE(again.Decode(c.expected));
        EXPECT_EQ(again.Interactions().size(), edited.Interactions().size());
    }
}
