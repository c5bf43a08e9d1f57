#include "containers/AtomicFileWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace
{
std::filesystem::path FreshFolder(const std::string& name)
{
    const auto folder = std::filesystem::temp_directory_path() / ("treewright-atomic-" + name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

std::string Contents(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}
}

TEST(AtomicFileWriter, ReplacesTheFileWhenEverythingWasWritten)
{
    const auto folder = FreshFolder("replace");
    const auto target = folder / "out.iff";
    Put(target, "old contents");
    ASSERT_TRUE(WriteFileAtomically(target.string(), [](CByteStream& s) { return s.Write("new", 3); }));
    EXPECT_EQ(Contents(target), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST(AtomicFileWriter, AbandonedWriteLeavesTheOldFileAndNoLeftovers)
{
    const auto folder = FreshFolder("abandon");
    const auto target = folder / "out.iff";
    Put(target, "old contents");
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(target.string(), [](CByteStream& s) { s.Write("half", 4); return false; }, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Contents(target), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST(AtomicFileWriter, MissingFolderFailsWithAMessage)
{
    const auto folder = FreshFolder("missing");
    std::string error;
    EXPECT_FALSE(WriteFileAtomically((folder / "no" / "such" / "out.iff").string(),
                                     [](CByteStream& s) { return s.Write("x", 1); }, &error));
    EXPECT_NE(error.find("out.iff"), std::string::npos);
}
