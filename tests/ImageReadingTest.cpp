// Containers read straight into their image: mapped from large files opened for reading, read
// into a block of their own otherwise, and from a window of an archive's file for its members.

#include "ArithmeticEncoderForTests.h"
#include "FarWriter.h"
#include "SampleFiles.h"

#include "containers/ArithmeticDecoder.h"
#include "containers/AtomicFileWriter.h"
#include "containers/FarArchive.h"
#include "containers/ImageBytes.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/BhavScript.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// The sample object with one script grown to about `bytes`, so that the file is mapped or not.
Bytes ObjectOfSize(std::size_t bytes)
{
    CIffFile container;
    EIffRead code = EIffRead::Ok;
    CMemoryStream sample(BuildSampleObject());
    EXPECT_TRUE(container.Read(&sample, code));
    CBhavScript script;
    script.SetName("long");
    std::mt19937 random(3);
    while (script.Lines().size() * 12 < bytes && script.Lines().size() < 60000)
    {
        CBhavInstruction line;
        line.opcode = static_cast<std::uint16_t>(random() % 64);
        line.trueTarget = kTargetTrue;
        line.falseTarget = kTargetFalse;
        script.AppendLine(line);
    }
    EXPECT_TRUE(script.Store(container, 5000));
    CMemoryStream out;
    EXPECT_TRUE(container.Write(&out));
    return out.TakeBytes();
}

Bytes Saved(CIffFile& container)
{
    CMemoryStream out;
    EXPECT_TRUE(container.Write(&out));
    return out.TakeBytes();
}

void Put(const fs::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class ImageReading : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() /
                   ("treewright-image-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                    testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_folder);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    fs::path m_folder;
};
}

TEST_F(ImageReading, FileReadsAsItsBytesAndStaysAsReadWhenReplacedBySave)
{
    // Below and above the size from which a file opened for reading is mapped.
    for (const std::size_t size : {std::size_t(2000), std::size_t(300000)})
    {
        const Bytes original = ObjectOfSize(size);
        const fs::path path = m_folder / "Object.iff";
        Put(path, original);

        CIffFile container;
        EIffRead code = EIffRead::Ok;
        {
            CFileStream file;
            ASSERT_TRUE(file.Open(path.string(), CFileStream::EMode::Read));
            ASSERT_TRUE(container.Read(&file, code)) << size;
        }
        CIffFile fromMemory;
        CMemoryStream memory(original);
        ASSERT_TRUE(fromMemory.Read(&memory, code));
        ASSERT_EQ(container.ImageLength(), original.size());
        EXPECT_TRUE(std::equal(original.begin(), original.end(), container.Image())) << size;
        const Bytes expected = Saved(fromMemory);

        // A save replaces the file with other bytes; the container keeps reading and writing its own.
        const Bytes other = ObjectOfSize(size / 2);
        ASSERT_TRUE(WriteFileAtomically(path.string(), [&](CByteStream& out) { return out.Write(other); }).Ok());
        EXPECT_EQ(Saved(container), expected) << size;
        CBhavScript script;
        EXPECT_TRUE(script.Load(container, 5000)) << size;

        // Edits go into an image of the container's own.
        ASSERT_TRUE(script.Store(container, 5001));
        CBhavScript copy;
        EXPECT_TRUE(copy.Load(container, 5001));
        EXPECT_EQ(copy.Lines().size(), script.Lines().size());
    }
}

TEST_F(ImageReading, CodedFileDecodesIntoTheImageFromAMappedFile)
{
    const Bytes plain = ObjectOfSize(700000);
    const Bytes coded = MakeCodedIffFile(plain);
    ASSERT_GE(coded.size(), 64u * 1024);
    const fs::path path = m_folder / "Coded.iff";
    Put(path, coded);
    CFileStream file;
    ASSERT_TRUE(file.Open(path.string(), CFileStream::EMode::Read));
    CIffFile container;
    EIffRead code = EIffRead::Ok;
    ASSERT_TRUE(container.Read(&file, code));
    EXPECT_EQ(container.FileVersion(), 30);
    ASSERT_EQ(container.ImageLength(), plain.size());
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), container.Image()));
}

TEST(StreamSlice, ReadsOnlyItsWindow)
{
    Bytes bytes(100);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    CMemoryStream source(bytes);
    CStreamSlice slice(source, 10, 20);
    EXPECT_EQ(slice.Length(), 20u);
    std::uint8_t buffer[64] = {};
    ASSERT_TRUE(slice.Seek(15));
    EXPECT_EQ(slice.Read(buffer, sizeof buffer), 5u);  // stops at the window's end
    EXPECT_EQ(buffer[0], 25);
    EXPECT_EQ(slice.Read(buffer, 1), 0u);
    EXPECT_FALSE(slice.Write(buffer, 1));

    struct SCase
    {
        std::uint64_t offset;
        std::size_t count;
        bool ok;
    };
    for (const SCase& c : {SCase{0, 20, true}, SCase{5, 15, true}, SCase{20, 0, true}, SCase{5, 16, false},
                           SCase{21, 0, false}})
    {
        CImageBytes image;
        EXPECT_EQ(slice.ReadImage(c.offset, c.count, image) == EImageRead::Ok, c.ok) << c.offset << '+' << c.count;
        if (c.ok && c.count > 0)
        {
            EXPECT_EQ(image.Data()[0], 10 + c.offset);
        }
        if (!c.ok)
        {
            EXPECT_TRUE(image.Empty());
        }
    }
}

TEST(ImageBytes, HeapBlockGrowsKeepingItsBytesAndMovesWhole)
{
    CImageBytes image;
    ASSERT_TRUE(image.Allocate(3));
    std::copy_n("abc", 3, image.MutableData());
    ASSERT_TRUE(image.Reallocate(1 << 20));
    EXPECT_EQ(image.Size(), 1u << 20);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.Data()), 3), "abc");
    CImageBytes moved = std::move(image);
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(moved.Data()[2], 'c');
    ASSERT_TRUE(moved.Reallocate(2));
    EXPECT_EQ(moved.Size(), 2u);
}

TEST(FarDirectory, ListsWhatOpenListsAndLeavesMembersInTheFile)
{
    const Bytes file = BuildSampleArchive();
    CFarArchive whole;
    CMemoryStream wholeStream(file);
    ASSERT_TRUE(whole.Open(&wholeStream));

    CMemoryStream stream(file);
    CFarArchive directory;
    ASSERT_TRUE(directory.OpenDirectory(&stream));
    ASSERT_EQ(directory.Entries().size(), whole.Entries().size());
    for (std::size_t i = 0; i < whole.Entries().size(); ++i)
    {
        const CFarEntry& entry = directory.Entries()[i];
        EXPECT_EQ(entry.name, whole.Entries()[i].name);
        ASSERT_TRUE(directory.Holds(entry));
        // The member read where it lies in the file is the member Open extracts.
        CStreamSlice member(stream, entry.offset, entry.length2);
        CImageBytes image;
        ASSERT_EQ(member.ReadImage(0, entry.length2, image), EImageRead::Ok);
        CMemoryStream extracted;
        ASSERT_TRUE(whole.Extract(extracted, whole.Entries()[i]));
        EXPECT_TRUE(std::equal(extracted.Bytes().begin(), extracted.Bytes().end(), image.Data(),
                               image.Data() + image.Size()));
    }
    // Nothing of the archive is held: there is nothing to extract from.
    CMemoryStream out;
    EXPECT_FALSE(directory.Extract(out, directory.Entries()[0]));

    CFarEntry outside = directory.Entries()[0];
    outside.offset = static_cast<std::uint32_t>(file.size() - 2);
    outside.length2 = 3;
    EXPECT_FALSE(directory.Holds(outside));
    outside.length2 = 2;
    EXPECT_TRUE(directory.Holds(outside));

    Bytes broken = file;
    broken[0] = 'X';
    CMemoryStream brokenStream(broken);
    EXPECT_FALSE(directory.OpenDirectory(&brokenStream));
    EXPECT_FALSE(directory.Holds(outside));
}

TEST(DecodeIntoImage, AnyStartingRoomEndsExactlyAsLongAsTheDecodedBytes)
{
    const Bytes plain = ObjectOfSize(50000);
    const Bytes coded = EncodeArithmetic(plain);
    for (const std::uint64_t room : {std::uint64_t(1), std::uint64_t(plain.size()), 2 * std::uint64_t(coded.size())})
    {
        CArithmeticDecoder decoder;
        CImageBytes image;
        ASSERT_EQ(decoder.Decode(std::span<const std::uint8_t>(coded), image, room), CArithmeticDecoder::EResult::Ok);
        ASSERT_EQ(image.Size(), plain.size()) << room;
        EXPECT_TRUE(std::equal(plain.begin(), plain.end(), image.Data())) << room;
    }
}
