// Streams that go wrong on purpose, files cut short by a full disk, and hostile sizes: the core
// must report every failure, keep what the user had, and allocate only what its input justifies.

#include "CliRunner.h"
#include "ArithmeticEncoderForTests.h"
#include "SampleFiles.h"
#include "FarWriter.h"

#include "containers/ArithmeticDecoder.h"
#include "containers/ByteOrder.h"
#include "containers/FarArchive.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "containers/UserPrompt.h"
#include "records/BhavScript.h"
#include "records/FieldStream.h"
#include "records/StringTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#ifdef __linux__
#include <sys/resource.h>
#include <sys/wait.h>
#endif

namespace
{
using Bytes = std::vector<std::uint8_t>;
constexpr std::uint64_t kUnlimited = std::numeric_limits<std::uint64_t>::max();

// A memory stream that fails like a real one: writing stops for good once `writeBudget` bytes
// have been written in all (the write that crosses the budget keeps its first bytes, as on a disk
// that fills up), the stream cannot grow past `capacity`, reading stops after `readBudget` bytes,
// and truncating or seeking can be made to fail.
class CFaultyStream : public CMemoryStream
{
public:
    using CMemoryStream::CMemoryStream;

    std::uint64_t writeBudget = kUnlimited;
    std::uint64_t capacity = kUnlimited;
    std::uint64_t readBudget = kUnlimited;
    bool failTruncate = false;
    bool failSeek = false;
    std::uint64_t written = 0;

    bool Write(const void* buffer, std::size_t count) override
    {
        std::uint64_t taken = std::min<std::uint64_t>(count, writeBudget - std::min(writeBudget, written));
        const std::uint64_t room = capacity > Position() ? capacity - Position() : 0;
        taken = std::min(taken, room);
        if (taken > 0 && !CMemoryStream::Write(buffer, static_cast<std::size_t>(taken)))
            return false;
        written += taken;
        return taken == count;
    }
    std::size_t Read(void* buffer, std::size_t count) override
    {
        const std::size_t allowed = static_cast<std::size_t>(std::min<std::uint64_t>(count, readBudget));
        const std::size_t read = CMemoryStream::Read(buffer, allowed);
        readBudget -= read;
        return read;
    }
    bool Truncate(std::uint64_t length) override { return !failTruncate && CMemoryStream::Truncate(length); }
    bool Seek(std::uint64_t offset) override { return !failSeek && CMemoryStream::Seek(offset); }
};

// A stream whose length says far more than it holds, as a caller's stream could.
class CHugeStream : public CMemoryStream
{
public:
    explicit CHugeStream(std::uint64_t claimed) : m_claimed(claimed) {}
    std::uint64_t Length() const override { return m_claimed; }

private:
    std::uint64_t m_claimed;
};

class CAnswerPrompt : public CUserPrompt
{
public:
    explicit CAnswerPrompt(bool answer) : m_answer(answer) {}
    void ShowMessage(const std::string& text, const std::string&) override { messages.push_back(text); }
    bool AskYesNo(const std::string&, const std::string&) override { return m_answer; }

    std::vector<std::string> messages;

private:
    bool m_answer;
};

CIffFile ReadBytes(const Bytes& bytes)
{
    CIffFile container;
    EIffRead code = EIffRead::Ok;
    CMemoryStream stream(bytes);
    EXPECT_TRUE(container.Read(&stream, code));
    return container;
}

Bytes Written(CIffFile& container, bool answer = false)
{
    CMemoryStream stream;
    CAnswerPrompt prompt(answer);
    EXPECT_TRUE(container.Write(&stream, &prompt));
    return stream.TakeBytes();
}

// The sample object as a 2.5 file (with a map) and as a 2.0 file (written without one).
std::vector<Bytes> SampleFiles()
{
    Bytes version20 = BuildSampleObject();
    version20[11] = '0';
    return {BuildSampleObject(), version20};
}

std::string Contents(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

#ifdef __linux__
// The most memory this test process has held so far. Each test runs in a process of its own
// under CTest, so growth during a test shows what the test's input made the core allocate.
std::uint64_t PeakResidentBytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return std::uint64_t(usage.ru_maxrss) * 1024;
}
#endif
}

// ---------------------------------------------------------------------------------------------
// Writing into a stream that gives out

TEST(WriteFaults, ContainerWriteReportsEveryPointWhereTheStreamGivesOut)
{
    for (const Bytes& file : SampleFiles())
    {
        CIffFile container = ReadBytes(file);
        const Bytes whole = Written(container);
        CFaultyStream counting;
        CAnswerPrompt no(false);
        ASSERT_TRUE(container.Write(&counting, &no));
        // The map's sizes and the header's map offset are written a second time, so the stream
        // takes more bytes than the file has.
        const std::uint64_t needed = counting.written;
        ASSERT_GE(needed, whole.size());

        for (std::uint64_t budget = 0; budget < needed; ++budget)
        {
            CFaultyStream stream;
            stream.writeBudget = budget;
            ASSERT_FALSE(container.Write(&stream, &no)) << "budget " << budget << " of " << needed;
        }
        CFaultyStream enough;
        enough.writeBudget = needed;
        ASSERT_TRUE(container.Write(&enough, &no));
        EXPECT_EQ(enough.Bytes(), whole);
    }
}

TEST(WriteFaults, FullDiskFailsTheWriteAndLeavesTheContainerWhole)
{
    for (const Bytes& file : SampleFiles())
    {
        CIffFile container = ReadBytes(file);
        const Bytes whole = Written(container);
        for (const std::uint64_t capacity : {std::uint64_t(0), std::uint64_t(63), std::uint64_t(64), std::uint64_t(200),
                                             std::uint64_t(whole.size() - 1)})
        {
            CFaultyStream disk;
            disk.capacity = capacity;
            CAnswerPrompt no(false);
            EXPECT_FALSE(container.Write(&disk, &no)) << "capacity " << capacity;
        }
        // The failed saves cost nothing: the next save writes the same file, and the records
        // still load from the container.
        EXPECT_EQ(Written(container), whole);
        CBhavScript script;
        EXPECT_TRUE(script.Load(container, 4096));

        CFaultyStream roomy;
        roomy.capacity = whole.size();
        CAnswerPrompt no(false);
        EXPECT_TRUE(container.Write(&roomy, &no));
    }
}

TEST(WriteFaults, StreamThatCannotBeEmptiedOrPositionedIsNotWritten)
{
    CIffFile container = ReadBytes(BuildSampleObject());
    CFaultyStream noTruncate(Bytes(5000, 0xEE));
    noTruncate.failTruncate = true;
    EXPECT_FALSE(container.Write(&noTruncate));
    EXPECT_EQ(noTruncate.written, 0u);

    CFaultyStream noSeek;
    noSeek.failSeek = true;
    EXPECT_FALSE(container.Write(&noSeek));
    EXPECT_EQ(noSeek.written, 0u);
}

TEST(WriteFaults, FieldWriterReportsALostByte)
{
    // Twelve bytes of fields: every cut loses a byte, and Finish must say so.
    const auto writeFields = [](CByteStream& stream) {
        CFieldWriter writer(stream);
        for (std::uint32_t value : {0u, 15u, 1000u, 0xFFFFFFFFu, 0x12345678u, 7u})
            writer.Write32(value);
        writer.Write16(0x8000);
        return writer.Finish();
    };
    CFaultyStream counting;
    ASSERT_TRUE(writeFields(counting));
    ASSERT_GT(counting.written, 8u);
    for (std::uint64_t budget = 0; budget < counting.written; ++budget)
    {
        CFaultyStream stream;
        stream.writeBudget = budget;
        EXPECT_FALSE(writeFields(stream)) << "budget " << budget;
    }
}

// ---------------------------------------------------------------------------------------------
// Reading from a stream that gives out

TEST(ReadFaults, EveryShortReadFailsWithAnEmptyContainer)
{
    for (const Bytes& file : {BuildSampleObject(), MakeCodedIffFile(BuildSampleSemiGlobalFile())})
    {
        for (std::uint64_t budget = 0; budget < file.size(); budget += 1 + budget / 64)
        {
            CFaultyStream stream(file);
            stream.readBudget = budget;
            CIffFile container;
            EIffRead code = EIffRead::Ok;
            CAnswerPrompt prompt(false);
            ASSERT_FALSE(container.Read(&stream, code, &prompt)) << "budget " << budget;
            EXPECT_EQ(code, EIffRead::IoError);
            EXPECT_TRUE(container.Chunks().empty());
            EXPECT_FALSE(container.ReadSucceeded());
        }
        CFaultyStream stream(file);
        stream.readBudget = 2 * file.size();
        CIffFile container;
        EIffRead code = EIffRead::Ok;
        EXPECT_TRUE(container.Read(&stream, code));
    }
}

TEST(ReadFaults, StreamThatCannotBePositionedFailsWithIoError)
{
    CFaultyStream stream(BuildSampleObject());
    stream.failSeek = true;
    CIffFile container;
    EIffRead code = EIffRead::Ok;
    EXPECT_FALSE(container.Read(&stream, code));
    EXPECT_EQ(code, EIffRead::IoError);

    CFarArchive archive;
    CFaultyStream archiveStream(BuildSampleArchive());
    archiveStream.failSeek = true;
    EXPECT_FALSE(archive.Open(&archiveStream));
}

TEST(ReadFaults, PutChunkFromAFailingStreamChangesNothing)
{
    CIffFile container = ReadBytes(BuildSampleObject());
    const Bytes before = Written(container);
    const std::size_t chunks = container.Chunks().size();
    const std::size_t imageLength = container.ImageLength();

    CFaultyStream data(Bytes(300, 0x42));
    data.readBudget = 299;
    CIffChunk entry;
    entry.type = kTypeBhav;
    entry.id = 4096;
    EXPECT_FALSE(container.PutChunk(entry, data));
    EXPECT_EQ(container.Chunks().size(), chunks);
    EXPECT_EQ(container.ImageLength(), imageLength);
    EXPECT_EQ(Written(container), before);
}

TEST(ReadFaults, ExtractIntoAFullStreamFails)
{
    CFarWriter writer;
    writer.Add("Big.iff", Bytes(4000, 0x5A));
    const Bytes file = writer.Build();
    CFarArchive archive;
    CMemoryStream stream(file);
    ASSERT_TRUE(archive.Open(&stream));
    CFaultyStream full;
    full.capacity = 3999;
    EXPECT_FALSE(archive.Extract(full, archive.Entries()[0]));
}

// ---------------------------------------------------------------------------------------------
// Sizes that claim more than the input holds

TEST(ResourceLimits, FarDirectoryClaimingFourBillionMembersListsOnlyWhatTheFileHolds)
{
    CFarWriter writer;
    for (int i = 0; i < 1000; ++i)
        writer.Add(std::to_string(i), Bytes{std::uint8_t(i)});
    Bytes file = writer.Build();
    WriteLE32(&file[ReadLE32(&file[12])], 0xFFFFFFFF);

    CFarArchive archive;
    CMemoryStream stream(file);
    EXPECT_FALSE(archive.Open(&stream));
    EXPECT_EQ(archive.Entries().size(), 1000u);
    EXPECT_FALSE(archive.IsOpen());
}

TEST(ResourceLimits, ChunkSizesNearFourGigabytesAreNeverFollowed)
{
    // A good chunk, then one whose size field claims almost 4 GiB, then another good chunk.
    CIffFile made;
    CIffChunk entry;
    entry.type = kTypeBhav;
    entry.id = 1;
    ASSERT_TRUE(made.PutChunk(entry, Bytes(24, 0)));
    entry.id = 2;
    ASSERT_TRUE(made.PutChunk(entry, Bytes(100, 0x11)));
    entry.id = 3;
    ASSERT_TRUE(made.PutChunk(entry, Bytes(24, 0)));
    const Bytes good = Written(made);

    for (const std::uint32_t size : {0xFFFFFFFFu, 0xFFFFFFB4u, 0x80000000u})
    {
        Bytes file = good;
        WriteBE32(&file[64 + 76 + 24 + 4], size);
        CIffFile container;
        EIffRead code = EIffRead::Ok;
        CMemoryStream stream(file);
        ASSERT_TRUE(container.Read(&stream, code));
        ASSERT_FALSE(container.Chunks().empty());
        EXPECT_EQ(container.Chunks()[0].id, 1);
        for (const CIffChunk& chunk : container.Chunks())
        {
            EXPECT_NE(chunk.id, 2);
            EXPECT_EQ(container.ChunkData(chunk).size(), chunk.size);
            EXPECT_LE(std::uint64_t(chunk.offset) + chunk.size, file.size());
        }
    }
}

TEST(ResourceLimits, PutChunkRefusesAStreamTooLongForTheImageWithoutCopyingIt)
{
    CIffFile container = ReadBytes(BuildSampleObject());
    const std::size_t imageLength = container.ImageLength();
#ifdef __linux__
    const std::uint64_t before = PeakResidentBytes();
#endif
    for (const std::uint64_t claimed : {std::uint64_t(0xFFFFFFFF) - imageLength - 75, std::uint64_t(5) << 30})
    {
        CHugeStream data(claimed);
        CIffChunk entry;
        entry.type = kTypeBhav;
        entry.id = 77;
        EXPECT_FALSE(container.PutChunk(entry, data));
        EXPECT_EQ(container.ImageLength(), imageLength);
        EXPECT_FALSE(container.FindChunk(entry));
    }
#ifdef __linux__
    // Copying the claimed bytes first would have filled gigabytes with zeros.
    EXPECT_LT(PeakResidentBytes() - before, std::uint64_t(256) << 20);
#endif
}

TEST(ResourceLimits, StringCountReservesOnlyWhatTheDataCanHold)
{
    // Two bytes promising 65532 strings: the load fails, and nothing was reserved for them.
    CStringTable table;
    const Bytes data = {0xFF, 0xFC, 0x01, 'a'};
    EXPECT_FALSE(table.Decode(data, kTypeStr));
    EXPECT_LE(table.Strings().capacity(), data.size());
}

namespace
{
// All-one bits keep decoding the most frequent byte, about 255 bytes per coded byte, and never
// reach the end-of-stream symbol.
Bytes ExpandingCodedFile(std::size_t codedBytes)
{
    Bytes file(CIffFile::kHeaderSize + codedBytes, 0xFF);
    std::memcpy(file.data(), "IFF FILE 3.0", 12);
    return file;
}
}

TEST(ResourceLimits, CodedBodyDesignedToExpandFailsWithoutKeepingItsOutput)
{
    const Bytes file = ExpandingCodedFile(64 * 1024);
#ifdef __linux__
    const std::uint64_t before = PeakResidentBytes();
#endif
    CIffFile container;
    EIffRead code = EIffRead::Ok;
    CAnswerPrompt prompt(false);
    CMemoryStream stream(file);
    EXPECT_FALSE(container.Read(&stream, code, &prompt));
    EXPECT_EQ(code, EIffRead::DecodeFailed);
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"FAILURE"});
    EXPECT_TRUE(container.Chunks().empty());
    EXPECT_EQ(container.ImageLength(), 0u);
#ifdef __linux__
    // About 16 MB were decoded before the input ran dry.
    EXPECT_LT(PeakResidentBytes() - before, std::uint64_t(128) << 20);
#endif
}

TEST(ResourceLimits, CodedBodyExpandingPastTheOutputLimitStopsThere)
{
    // Decodes a gibibyte: run by hand with TREEWRIGHT_SLOW_TESTS=1 in an optimised build.
    if (std::getenv("TREEWRIGHT_SLOW_TESTS") == nullptr)
        GTEST_SKIP() << "set TREEWRIGHT_SLOW_TESTS=1 to decode a gibibyte";
    const Bytes file = ExpandingCodedFile(5 << 20);
#ifdef __linux__
    const std::uint64_t before = PeakResidentBytes();
#endif
    CIffFile container;
    EIffRead code = EIffRead::Ok;
    CAnswerPrompt prompt(false);
    CMemoryStream stream(file);
    EXPECT_FALSE(container.Read(&stream, code, &prompt));
    EXPECT_EQ(code, EIffRead::NoMemory);
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"MEMORY FAILURE"});
    EXPECT_TRUE(container.Chunks().empty());
#ifdef __linux__
    // The output buffer reaches the limit; while it grows the old and the new buffer coexist.
    EXPECT_LT(PeakResidentBytes() - before, 2 * CArithmeticDecoder::kMaxOutputBytes + (std::uint64_t(64) << 20));
#endif
}

// ---------------------------------------------------------------------------------------------
// The command-line tool's output files when the disk fills up

#ifdef __linux__
namespace
{
class CCliWriteFaults : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = FreshTestFolder("treewright-faults-");
        Put(m_folder / "in.iff", BuildSampleObject());
        CFarWriter writer;
        writer.Add("Objects\\Big.iff", BuildSampleObject());
        Put(m_folder / "in.far", writer.Build());
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    // Runs the tool with files limited to 512 bytes. With `killed`, the system's signal for an
    // oversized file ends the tool mid-write; otherwise the write fails and the tool goes on.
    // Returns the exit status, or 128 + the signal.
    int RunLimited(const std::string& arguments, bool killed) const
    {
        const std::string command = "cd '" + m_folder.string() + "' && " + (killed ? "" : "trap '' XFSZ; ") +
                                    "ulimit -f 1; exec '" + TREEWRIGHT_CLI_PATH + "' " + arguments +
                                    " >/dev/null 2>&1";
        const int status = std::system(("sh -c \"" + command + "\"").c_str());
        if (WIFEXITED(status))
            return WEXITSTATUS(status);
        return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
    }

    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        for (const auto& item : std::filesystem::directory_iterator(m_folder))
            names.push_back(item.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::filesystem::path m_folder;
};

const char* const kWritingCommands[] = {
    "resave in.iff out.iff",
    "set-glob in.iff NewName out.iff",
    "optimize in.iff 4096 out.iff",
    "roundtrip in.iff out.iff",
    "far-extract in.far 'Objects\\\\Big.iff' out.iff",
    // A new id taking its callers, entry points and layout along, and a delete: all or nothing.
    "rename-record in.iff script 4096 out.iff --id 5000",
    "delete-record in.iff script 4097 out.iff",
};
}

TEST_F(CCliWriteFaults, FailedWriteKeepsTheExistingOutputByteForByte)
{
    const Bytes existing(3000, 0x7E);
    for (const char* arguments : kWritingCommands)
    {
        Put(m_folder / "out.iff", existing);
        EXPECT_EQ(RunLimited(arguments, false), 1) << arguments;
        EXPECT_EQ(Contents(m_folder / "out.iff"), std::string(existing.begin(), existing.end())) << arguments;
        // No temporary file is left behind either.
        EXPECT_EQ(Files(), (std::vector<std::string>{"in.far", "in.iff", "out.iff"})) << arguments;
    }
}

TEST_F(CCliWriteFaults, FailedWriteCreatesNoOutput)
{
    for (const char* arguments : kWritingCommands)
    {
        EXPECT_EQ(RunLimited(arguments, false), 1) << arguments;
        EXPECT_EQ(Files(), (std::vector<std::string>{"in.far", "in.iff"})) << arguments;
    }
}

TEST_F(CCliWriteFaults, ToolKilledMidWriteLeavesTheOutputAsItWas)
{
    const Bytes existing(3000, 0x7E);
    for (const char* arguments : kWritingCommands)
    {
        Put(m_folder / "out.iff", existing);
        EXPECT_GT(RunLimited(arguments, true), 128) << arguments;
        EXPECT_EQ(Contents(m_folder / "out.iff"), std::string(existing.begin(), existing.end())) << arguments;
        // A killed tool cannot clean up its temporary file, but never names it like the output.
        for (const std::string& name : Files())
            EXPECT_TRUE(name == "in.far" || name == "in.iff" || name == "out.iff" || name.ends_with(".tmp")) << name;
    }
}

TEST_F(CCliWriteFaults, WithRoomTheSameCommandsWriteTheirOutput)
{
    // The limit, not the commands, makes the tests above fail.
    for (const char* arguments : kWritingCommands)
    {
        const std::string command = "cd '" + m_folder.string() + "' && '" + TREEWRIGHT_CLI_PATH + "' " + arguments +
                                    " >/dev/null 2>&1";
        EXPECT_EQ(std::system(("sh -c \"" + command + "\"").c_str()), 0) << arguments;
        EXPECT_GT(std::filesystem::file_size(m_folder / "out.iff"), 512u) << arguments;
        std::filesystem::remove(m_folder / "out.iff");
    }
}
#endif
