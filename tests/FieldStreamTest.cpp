#include "containers/ByteStream.h"
#include "records/FieldStream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace
{
// Bytes from a string of '0' and '1' (blanks ignored), packed from the top bit, the last byte
// filled with 0 bits.
std::vector<std::uint8_t> FromBits(const std::string& bits)
{
    std::vector<std::uint8_t> bytes;
    int used = 0;
    for (const char c : bits)
    {
        if (c == ' ')
            continue;
        if (used % 8 == 0)
            bytes.push_back(0);
        if (c == '1')
            bytes.back() = std::uint8_t(bytes.back() | (0x80 >> (used % 8)));
        ++used;
    }
    return bytes;
}

std::vector<std::uint8_t> Written16(std::uint16_t value)
{
    CMemoryStream stream;
    CFieldWriter writer(stream);
    writer.Write16(value);
    EXPECT_TRUE(writer.Finish());
    return stream.Bytes();
}

std::vector<std::uint8_t> Written32(std::uint32_t value)
{
    CMemoryStream stream;
    CFieldWriter writer(stream);
    writer.Write32(value);
    EXPECT_TRUE(writer.Finish());
    return stream.Bytes();
}

struct CFieldCase
{
    std::int32_t value;
    int code;  // expected size code, -1 for the single 0 bit
};
}

TEST(FieldWriter, EncodesTheDocumentedExamples)
{
    EXPECT_EQ(Written16(0), FromBits("0"));
    EXPECT_EQ(Written16(15), FromBits("1 00 01111"));
    EXPECT_EQ(Written32(std::uint32_t(-1)), FromBits("1 00 111111"));
    EXPECT_EQ(Written16(1000), FromBits("1 10 0001111101000"));
    EXPECT_EQ(Written32(std::uint32_t(-100)), FromBits("1 01 11110011100"));
}

TEST(FieldWriter, ZeroTakesOneBitSoFieldsShareBytes)
{
    CMemoryStream stream;
    CFieldWriter writer(stream);
    for (int i = 0; i < 3; ++i)
        writer.Write16(0);
    writer.Write16(1);
    for (int i = 0; i < 5; ++i)
        writer.Write32(0);
    ASSERT_TRUE(writer.Finish());
    EXPECT_EQ(stream.Bytes(), FromBits("000 1 00 00001 00000"));
}

TEST(FieldWriter, FinishWritesOnlyAnIncompleteByte)
{
    CMemoryStream stream;
    CFieldWriter writer(stream);
    writer.WriteBits(0xA5, 8);
    ASSERT_TRUE(writer.Finish());
    EXPECT_EQ(stream.Bytes(), std::vector<std::uint8_t>{0xA5});

    writer.WriteBits(0x5, 3);
    ASSERT_TRUE(writer.Finish());
    EXPECT_EQ(stream.Bytes(), (std::vector<std::uint8_t>{0xA5, 0xA0}));
}

TEST(FieldStream, ChoosesTheSmallestCodeAndReadsBackEveryWidth16)
{
    const CFieldCase cases[] = {
        {0, -1},     {1, 0},      {15, 0},     {-16, 0},     {16, 1},      {-17, 1},
        {127, 1},    {-128, 1},   {128, 2},    {-129, 2},    {4095, 2},    {-4096, 2},
        {4096, 3},   {-4097, 3},  {32767, 3},  {-32768, 3},
    };
    for (const CFieldCase& c : cases)
    {
        SCOPED_TRACE(c.value);
        const std::vector<std::uint8_t> bytes = Written16(std::uint16_t(c.value));
        CFieldReader header(bytes);
        ASSERT_EQ(header.ReadBit(), c.code >= 0);
        if (c.code >= 0)
        {
            EXPECT_EQ(int(header.ReadBits(2)), c.code);
        }
        CFieldReader reader(bytes);
        EXPECT_EQ(std::int16_t(reader.Read16()), c.value);
    }
}

TEST(FieldStream, ChoosesTheSmallestCodeAndReadsBackEveryWidth32)
{
    const CFieldCase cases[] = {
        {0, -1},          {31, 0},        {-32, 0},       {32, 1},
        {-33, 1},         {1023, 1},      {-1024, 1},     {1024, 2},
        {-1025, 2},       {1048575, 2},   {-1048576, 2},  {1048576, 3},
        {-1048577, 3},    {std::numeric_limits<std::int32_t>::max(), 3},
        {std::numeric_limits<std::int32_t>::min(), 3},
    };
    for (const CFieldCase& c : cases)
    {
        SCOPED_TRACE(c.value);
        const std::vector<std::uint8_t> bytes = Written32(std::uint32_t(c.value));
        CFieldReader header(bytes);
        ASSERT_EQ(header.ReadBit(), c.code >= 0);
        if (c.code >= 0)
        {
            EXPECT_EQ(int(header.ReadBits(2)), c.code);
        }
        CFieldReader reader(bytes);
        EXPECT_EQ(std::int32_t(reader.Read32()), c.value);
    }
}

TEST(FieldReader, TakesTheWidestCodeAsItStands)
{
    // A value that would fit a narrower code, written the long way, keeps its value and its
    // top bit is not a sign.
    const std::vector<std::uint8_t> bytes =
        FromBits("1 11 0000000000000101  1 11 1000000000000000  1 11 11111111111111111111111111111111");
    CFieldReader reader(bytes);
    EXPECT_EQ(reader.Read16(), 5);
    EXPECT_EQ(reader.Read16(), 0x8000);
    EXPECT_EQ(reader.Read32(), 0xFFFFFFFFu);
}

TEST(FieldReader, MissingBitsReadAsZeroWithoutMovingPastTheEnd)
{
    // 1000 as a 16-bit field with its last byte gone: the missing low bits come back as 0.
    std::vector<std::uint8_t> bytes = FromBits("1 10 0001111101000");
    bytes.pop_back();
    CFieldReader reader(bytes);
    EXPECT_EQ(reader.Read16(), 1000 & ~0xFF);
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(reader.RemainingBits(), 0u);
    EXPECT_EQ(reader.Read32(), 0u);

    CFieldReader empty(std::span<const std::uint8_t>{});
    EXPECT_TRUE(empty.AtEnd());
    EXPECT_EQ(empty.Read16(), 0);
}

TEST(FieldReader, CountsRemainingBitsAcrossThePartialByte)
{
    const std::vector<std::uint8_t> bytes{0xFF, 0x00, 0x00};
    CFieldReader reader(bytes);
    EXPECT_EQ(reader.RemainingBits(), 24u);
    EXPECT_FALSE(reader.AtEnd());
    reader.ReadBits(3);
    EXPECT_EQ(reader.RemainingBits(), 21u);
    reader.ReadBits(13);
    EXPECT_EQ(reader.RemainingBits(), 8u);
    reader.ReadBit();
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(reader.RemainingBits(), 7u);
}
