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
    ASSERT_TRUE(WriteFileAtomically(target.string(), [](CByteStream& s) { return s.Write("new", 3); }).Ok());
    EXPECT_EQ(Contents(target), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST(AtomicFileWriter, AbandonedWriteLeavesTheOldFileAndNoLeftovers)
{
    const auto folder = FreshFolder("abandon");
    const auto target = folder / "out.iff";
    Put(target, "old contents");
    const CStatus<EFileWrite> written = WriteFileAtomically(target.string(), [](CByteStream& s) {
        EXPECT_TRUE(s.Write("half", 4));
        return false;
    });
    ASSERT_FALSE(written);
    EXPECT_EQ(written.Failure().what, EFileWrite::WriteFailed);
    EXPECT_EQ(FileWriteFailureText(written.Failure()), "Writing " + target.string() + " failed.");
    EXPECT_EQ(Contents(target), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST(AtomicFileWriter, MissingFolderFailsWithAMessage)
{
    const auto folder = FreshFolder("missing");
    const std::string path = (folder / "no" / "such" / "out.iff").string();
    const CStatus<EFileWrite> written = WriteFileAtomically(path, [](CByteStream& s) { return s.Write("x", 1); });
    ASSERT_FALSE(written);
    EXPECT_EQ(written.Failure().what, EFileWrite::CannotCreate);
    EXPECT_EQ(written.Failure().where.file, path);
    EXPECT_FALSE(written.Failure().detail.empty());  // the system's words
    EXPECT_NE(FileWriteFailureText(written.Failure()).find("out.iff"), std::string::npos);
}
