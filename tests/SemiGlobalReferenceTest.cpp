#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/SemiGlobalReference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;

Bytes FromText(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

Bytes LengthPrefixed(const std::string& name)
{
    Bytes data(name.size() + 1);
    data[0] = std::uint8_t(name.size());
    std::copy(name.begin(), name.end(), data.begin() + 1);
    return data;
}

void Put(CIffFile& container, std::uint32_t type, std::uint16_t id, const Bytes& data, std::uint16_t flags = 0,
         const std::string& name = "glob")
{
    CIffChunk chunk;
    chunk.type = type;
    chunk.id = id;
    chunk.flags = flags;
    chunk.name = name;
    ASSERT_TRUE(container.PutChunk(chunk, data));
}

// The first GLOB entry and its data; false when there is none.
bool FirstGlob(const CIffFile& container, CIffChunk& chunk, Bytes& data)
{
    std::size_t position = container.FindFirstOfType(kTypeGlob);
    if (position == CIffFile::kNoPosition)
        return false;
    chunk = container.NextOfType(position);
    const auto span = container.ChunkData(chunk);
    data.assign(span.begin(), span.end());
    return true;
}
}

TEST(SemiGlobalName, ReadsBothForms)
{
    EXPECT_EQ(DecodeSemiGlobalName(LengthPrefixed("ChairsGlobals")), "ChairsGlobals");
    EXPECT_EQ(DecodeSemiGlobalName(FromText(std::string("Lamps\0junk", 10))), "Lamps");
    EXPECT_EQ(DecodeSemiGlobalName(FromText("NoTerminator")), "NoTerminator");
    EXPECT_EQ(DecodeSemiGlobalName(FromText(std::string("0digit\0", 7))), "0digit");
    EXPECT_EQ(DecodeSemiGlobalName({}), "");
    EXPECT_EQ(DecodeSemiGlobalName(Bytes{0}), "");
}

TEST(SemiGlobalName, LengthByteNeverReachesPastTheData)
{
    Bytes data = LengthPrefixed("Short");
    data[0] = 0x2F;
    EXPECT_EQ(DecodeSemiGlobalName(data), "Short");
    // From 0x80 the byte counts as below '0' and is a length too.
    data[0] = 0x85;
    EXPECT_EQ(DecodeSemiGlobalName(data), "Short");
    data = Bytes{0x82, 'a', 'b', 'c'};
    EXPECT_EQ(DecodeSemiGlobalName(data), "abc");
}

TEST(SemiGlobalName, ReadsTheFirstGlobChunk)
{
    CIffFile container;
    EXPECT_EQ(ReadSemiGlobalName(container), "");
    Put(container, kTypeStr, 5, LengthPrefixed("Not a glob"));
    Put(container, kTypeGlob, 9, LengthPrefixed("First"));
    Put(container, kTypeGlob, 3, LengthPrefixed("Second"));
    EXPECT_EQ(ReadSemiGlobalName(container), "First");
}

TEST(SemiGlobalNameSave, LeavesAnUnchangedNameAsItStands)
{
    CIffFile container;
    const Bytes data = FromText(std::string("Showers\0\xA3\xA3", 10));
    Put(container, kTypeGlob, 128, data, 0x0002, "kept");
    const std::size_t imageLength = container.ImageLength();
    const std::string asRead = ReadSemiGlobalName(container);
    ASSERT_TRUE(StoreSemiGlobalName(container, asRead, asRead));
    EXPECT_EQ(container.ImageLength(), imageLength);
    CIffChunk chunk;
    Bytes stored;
    ASSERT_TRUE(FirstGlob(container, chunk, stored));
    EXPECT_EQ(stored, data);
}

TEST(SemiGlobalNameSave, RewritesAChangedNameUnderTheChunksOwnEntry)
{
    CIffFile container;
    Put(container, kTypeGlob, 2049, FromText(std::string("Old\0", 4)), 0x0002, "kept");
    ASSERT_TRUE(StoreSemiGlobalName(container, "BathroomGlobal", "Old"));
    CIffChunk chunk;
    Bytes stored;
    ASSERT_TRUE(FirstGlob(container, chunk, stored));
    EXPECT_EQ(stored, LengthPrefixed("BathroomGlobal"));
    EXPECT_EQ(chunk.id, 2049);
    EXPECT_EQ(chunk.flags, 0x0002);
    EXPECT_EQ(chunk.name, "kept");
    EXPECT_EQ(container.Chunks().size(), 1u);
}

TEST(SemiGlobalNameSave, FillsTheFixedFieldOfId128)
{
    CIffFile container;
    Put(container, kTypeGlob, 128, LengthPrefixed("x"));
    ASSERT_TRUE(StoreSemiGlobalName(container, "ThirteenChars", "x"));
    CIffChunk chunk;
    Bytes stored;
    ASSERT_TRUE(FirstGlob(container, chunk, stored));
    ASSERT_EQ(stored.size(), 256u);
    EXPECT_EQ(Bytes(stored.begin(), stored.begin() + 14), LengthPrefixed("ThirteenChars"));
    EXPECT_EQ(Bytes(stored.begin() + 14, stored.end()), Bytes(242, 0xA3));
}

TEST(SemiGlobalNameSave, AddsANewChunkWhenThereIsNone)
{
    CIffFile container;
    ASSERT_TRUE(StoreSemiGlobalName(container, "", ""));
    EXPECT_TRUE(container.Chunks().empty());

    ASSERT_TRUE(StoreSemiGlobalName(container, "Sofas", ""));
    CIffChunk chunk;
    Bytes stored;
    ASSERT_TRUE(FirstGlob(container, chunk, stored));
    EXPECT_EQ(chunk.id, 1);
    EXPECT_EQ(chunk.flags, 0x0010);
    EXPECT_EQ(chunk.name, "semi global file");
    EXPECT_EQ(stored, LengthPrefixed("Sofas"));
}

TEST(SemiGlobalNameSave, EmptyNameRemovesTheChunk)
{
    CIffFile container;
    Put(container, kTypeGlob, 7, LengthPrefixed("Gone"));
    Put(container, kTypeBcon, 7, Bytes{0, 0});
    ASSERT_TRUE(StoreSemiGlobalName(container, "", "Gone"));
    CIffChunk chunk;
    Bytes stored;
    EXPECT_FALSE(FirstGlob(container, chunk, stored));
    EXPECT_EQ(container.Chunks().size(), 1u);
}

TEST(SemiGlobalNameSave, CutsLongNamesTo255)
{
    CIffFile container;
    ASSERT_TRUE(StoreSemiGlobalName(container, std::string(300, 'n'), ""));
    CIffChunk chunk;
    Bytes stored;
    ASSERT_TRUE(FirstGlob(container, chunk, stored));
    EXPECT_EQ(stored, LengthPrefixed(std::string(255, 'n')));
}

TEST(SemiGlobalNameSave, EveryNameReadsBackOrIsRefused)
{
    // A length byte from '0' to 0x7F would read back as the name's first character, so names of 48
    // to 127 characters are written NUL-terminated when their first byte allows it, else refused.
    struct CCase
    {
        std::string name;
        bool stored;
        bool terminated;
    };
    const CCase cases[] = {
        {std::string(47, 'g'), true, false},
        {std::string(48, 'g'), true, true},
        {"0" + std::string(59, 'x'), true, true},
        {"\x7F" + std::string(126, 'x'), true, true},
        {std::string(128, 'g'), true, false},
        {std::string(255, 'g'), true, false},
        {" " + std::string(59, 'x'), false, false},
        {"\x80" + std::string(59, 'x'), false, false},
        {"g" + std::string(10, 'x') + '\0' + std::string(50, 'x'), false, false},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "length " << c.name.size() << ", first byte " << int(std::uint8_t(c.name[0])));
        EXPECT_EQ(SemiGlobalNameProblem(c.name).empty(), c.stored);
        for (const std::uint16_t id : {std::uint16_t(1), std::uint16_t(128)})
        {
            CIffFile container;
            ASSERT_TRUE(StoreSemiGlobalName(container, "Old", ""));
            CIffChunk chunk;
            Bytes before;
            ASSERT_TRUE(FirstGlob(container, chunk, before));
            if (id == 128)
            {
                container.RemoveChunk(chunk);
                chunk.id = 128;
                ASSERT_TRUE(container.PutChunk(chunk, before));
            }
            EXPECT_EQ(StoreSemiGlobalName(container, c.name, "Old"), c.stored);
            Bytes stored;
            ASSERT_TRUE(FirstGlob(container, chunk, stored));
            if (!c.stored)
            {
                EXPECT_EQ(stored, before);
                continue;
            }
            EXPECT_EQ(ReadSemiGlobalName(container), c.name);
            Bytes expected = c.terminated ? FromText(c.name + '\0') : LengthPrefixed(c.name);
            if (id == 128)
                expected.resize(256, 0xA3);
            EXPECT_EQ(stored, expected);
        }
    }
}
