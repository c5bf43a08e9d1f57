#include "rendering/NeededFiles.h"

#include "IndexedFiles.h"

#include "containers/TypeCodes.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
void Put(CIffFile& container, std::uint32_t type, std::uint16_t id, const std::string& name)
{
    const std::vector<std::uint8_t> data{0x10, 0x20, 0x30};
    CIffChunk chunk{type, 0, 0, id, 0x10, name};
    ASSERT_TRUE(container.PutChunk(chunk, data));
}

std::vector<std::pair<std::uint16_t, std::string>> Pairs(const CFileScriptNames& entry)
{
    std::vector<std::pair<std::uint16_t, std::string>> pairs;
    for (const CScriptNameEntry& script : entry.scripts)
        pairs.emplace_back(script.id, script.name);
    return pairs;
}
}

TEST(NeededFiles, IndexListsTheLastFilesScriptsInDirectoryOrder)
{
    CIffFile container;
    Put(container, kTypeBhav, 4097, "second id, first place");
    Put(container, kTypeStr, 4096, "a string table");
    Put(container, kTypeBhav, 4096, "first id, second place");
    Put(container, kTypeBcon, 4098, "constants");
    Put(container, kTypeBhav, 0xFFFF, "");
    // A replaced chunk keeps its place in the directory, and the index shows its new name.
    Put(container, kTypeBhav, 4097, "renamed");

    CNeededFiles files;
    files.Add(CIffFile(), "Global.iff");
    files.Add(container, "Chair.iff");

    ASSERT_EQ(files.Index().size(), 2u);
    EXPECT_EQ(files.Index()[0].fileName, "Global.iff");
    EXPECT_TRUE(files.Index()[0].scripts.empty());
    EXPECT_EQ(files.Index()[1].fileName, "Chair.iff");
    EXPECT_EQ(Pairs(files.Index()[1]),
              (std::vector<std::pair<std::uint16_t, std::string>>{
                  {4097, "renamed"}, {4096, "first id, second place"}, {0xFFFF, ""}}));
}

TEST(NeededFiles, KeepsItsOwnCopyOfEveryContainer)
{
    CNeededFiles files;
    {
        CIffFile container;
        Put(container, kTypeBhav, 1, "before");
        files.Add(container, "Object.iff");
        Put(container, kTypeBhav, 2, "after the copy");
    }

    ASSERT_EQ(files.Containers().size(), 1u);
    EXPECT_EQ(files.Containers()[0].Chunks().size(), 1u);
    CIffChunk query;
    query.type = kTypeBhav;
    query.id = 1;
    ASSERT_TRUE(files.Containers()[0].FindChunk(query));
    const auto data = files.Containers()[0].ChunkData(query);
    EXPECT_EQ(std::vector<std::uint8_t>(data.begin(), data.end()), (std::vector<std::uint8_t>{0x10, 0x20, 0x30}));
    EXPECT_EQ(Pairs(files.Index()[0]), (std::vector<std::pair<std::uint16_t, std::string>>{{1, "before"}}));
}

TEST(NeededFiles, TheOpenFileAppendedAfterALoadComesLast)
{
    CNeededFiles files;
    for (const char* name : {"Global.iff", "People.iff"})
    {
        files.Add(CIffFile(), name);
    }
    CIffFile own;
    Put(own, kTypeBhav, 4096, "main");
    files.Add(own, "Chair.iff");

    EXPECT_EQ(ListedNames(files), (std::vector<std::string>{"Global.iff", "People.iff", "Chair.iff"}));
    ASSERT_EQ(files.Index().size(), 3u);
    EXPECT_EQ(files.Index().back().fileName, "Chair.iff");
    EXPECT_EQ(files.Index().back().scripts.size(), 1u);
}

TEST(NeededFiles, ClearEmptiesAllLists)
{
    CNeededFiles files;
    files.Add(CIffFile(), "a.iff");
    files.Clear();
    EXPECT_TRUE(files.Containers().empty());
    EXPECT_TRUE(files.Names().empty());
    EXPECT_TRUE(files.Index().empty());
}

// An archive's names are read from its directory as they are walked or indexed. Whatever the run
// of listed entries looks like (gaps beyond the 64 entries between marks, a listed last entry,
// names in folders), walking, indexing and the containers must agree with the directory, and names
// given one by one before and after the archive keep their places.
TEST(NeededFiles, AnArchivesListedEntriesReadAsTheirDirectorySays)
{
    const std::size_t entries = 300;
    std::vector<std::uint8_t> archive{'F', 'A', 'R', '!', 'b', 'y', 'A', 'Z', 1, 0, 0, 0, 16, 0, 0, 0};
    const auto put32 = [&](std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8)
            archive.push_back(static_cast<std::uint8_t>(value >> shift));
    };
    put32(std::uint32_t(entries));
    std::vector<std::string> names;
    for (std::size_t i = 0; i < entries; ++i)
    {
        names.push_back((i % 2 ? "Folder\\" : "") + std::to_string(i) + ".iff");
        put32(0);
        put32(std::uint32_t(i % 3));  // the member's length: three ranges, each its own member
        put32(0);
        put32(std::uint32_t(names.back().size()));
        archive.insert(archive.end(), names.back().begin(), names.back().end());
    }
    auto image = std::make_shared<CImageBytes>();
    ASSERT_TRUE(image->Allocate(archive.size()));
    std::copy(archive.begin(), archive.end(), image->MutableData());
    CFarDirectory directory;
    ASSERT_TRUE(directory.Open(std::span<const std::uint8_t>(image->Data(), image->Size())));

    const auto members = [] {
        std::vector<CNeededFiles::CArchiveMember> made;
        for (std::uint16_t length = 0; length < 4; ++length)
        {
            CIffFile container;
            Put(container, kTypeBhav, std::uint16_t(100 + length), "from range " + std::to_string(length));
            made.push_back({0, length, CNeededFiles::Prepare(std::move(container))});
        }
        return made;
    };
    struct CRow
    {
        const char* what;
        std::function<bool(std::size_t)> listed;
    };
    const std::vector<CRow> rows{
        {"every entry", [](std::size_t) { return true; }},
        {"every fifth", [](std::size_t i) { return i % 5 == 0; }},
        {"a gap of 200", [](std::size_t i) { return i < 10 || i >= 210; }},
        {"only the last", [](std::size_t i) { return i == entries - 1; }},
        {"the first and the last", [](std::size_t i) { return i == 0 || i == entries - 1; }},
    };
    for (const CRow& row : rows)
    {
        std::vector<std::uint64_t> listed((entries + 63) / 64, 0);
        std::vector<std::string> expected{"Before.iff"};
        std::vector<std::uint16_t> expectedIds{1};
        for (std::size_t i = 0; i < entries; ++i)
            if (row.listed(i))
            {
                listed[i / 64] |= std::uint64_t(1) << (i % 64);
                expected.push_back(std::to_string(i) + ".iff");
                expectedIds.push_back(std::uint16_t(100 + i % 3));
            }
        expected.push_back("After.iff");
        expectedIds.push_back(2);

        CNeededFiles files;
        CIffFile before;
        Put(before, kTypeBhav, 1, "before");
        files.Add(before, "Before.iff");
        files.AddArchive(image, directory, listed, members());
        CIffFile after;
        Put(after, kTypeBhav, 2, "after");
        files.Add(after, "After.iff");

        EXPECT_EQ(ListedNames(files), expected) << row.what;
        ASSERT_EQ(files.Count(), expected.size()) << row.what;
        std::size_t at = 0;
        for (const CFileScriptNames& file : files.Index())
        {
            ASSERT_EQ(file.scripts.size(), 1u) << row.what;
            EXPECT_EQ(file.scripts[0].id, expectedIds[at]) << row.what << ", name " << at;
            EXPECT_EQ(files.Index()[at].fileName, expected[at]) << row.what << ", name " << at;
            EXPECT_EQ(&files.Containers()[at], file.container) << row.what << ", name " << at;
            ++at;
        }
    }

    // What does not fit the directory is refused, and the lists stay as they were.
    CNeededFiles files;
    files.Add(CIffFile(), "Kept.iff");
    std::vector<std::uint64_t> all((entries + 63) / 64, ~std::uint64_t(0));
    all.back() = (std::uint64_t(1) << (entries % 64)) - 1;
    std::vector<CNeededFiles::CArchiveMember> twoRanges = members();
    twoRanges.erase(twoRanges.begin() + 2, twoRanges.end());
    EXPECT_THROW(files.AddArchive(image, directory, all, std::move(twoRanges)), std::invalid_argument);
    std::vector<std::uint64_t> pastTheEnd = all;
    pastTheEnd.back() |= std::uint64_t(1) << (entries % 64);
    EXPECT_THROW(files.AddArchive(image, directory, pastTheEnd, members()), std::invalid_argument);
    EXPECT_THROW(files.AddArchive(image, directory, std::vector<std::uint64_t>(1, 1), members()), std::invalid_argument);
    EXPECT_EQ(ListedNames(files), std::vector<std::string>{"Kept.iff"});
}
