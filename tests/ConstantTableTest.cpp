#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/ConstantTable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;

CIffFile ContainerWith(const Bytes& data, std::uint16_t id = 4096, const char* name = "Tuning")
{
    CIffFile container;
    CIffChunk chunk;
    chunk.type = kTypeBcon;
    chunk.id = id;
    chunk.flags = 0x0001;
    chunk.name = name;
    EXPECT_TRUE(container.PutChunk(chunk, data));
    return container;
}

Bytes StoredData(const CIffFile& container, std::uint16_t id, CIffChunk* entry = nullptr)
{
    CIffChunk chunk;
    chunk.type = kTypeBcon;
    chunk.id = id;
    if (!container.FindChunk(chunk))
        return {};
    if (entry)
        *entry = chunk;
    const auto span = container.ChunkData(chunk);
    return Bytes(span.begin(), span.end());
}
}

TEST(ConstantTable, LoadsSignedValuesAndStoresTheSameBytes)
{
    const Bytes data{0x02, 0x80, 0x05, 0x00, 0xFF, 0xFF};
    CIffFile container = ContainerWith(data);
    CConstantTable table;
    ASSERT_TRUE(table.Load(container, 4096));
    EXPECT_EQ(table.Flags(), 0x80);
    EXPECT_EQ(table.Values(), (std::vector<std::int16_t>{5, -1}));
    EXPECT_EQ(table.Name(), "Tuning");

    ASSERT_TRUE(table.Store(container, 4096));
    CIffChunk entry;
    EXPECT_EQ(StoredData(container, 4096, &entry), data);
    EXPECT_EQ(entry.flags, 0x0010);
    EXPECT_EQ(entry.name, "Tuning");
}

TEST(ConstantTable, DropsSpareBytesAndStoresAnEmptyTableAsTwoBytes)
{
    CIffFile container = ContainerWith({0x01, 0x07, 0x34, 0x12, 0xAA, 0xBB});
    CConstantTable table;
    ASSERT_TRUE(table.Load(container, 4096));
    EXPECT_EQ(table.Values(), std::vector<std::int16_t>{0x1234});
    ASSERT_TRUE(table.Store(container, 4096));
    EXPECT_EQ(StoredData(container, 4096), (Bytes{0x01, 0x07, 0x34, 0x12}));

    ASSERT_TRUE(table.ReplaceValues({}));
    ASSERT_TRUE(table.Store(container, 4096));
    EXPECT_EQ(StoredData(container, 4096), (Bytes{0x00, 0x07}));
}

TEST(ConstantTable, FailsWhenTheChunkIsMissingOrShort)
{
    CConstantTable table;
    table.ReplaceValues({42});
    EXPECT_FALSE(table.Load(ContainerWith({0x00, 0x00}), 1));
    EXPECT_FALSE(table.Load(ContainerWith({0x03, 0x00, 1, 0, 2, 0}), 4096));
    EXPECT_FALSE(table.Load(ContainerWith({0x01}), 4096));
    EXPECT_FALSE(table.Load(ContainerWith({}), 4096));
    EXPECT_EQ(table.Values(), std::vector<std::int16_t>{42});
}

TEST(ConstantTable, RefusesMoreConstantsThanTheCountByteHolds)
{
    CIffFile container = ContainerWith({0x00, 0x00});
    CConstantTable table;
    ASSERT_TRUE(table.ReplaceValues(std::vector<std::int16_t>(255, 1)));
    ASSERT_TRUE(table.Store(container, 4096));
    EXPECT_EQ(StoredData(container, 4096).size(), 2u + 2 * 255);

    // A 256th constant is refused by the table itself, so the count byte never has to wrap.
    EXPECT_FALSE(table.AppendValue(2));
    EXPECT_FALSE(table.ReplaceValues(std::vector<std::int16_t>(256, 2)));
    EXPECT_EQ(table.Values(), std::vector<std::int16_t>(255, 1));
}
