// Inputs the fuzzers found, held here so that the cases stay fixed, and the committed seed corpora
// replayed through the fuzzers' checks, so that every build runs them under its own compiler and
// sanitizers.

#include "FuzzChecks.h"

#include "containers/ByteOrder.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/InteractionTable.h"
#include "records/StringTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes bytes;
    for (const Bytes& part : parts)
        bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

// A chunk as it stands in a file, built by hand so that a file can hold what PutChunk would merge.
Bytes Chunk(const char (&type)[5], std::uint16_t id, std::uint16_t flags, const std::string& name, const Bytes& data)
{
    Bytes chunk(76, 0);
    std::memcpy(chunk.data(), type, 4);
    WriteBE32(&chunk[4], std::uint32_t(76 + data.size()));
    WriteBE16(&chunk[8], id);
    WriteBE16(&chunk[10], flags);
    std::memcpy(&chunk[12], name.data(), name.size());
    chunk.insert(chunk.end(), data.begin(), data.end());
    return chunk;
}

Bytes Header(const char* version)
{
    Bytes header(64, 0);
    std::memcpy(header.data(), "IFF FILE ", 9);
    std::memcpy(&header[9], version, 3);
    return header;
}
}

TEST(FuzzSeeds, EveryCommittedSeedPassesItsCheck)
{
    struct CTarget
    {
        const char* folder;
        std::string (*check)(std::span<const std::uint8_t>);
    };
    const CTarget targets[] = {{"container", CheckContainerBytes},
                               {"far", CheckArchiveBytes},
                               {"records", CheckRecordBytes},
                               {"rendering", CheckRenderingBytes}};
    for (const CTarget& target : targets)
    {
        const std::filesystem::path folder = std::filesystem::path(TREEWRIGHT_FUZZ_CORPUS_DIR) / target.folder;
        int seeds = 0;
        for (const auto& item : std::filesystem::directory_iterator(folder))
        {
            std::ifstream in(item.path(), std::ios::binary);
            const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            EXPECT_EQ(target.check(bytes), "") << item.path();
            ++seeds;
        }
        EXPECT_GE(seeds, 3) << folder;
    }
}

TEST(FuzzFindings, InteractionNamesWithoutEnglishTextKeepTheirRows)
{
    // Interaction-name tables whose one entry has an empty string: once stored, the rows (read
    // back from the USEnglish entries) were gone, with the description and every other language.
    const Bytes descriptionOnly = Concat({{0x00, 0x80, 0x01, 0x00, 0x00}, Bytes(66, 0xEC),
                                          {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0xFE, 0xFF, 0x0C,
                                           0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}});
    const Bytes allEmpty = {0x00, 0x80, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                            0x02, 0x00, 0xFE, 0xFF, 0x00, 0x00, 0x1A, 0x00, 0x00, 0x02, 0x03, 0x09};
    for (const Bytes& input : {descriptionOnly, allEmpty})
    {
        EXPECT_EQ(CheckRecordBytes(input), "");
        CStringTable table;
        ASSERT_TRUE(table.Decode(input, kTypeTtas));
        ASSERT_EQ(table.Rows().size(), 1u);
        const CRecordResult<Bytes> stored = table.Encode(kTypeTtas);
        ASSERT_TRUE(stored);
        CStringTable again;
        ASSERT_TRUE(again.Decode(*stored, kTypeTtas));
        EXPECT_EQ(again.Rows(), table.Rows());
    }
}

TEST(FuzzFindings, FieldEncodedTableOfZeroBitsLoadsOnlyWhatItsBitsHold)
{
    // 0x8000 interactions promised, nineteen bytes of fields: each interaction of zero fields takes
    // nine bits, so at most seventeen can start inside the data.
    const Bytes input = {0x00, 0x80, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                         0x12, 0x00, 0xFE, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(CheckRecordBytes(input), "");
    CInteractionTable table;
    ASSERT_TRUE(table.Decode(input));
    EXPECT_GT(table.Interactions().size(), 0u);
    EXPECT_LE(table.Interactions().size(), (8 * (input.size() - 5)) / 9 + 1);
}

TEST(FuzzFindings, LanguageSetsCutOffInALaterSetCountAreRefused)
{
    // Four sets promised; the first holds two empty entries, so the fourth set's count lies past
    // the end. Read as empty, the table stored back two bytes longer than it was read.
    const Bytes input = {0xFC, 0xFF, 0x04, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    CStringTable table;
    EXPECT_FALSE(table.Decode(input, kTypeStr));
    // As the fuzzer met it: a format code of 3, which the check also reads as language sets.
    const Bytes found = {0x03, 0x00, 0x04, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(CheckRecordBytes(found), "");
}

TEST(FuzzFindings, FileWithTwoEntriesOfOneTypeAndIdSavesAndReadsBack)
{
    // A 2.0 file holding BHAV 4096 twice around a TTAs chunk. Replacing the first entry and then
    // removing by type and id leaves the types in another order than the type list, which orders
    // the resource map; the file must still save and read back, its map consistent.
    const Bytes file = Concat({Header("2.0"), Chunk("BHAV", 4096, 0x10, "main", Bytes(456, 0x01)),
                               Chunk("TTAs", 128, 0x10, "interaction names", Bytes(41, 0x02)),
                               Chunk("BHAV", 4096, 0x00, "", Bytes(456, 0x03)), Bytes{0x41}});
    EXPECT_EQ(CheckContainerBytes(file), "");
    CIffFile container;
    EIffRead code = EIffRead::Ok;
    CMemoryStream stream(file);
    ASSERT_TRUE(container.Read(&stream, code));
    EXPECT_EQ(container.Chunks().size(), 3u);
}
