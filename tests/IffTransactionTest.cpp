// Changes of a container made in place: what a committed change holds (only the entries it
// altered), taking it back and making it again to the exact directory and written bytes, and a
// failed change leaving the container as it was.

#include "containers/IffTransaction.h"

#include "containers/TypeCodes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;

bool Put(CIffFile& container, std::uint32_t type, std::uint16_t id, const Bytes& data, const std::string& name,
         std::uint16_t flags = kStoredChunkFlags)
{
    CIffChunk chunk{type, 0, 0, id, flags, name};
    return container.PutChunk(chunk, data);
}

bool Remove(CIffFile& container, std::uint32_t type, std::uint16_t id)
{
    CIffChunk chunk{type, 0, 0, id, 0, ""};
    return container.RemoveChunk(chunk);
}

Bytes Written(CIffFile& container)
{
    CMemoryStream stream;
    EXPECT_TRUE(container.Write(&stream));
    return stream.TakeBytes();
}

CIffFile ReadFrom(const Bytes& bytes)
{
    CIffFile container;
    CMemoryStream stream(bytes);
    EIffRead code = EIffRead::Ok;
    EXPECT_TRUE(container.Read(&stream, code));
    return container;
}

// Six records in an order no sorting would give, two of them under one type and id, as files as
// read can hold (storing never makes a second entry of an id, so the file is patched).
CIffFile Object()
{
    CIffFile built;
    EXPECT_TRUE(Put(built, kTypeBhav, 4097, Bytes(40, 1), "second"));
    EXPECT_TRUE(Put(built, kTypeStr, 128, Bytes(20, 2), "names"));
    EXPECT_TRUE(Put(built, kTypeBhav, 4096, Bytes(60, 3), "first"));
    EXPECT_TRUE(Put(built, kTypeBcon, 4096, Bytes(8, 4), "constants", 0x0030));
    EXPECT_TRUE(Put(built, kTypeStr, 300, Bytes(10, 5), "other"));
    EXPECT_TRUE(Put(built, kTypeStr, 299, Bytes(12, 6), "twin"));
    Bytes bytes = Written(built);
    CIffChunk twin{kTypeStr, 0, 0, 299, 0, ""};
    EXPECT_TRUE(ReadFrom(bytes).FindChunk(twin));
    const std::size_t idAt = twin.offset - CIffFile::kChunkHeaderSize + 8;
    bytes[idAt] = 0x01;
    bytes[idAt + 1] = 0x2C;  // 300
    return ReadFrom(bytes);
}

// The directory as it reads, entry for entry: type, id, flags, name and data.
using CEntry = std::tuple<std::uint32_t, std::uint16_t, std::uint16_t, std::string, Bytes>;
std::vector<CEntry> Directory(const CIffFile& container)
{
    std::vector<CEntry> entries;
    for (const CIffChunk& chunk : container.Chunks())
    {
        const auto data = container.ChunkData(chunk);
        entries.emplace_back(chunk.type, chunk.id, chunk.flags, chunk.name, Bytes(data.begin(), data.end()));
    }
    return entries;
}

struct CChangeCase
{
    const char* what;
    std::function<bool(CIffFile&)> change;
    std::size_t before;  // entries the change holds as they were
    std::size_t after;   // and as they became
};
}  // namespace

TEST(IffTransaction, ACommittedChangeHoldsOnlyItsEntriesAndUndoesAndRedoesExactly)
{
    const std::vector<CChangeCase> cases = {
        {"an edit of one record", [](CIffFile& c) { return Put(c, kTypeBhav, 4096, Bytes(64, 9), "first"); }, 1, 1},
        {"a rename", [](CIffFile& c) { return Put(c, kTypeStr, 128, Bytes(20, 2), "renamed"); }, 1, 1},
        {"a new record", [](CIffFile& c) { return Put(c, kTypeBhav, 4200, Bytes(12, 7), "new"); }, 0, 1},
        {"a record of a new type", [](CIffFile& c) { return Put(c, kTypeTtab, 128, Bytes(30, 7), "table"); }, 0, 1},
        {"a deletion in the middle", [](CIffFile& c) { return Remove(c, kTypeStr, 128); }, 1, 0},
        {"a move to another id",
         [](CIffFile& c) { return Remove(c, kTypeBhav, 4097) && Put(c, kTypeBhav, 4098, Bytes(40, 1), "second"); }, 1,
         1},
        {"two records at once",
         [](CIffFile& c) {
             return Put(c, kTypeBhav, 4097, Bytes(44, 8), "second") && Put(c, kTypeBcon, 4096, Bytes(8, 0), "c");
         },
         2, 2},
        {"the first of two entries of one id", [](CIffFile& c) { return Remove(c, kTypeStr, 300); }, 2, 1},
    };
    for (const CChangeCase& test : cases)
    {
        SCOPED_TRACE(test.what);
        CIffFile container = Object();
        const std::vector<CEntry> original = Directory(container);
        const Bytes originalBytes = Written(container);

        CIffTransaction transaction(container);
        ASSERT_TRUE(test.change(container));
        const std::optional<CIffChange> change = transaction.Commit();
        ASSERT_TRUE(change.has_value());
        EXPECT_EQ(change->before.size(), test.before);
        EXPECT_EQ(change->after.size(), test.after);
        const std::vector<CEntry> changed = Directory(container);
        const Bytes changedBytes = Written(container);
        ASSERT_NE(changed, original);

        for (int round = 0; round < 2; ++round)
        {
            ASSERT_TRUE(ApplyChange(container, *change, false));
            EXPECT_EQ(Directory(container), original);
            EXPECT_EQ(Written(container), originalBytes);
            ASSERT_TRUE(ApplyChange(container, *change, true));
            EXPECT_EQ(Directory(container), changed);
            EXPECT_EQ(Written(container), changedBytes);
        }
    }
}

TEST(IffTransaction, AChangeOfNothingButFlagsIsTakenBackAndHoldsNothing)
{
    const std::vector<CChangeCase> cases = {
        {"the same bytes stored again", [](CIffFile& c) { return Put(c, kTypeBhav, 4096, Bytes(60, 3), "first"); }, 0,
         0},
        {"the stored flags over others",
         [](CIffFile& c) { return Put(c, kTypeBcon, 4096, Bytes(8, 4), "constants", kStoredChunkFlags); }, 0, 0},
        {"no change at all", [](CIffFile&) { return true; }, 0, 0},
    };
    for (const CChangeCase& test : cases)
    {
        SCOPED_TRACE(test.what);
        CIffFile container = Object();
        const std::vector<CEntry> original = Directory(container);
        CIffTransaction transaction(container);
        ASSERT_TRUE(test.change(container));
        const std::optional<CIffChange> change = transaction.Commit();
        ASSERT_TRUE(change.has_value());
        EXPECT_TRUE(change->Empty());
        EXPECT_EQ(Directory(container), original);
    }
}

TEST(IffTransaction, AChangeLeftUncommittedLeavesTheContainerAsItWas)
{
    CIffFile container = Object();
    const std::vector<CEntry> original = Directory(container);
    const Bytes originalBytes = Written(container);
    const Bytes originalImage(container.Image(), container.Image() + container.ImageLength());
    {
        CIffTransaction transaction(container);
        // Far more stored than the container holds, so that nothing of the image may be given up
        // while the transaction still points into it.
        for (int i = 0; i < 40; ++i)
            ASSERT_TRUE(Put(container, kTypeBhav, 4096, Bytes(400, std::uint8_t(i)), "first"));
        ASSERT_TRUE(Remove(container, kTypeStr, 128));
        ASSERT_TRUE(Put(container, kTypeTtab, 1, Bytes(10, 1), "new"));
    }
    EXPECT_EQ(Directory(container), original);
    EXPECT_EQ(Written(container), originalBytes);
    EXPECT_EQ(container.Types(), Object().Types());
    EXPECT_EQ(Bytes(container.Image(), container.Image() + container.ImageLength()), originalImage);
}

TEST(IffTransaction, EditsThatKeepTheirSizesLeaveTheImageAsLongAsItWas)
{
    CIffFile container = Object();
    const std::size_t length = container.ImageLength();
    std::vector<CIffChange> steps;
    for (std::uint8_t value = 20; value < 30; ++value)
    {
        CIffTransaction transaction(container);
        ASSERT_TRUE(Put(container, kTypeBhav, 4096, Bytes(60, value), "edited"));
        ASSERT_TRUE(Put(container, kTypeStr, 300, Bytes(10, value), "other"));
        std::optional<CIffChange> change = transaction.Commit();
        ASSERT_TRUE(change.has_value());
        steps.push_back(std::move(*change));
        EXPECT_EQ(container.ImageLength(), length);
    }
    const std::vector<CEntry> last = Directory(container);
    for (auto step = steps.rbegin(); step != steps.rend(); ++step)
        ASSERT_TRUE(ApplyChange(container, *step, false));
    EXPECT_EQ(Directory(container), Directory(Object()));
    for (const CIffChange& step : steps)
        ASSERT_TRUE(ApplyChange(container, step, true));
    EXPECT_EQ(Directory(container), last);
    EXPECT_EQ(container.ImageLength(), length);
}
