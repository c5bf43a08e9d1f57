#include "containers/ByteReader.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ByteReader, ReadsInEitherOrderAndStopsAtTheEnd)
{
    const std::vector<std::uint8_t> bytes{0x01, 0x02, 0x03, 0x04, 'h', 'i', 0, 2, 'o', 'k', 0xFF};
    CByteReader reader(bytes);
    EXPECT_EQ(reader.U16LE(), 0x0201);
    EXPECT_EQ(reader.U16BE(), 0x0304);
    EXPECT_EQ(reader.CString(), "hi");
    EXPECT_EQ(reader.Text8(), "ok");
    EXPECT_FALSE(reader.OutOfData());
    EXPECT_EQ(reader.Remaining(), 1u);

    // One byte left: a 16-bit read gets nothing, takes nothing, and every later read fails too.
    EXPECT_EQ(reader.U16LE(), 0);
    EXPECT_TRUE(reader.OutOfData());
    EXPECT_EQ(reader.Position(), bytes.size() - 1);
    EXPECT_EQ(reader.U8(), 0);
    EXPECT_FALSE(reader.Has(0));
}

TEST(ByteReader, EveryShortReadIsOutOfData)
{
    struct CCase
    {
        const char* what;
        std::vector<std::uint8_t> bytes;
        void (*read)(CByteReader&);
    };
    const CCase cases[] = {
        {"32 bits from three bytes", {1, 2, 3}, [](CByteReader& r) { r.U32LE(); }},
        {"a text without its NUL", {'a', 'b'}, [](CByteReader& r) { r.CString(); }},
        {"a length past the end", {5, 'a', 'b'}, [](CByteReader& r) { r.Text8(); }},
        {"a count of bytes near 2^64", {1, 2}, [](CByteReader& r) { r.Bytes(~std::uint64_t(0)); }},
        {"skipping past the end", {1, 2}, [](CByteReader& r) { r.Skip(3); }},
        {"anything from nothing", {}, [](CByteReader& r) { r.U8(); }},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        CByteReader reader(c.bytes);
        c.read(reader);
        EXPECT_TRUE(reader.OutOfData());
        EXPECT_EQ(reader.Position(), 0u);
    }
}
