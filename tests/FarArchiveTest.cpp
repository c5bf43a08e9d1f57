#include "containers/ByteOrder.h"
#include "containers/FarArchive.h"
#include "containers/FarDirectory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;

struct SMember
{
    std::string name;
    Bytes data;
};

void AppendLE32(Bytes& bytes, std::uint32_t value)
{
    std::uint8_t field[4];
    WriteLE32(field, value);
    bytes.insert(bytes.end(), field, field + 4);
}

// An archive as the game's tools lay it out: header, member data, then the directory.
Bytes BuildArchive(const std::vector<SMember>& members)
{
    Bytes file = {'F', 'A', 'R', '!', 'b', 'y', 'A', 'Z'};
    AppendLE32(file, 1);
    AppendLE32(file, 0);  // directory offset, patched below
    std::vector<std::uint32_t> offsets;
    for (const SMember& member : members)
    {
        offsets.push_back(static_cast<std::uint32_t>(file.size()));
        file.insert(file.end(), member.data.begin(), member.data.end());
    }
    WriteLE32(&file[12], static_cast<std::uint32_t>(file.size()));
    AppendLE32(file, static_cast<std::uint32_t>(members.size()));
    for (std::size_t i = 0; i < members.size(); ++i)
    {
        AppendLE32(file, static_cast<std::uint32_t>(members[i].data.size()));
        AppendLE32(file, static_cast<std::uint32_t>(members[i].data.size()));
        AppendLE32(file, offsets[i]);
        AppendLE32(file, static_cast<std::uint32_t>(members[i].name.size()));
        file.insert(file.end(), members[i].name.begin(), members[i].name.end());
    }
    return file;
}

std::uint32_t DirectoryOffset(const Bytes& file)
{
    return ReadLE32(&file[12]);
}

// Position of entry `index`'s fixed fields, walking the names before it.
std::size_t EntryAt(const Bytes& file, std::size_t index)
{
    std::size_t position = DirectoryOffset(file) + 4;
    for (std::size_t i = 0; i < index; ++i)
        position += 16 + ReadLE32(&file[position + 12]);
    return position;
}

bool OpenBytes(CFarArchive& archive, const Bytes& file)
{
    CMemoryStream stream(file);
    return archive.Open(&stream);
}

// A stream that promises more bytes than it delivers, like a file cut while being read.
class CShortReadStream : public CMemoryStream
{
public:
    using CMemoryStream::CMemoryStream;
    std::uint64_t Length() const override { return CMemoryStream::Length() + 100; }
};

const std::vector<SMember> kTwoMembers = {{"Objects\\Chair.iff", Bytes{1, 2, 3, 4, 5}}, {"Table.iff", Bytes{9, 8, 7}}};
}

TEST(FarOpen, ListsMembersInArchiveOrder)
{
    const Bytes file = BuildArchive(kTwoMembers);
    CFarArchive archive;
    ASSERT_TRUE(OpenBytes(archive, file));
    EXPECT_TRUE(archive.IsOpen());
    ASSERT_EQ(archive.Entries().size(), 2u);
    const CFarEntry& first = archive.Entries()[0];
    EXPECT_EQ(first.name, "Objects\\Chair.iff");  // folders kept, backslashes and all
    EXPECT_EQ(first.nameLength, 17u);
    EXPECT_EQ(first.length1, 5u);
    EXPECT_EQ(first.length2, 5u);
    EXPECT_EQ(first.offset, 16u);
    EXPECT_EQ(archive.Entries()[1].name, "Table.iff");
    EXPECT_EQ(archive.Entries()[1].offset, 21u);

    CMemoryStream out;
    ASSERT_TRUE(archive.Extract(out, archive.Entries()[1]));
    EXPECT_EQ(out.Bytes(), (Bytes{9, 8, 7}));
}

TEST(FarOpen, ZeroMembersOpensEmpty)
{
    CFarArchive archive;
    ASSERT_TRUE(OpenBytes(archive, BuildArchive({})));
    EXPECT_TRUE(archive.IsOpen());
    EXPECT_TRUE(archive.Entries().empty());
}

TEST(FarOpen, RejectsWhatIsNoArchive)
{
    const Bytes good = BuildArchive(kTwoMembers);
    CFarArchive archive;

    EXPECT_FALSE(archive.Open(nullptr));
    EXPECT_FALSE(OpenBytes(archive, Bytes(good.begin(), good.begin() + 15)));
    EXPECT_FALSE(OpenBytes(archive, {}));

    Bytes wrongMagic = good;
    wrongMagic[7] = 'z';
    EXPECT_FALSE(OpenBytes(archive, wrongMagic));

    Bytes version2 = good;
    WriteLE32(&version2[8], 2);
    EXPECT_FALSE(OpenBytes(archive, version2));
    Bytes version0 = good;
    WriteLE32(&version0[8], 0);
    EXPECT_FALSE(OpenBytes(archive, version0));
    EXPECT_FALSE(archive.IsOpen());
}

TEST(FarOpen, DirectoryOffsetMustLeaveRoomForCount)
{
    Bytes file = BuildArchive({});
    ASSERT_EQ(file.size(), DirectoryOffset(file) + 4u);
    CFarArchive archive;
    EXPECT_TRUE(OpenBytes(archive, file));

    WriteLE32(&file[12], DirectoryOffset(file) + 1);
    EXPECT_FALSE(OpenBytes(archive, file));
    // Far past the end: must not wrap around in 32 bits.
    WriteLE32(&file[12], 0xFFFFFFFE);
    EXPECT_FALSE(OpenBytes(archive, file));
}

TEST(FarOpen, NamePastEndFailsKeepingEarlierEntries)
{
    Bytes file = BuildArchive(kTwoMembers);
    WriteLE32(&file[EntryAt(file, 1) + 12], 10);  // "Table.iff" has 9 bytes, and the file ends there
    CFarArchive archive;
    EXPECT_FALSE(OpenBytes(archive, file));
    EXPECT_FALSE(archive.IsOpen());
    ASSERT_EQ(archive.Entries().size(), 1u);
    EXPECT_EQ(archive.Entries()[0].name, "Objects\\Chair.iff");

    // A name length near four billion must not wrap either.
    WriteLE32(&file[EntryAt(file, 1) + 12], 0xFFFFFFF0);
    EXPECT_FALSE(OpenBytes(archive, file));
}

TEST(FarOpen, EntryCutInItsFixedFieldsFails)
{
    Bytes file = BuildArchive(kTwoMembers);
    file.resize(EntryAt(file, 1) + 15);
    CFarArchive archive;
    EXPECT_FALSE(OpenBytes(archive, file));
    EXPECT_EQ(archive.Entries().size(), 1u);
}

TEST(FarOpen, HugeMemberCountFailsAtFirstMissingEntry)
{
    Bytes file = BuildArchive(kTwoMembers);
    WriteLE32(&file[DirectoryOffset(file)], 0xFFFFFFFF);
    CFarArchive archive;
    EXPECT_FALSE(OpenBytes(archive, file));
    EXPECT_EQ(archive.Entries().size(), 2u);
}

TEST(FarOpen, ShortReadFails)
{
    CShortReadStream stream(BuildArchive(kTwoMembers));
    CFarArchive archive;
    EXPECT_FALSE(archive.Open(&stream));
    EXPECT_FALSE(archive.IsOpen());
}

TEST(FarOpen, ReopeningForgetsThePreviousArchive)
{
    CFarArchive archive;
    ASSERT_TRUE(OpenBytes(archive, BuildArchive(kTwoMembers)));
    const CFarEntry old = archive.Entries()[0];
    ASSERT_TRUE(OpenBytes(archive, BuildArchive({{"Only.iff", Bytes{42}}})));
    ASSERT_EQ(archive.Entries().size(), 1u);
    EXPECT_EQ(archive.Entries()[0].name, "Only.iff");

    Bytes broken = BuildArchive(kTwoMembers);
    broken[0] = 'X';
    EXPECT_FALSE(OpenBytes(archive, broken));
    EXPECT_TRUE(archive.Entries().empty());
    CMemoryStream out;
    EXPECT_FALSE(archive.Extract(out, old));
}

TEST(FarExtract, TakesLength2BytesWhateverLength1Says)
{
    Bytes file = BuildArchive(kTwoMembers);
    const std::size_t entry = EntryAt(file, 0);
    WriteLE32(&file[entry], 1000);  // length1
    WriteLE32(&file[entry + 4], 3); // length2
    CFarArchive archive;
    ASSERT_TRUE(OpenBytes(archive, file));
    EXPECT_EQ(archive.Entries()[0].length1, 1000u);
    CMemoryStream out;
    ASSERT_TRUE(archive.Extract(out, archive.Entries()[0]));
    EXPECT_EQ(out.Bytes(), (Bytes{1, 2, 3}));
}

TEST(FarExtract, RefusesRangesOutsideTheImage)
{
    CFarArchive archive;
    CMemoryStream out;
    CFarEntry entry;
    entry.length2 = 1;
    EXPECT_FALSE(archive.Extract(out, entry));  // nothing open

    const Bytes file = BuildArchive(kTwoMembers);
    ASSERT_TRUE(OpenBytes(archive, file));
    entry.offset = static_cast<std::uint32_t>(file.size() - 4);
    entry.length2 = 4;
    EXPECT_TRUE(archive.Extract(out, entry));  // up to the last byte
    EXPECT_EQ(out.Bytes().size(), 4u);

    CMemoryStream untouched;
    entry.length2 = 5;
    EXPECT_FALSE(archive.Extract(untouched, entry));
    // Offset and length that wrap to a small end in 32 bits.
    entry.offset = 0xFFFFFFF0;
    entry.length2 = 0x20;
    EXPECT_FALSE(archive.Extract(untouched, entry));
    entry.offset = 16;
    entry.length2 = 0xFFFFFFFF;
    EXPECT_FALSE(archive.Extract(untouched, entry));
    EXPECT_TRUE(untouched.Bytes().empty());

    entry.offset = static_cast<std::uint32_t>(file.size());
    entry.length2 = 0;
    EXPECT_TRUE(archive.Extract(untouched, entry));  // an empty member at the very end
}

// The loader walks an archive's directory where it lies instead of copying it into entries; on
// every archive, good or damaged, the walk must accept what the reader accepts and give the same
// entries, in order from a cursor and one by one from the marks it keeps every 64 entries.
TEST(FarDirectory, WalksTheEntriesTheReaderLists)
{
    std::vector<SMember> many;
    for (int i = 0; i < 200; ++i)
        many.push_back({(i % 3 == 0 ? "Objects\\" : "") + std::to_string(i) + ".iff", Bytes(std::size_t(i % 7), 1)});
    const Bytes good = BuildArchive(kTwoMembers);
    const Bytes large = BuildArchive(many);
    const auto changed = [](Bytes file, const std::function<void(Bytes&)>& change) {
        change(file);
        return file;
    };
    struct CRow
    {
        const char* what;
        Bytes file;
    };
    const std::vector<CRow> rows{
        {"two members", good},
        {"200 members", large},
        {"no members", BuildArchive({})},
        {"cut in the header", Bytes(good.begin(), good.begin() + 15)},
        {"nothing", {}},
        {"wrong magic", changed(good, [](Bytes& f) { f[7] = 'z'; })},
        {"version 2", changed(good, [](Bytes& f) { WriteLE32(&f[8], 2); })},
        {"directory past the end", changed(good, [](Bytes& f) { WriteLE32(&f[12], 0xFFFFFFFE); })},
        {"name past the end", changed(good, [](Bytes& f) { WriteLE32(&f[EntryAt(f, 1) + 12], 10); })},
        {"name length near 4 GiB", changed(good, [](Bytes& f) { WriteLE32(&f[EntryAt(f, 1) + 12], 0xFFFFFFF0); })},
        {"entry cut", changed(good, [](Bytes& f) { f.resize(EntryAt(f, 1) + 15); })},
        {"huge count", changed(large, [](Bytes& f) { WriteLE32(&f[DirectoryOffset(f)], 0xFFFFFFFF); })},
        {"count below the entries", changed(large, [](Bytes& f) { WriteLE32(&f[DirectoryOffset(f)], 130); })},
    };
    for (const CRow& row : rows)
    {
        CFarArchive archive;
        CMemoryStream stream(row.file);
        const bool read = archive.OpenDirectory(&stream);
        CFarDirectory directory;
        ASSERT_EQ(directory.Open(row.file), read) << row.what;
        if (!read)
        {
            EXPECT_EQ(directory.Size(), 0u) << row.what;
            continue;
        }
        ASSERT_EQ(directory.Size(), archive.Entries().size()) << row.what;
        CFarDirectory::CCursor cursor = directory.CursorAt(0);
        for (std::size_t i = 0; i < directory.Size(); ++i, cursor.Next())
        {
            const CFarEntry& expected = archive.Entries()[i];
            for (const CFarDirectoryEntry& entry : {cursor.Entry(), directory.At(i)})
            {
                EXPECT_EQ(entry.name, expected.name) << row.what << ", entry " << i;
                EXPECT_EQ(entry.offset, expected.offset) << row.what << ", entry " << i;
                EXPECT_EQ(entry.length1, expected.length1) << row.what << ", entry " << i;
                EXPECT_EQ(entry.length2, expected.length2) << row.what << ", entry " << i;
            }
        }
        EXPECT_EQ(directory.CursorAt(directory.Size()).Index(), directory.Size()) << row.what;
    }
}
