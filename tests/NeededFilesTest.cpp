#include "rendering/NeededFiles.h"

#include "containers/TypeCodes.h"

#include <gtest/gtest.h>

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

    EXPECT_EQ(files.Names(), (std::vector<std::string>{"Global.iff", "People.iff", "Chair.iff"}));
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
