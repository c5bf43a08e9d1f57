#include "containers/AtomicFileWriter.h"
#include "containers/ByteStream.h"
#include "containers/FilePath.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

// File names reach the core as UTF-8 on every system; on Windows they must get to the file system
// as UTF-16, not through the ANSI code page, which holds none of the letters below but its own.
TEST(AtomicFileWriter, NamesBeyondAsciiAreWrittenReplacedAndReadBack)
{
    const char* const names[] = {
        "plain.iff",
        "\xC3\x9C" "bung Caf\xC3\xA9.iff",             // Übung Café: Latin letters
        "\xD0\x9E\xD0\xB1\xD1\x8A\xD0\xB5\xD0\xBA\xD1\x82.iff",  // Объект: Cyrillic
        "\xE6\xA4\x85\xE5\xAD\x90.iff",                 // 椅子: Japanese
        "\xF0\x9F\xAA\x91 chair.iff",                   // a character beyond the 16-bit plane
    };
    for (const char* name : names)
    {
        SCOPED_TRACE(name);
        const auto folder = FreshFolder("names");
        const std::string path = Utf8FromPath(folder) + "/" + name;
        auto put = [](const std::string& text) {
            return [text](CByteStream& s) { return s.Write(text.data(), text.size()); };
        };
        ASSERT_TRUE(WriteFileAtomically(path, put("first")).Ok());
        ASSERT_TRUE(WriteFileAtomically(path, put("second")).Ok());

        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(ReadWholeFile(path, bytes));
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "second");
        // One file, under the very name given: no leftover, no name mangled by a code page.
        std::vector<std::string> listed;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            listed.push_back(Utf8FromPath(entry.path().filename()));
        EXPECT_EQ(listed, std::vector<std::string>{name});
    }
}

// The new file takes the old one's place in one step. Where the system refuses (Windows keeps a
// file that a reader holds from being replaced), the old file stays whole and no leftover remains;
// it is never deleted first.
TEST(AtomicFileWriter, ReplacingAFileAReaderHoldsNeverLosesIt)
{
    const auto folder = FreshFolder("held");
    const std::string path = Utf8FromPath(folder / "held.iff");
    Put(folder / "held.iff", "old contents");
    CFileStream reader;
    ASSERT_TRUE(reader.Open(path, CFileStream::EMode::Read));
    const CStatus<EFileWrite> written =
        WriteFileAtomically(path, [](CByteStream& s) { return s.Write("new", 3); });
    std::string seen(12, '\0');
    EXPECT_EQ(reader.Read(seen.data(), seen.size()), seen.size());
    EXPECT_EQ(seen, "old contents");  // what the reader had open stays as it was
    ASSERT_TRUE(reader.Close());

    if (written)
        EXPECT_EQ(Contents(folder / "held.iff"), "new");
    else
    {
        EXPECT_EQ(written.Failure().what, EFileWrite::CannotReplace);
        EXPECT_EQ(Contents(folder / "held.iff"), "old contents");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
    // Once the reader has let go, the replace goes through.
    ASSERT_TRUE(WriteFileAtomically(path, [](CByteStream& s) { return s.Write("newer", 5); }).Ok());
    EXPECT_EQ(Contents(folder / "held.iff"), "newer");
}
