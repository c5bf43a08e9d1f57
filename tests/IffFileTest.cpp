#include "containers/ByteOrder.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "containers/UserPrompt.h"
#include "records/ConstantTable.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;

void Append(Bytes& to, const Bytes& bytes)
{
    to.insert(to.end(), bytes.begin(), bytes.end());
}

void AppendText(Bytes& to, const std::string& text)
{
    to.insert(to.end(), text.begin(), text.end());
}

void AppendLE32(Bytes& to, std::uint32_t value)
{
    std::uint8_t b[4];
    WriteLE32(b, value);
    to.insert(to.end(), b, b + 4);
}

void AppendLE16(Bytes& to, std::uint16_t value)
{
    std::uint8_t b[2];
    WriteLE16(b, value);
    to.insert(to.end(), b, b + 2);
}

// A file header as another tool might have written it: only the magic and version matter.
Bytes FileHeader(const std::string& version)
{
    Bytes header;
    AppendText(header, "IFF FILE " + version + ":TYPE FOLLOWED BY SIZE");
    header.resize(64, '.');
    header[63] = 0;
    return header;
}

// The 64 bytes this program writes.
Bytes TemplateHeader(const std::string& version)
{
    Bytes header;
    AppendText(header, "IFF FILE " + version + ":TYPE FOLLOWED BY SIZE");
    header.push_back(0);
    AppendText(header, " QUORBLENTHAXIS & MAXIS 1996");
    header.push_back(0);
    return header;
}

Bytes Chunk(const char* type, std::uint16_t id, std::uint16_t flags, const std::string& name, const Bytes& data)
{
    Bytes chunk(76, 0);
    std::memcpy(chunk.data(), type, 4);
    WriteBE32(&chunk[4], static_cast<std::uint32_t>(76 + data.size()));
    WriteBE16(&chunk[8], id);
    WriteBE16(&chunk[10], flags);
    std::memcpy(&chunk[12], name.data(), std::min<std::size_t>(name.size(), 64));
    Append(chunk, data);
    return chunk;
}

Bytes DataOf(std::size_t count, std::uint8_t seed)
{
    Bytes data(count);
    for (std::size_t i = 0; i < count; ++i)
        data[i] = static_cast<std::uint8_t>(seed + i * 7);
    return data;
}

struct SMapEntry
{
    std::uint32_t position;
    std::uint16_t id;
    std::uint16_t flags;
    std::string name;
};

struct SMapGroup
{
    const char* type;
    std::vector<SMapEntry> entries;
};

// The resource map chunk as it must appear in the file; its padding counts from its own start.
Bytes ResourceMap(const std::vector<SMapGroup>& groups)
{
    Bytes map;
    AppendText(map, "rsmp");
    map.insert(map.end(), {0, 0, 0, 0, 0x00, 0x00, 0x00, 0x10});
    map.resize(76 + 8, 0);  // name field, reserved, map version
    AppendText(map, "pmsr");
    AppendLE32(map, 0);
    AppendLE32(map, static_cast<std::uint32_t>(groups.size()));
    for (const SMapGroup& group : groups)
    {
        AppendText(map, std::string{group.type[3], group.type[2], group.type[1], group.type[0]});
        AppendLE32(map, static_cast<std::uint32_t>(group.entries.size()));
        for (const SMapEntry& entry : group.entries)
        {
            AppendLE32(map, entry.position);
            AppendLE16(map, entry.id);
            AppendLE16(map, entry.flags);
            AppendText(map, entry.name);
            map.push_back(0);
            if (map.size() % 2 != 0)
                map.push_back(0xA3);
        }
    }
    WriteBE32(&map[4], static_cast<std::uint32_t>(map.size()));
    WriteLE32(&map[88], static_cast<std::uint32_t>(map.size()));
    return map;
}

class CScriptedPrompt : public CUserPrompt
{
public:
    explicit CScriptedPrompt(bool answer) : m_answer(answer) {}
    void ShowMessage(const std::string& text, const std::string&) override { messages.push_back(text); }
    bool AskYesNo(const std::string& text, const std::string& caption) override
    {
        questions.push_back(text);
        captions.push_back(caption);
        return m_answer;
    }

    std::vector<std::string> questions;
    std::vector<std::string> captions;
    std::vector<std::string> messages;

private:
    bool m_answer;
};

// A stream that claims more bytes than it can deliver.
class CShortReadStream : public CMemoryStream
{
public:
    using CMemoryStream::CMemoryStream;
    std::uint64_t Length() const override { return CMemoryStream::Length() + 10; }
};

bool ReadBytes(CIffFile& container, const Bytes& file, EIffRead& code)
{
    CMemoryStream stream(file);
    return container.Read(&stream, code);
}

CIffFile ReadOk(const Bytes& file)
{
    CIffFile container;
    EIffRead code = EIffRead::Ok;
    EXPECT_TRUE(ReadBytes(container, file, code));
    EXPECT_EQ(code, EIffRead::Ok);
    return container;
}

Bytes Written(CIffFile& container, CUserPrompt* prompt = nullptr)
{
    CMemoryStream out;
    EXPECT_TRUE(container.Write(&out, prompt));
    return out.Bytes();
}

Bytes DataIn(const CIffFile& container, const CIffChunk& chunk)
{
    const auto data = container.ChunkData(chunk);
    return Bytes(data.begin(), data.end());
}

CIffChunk Query(std::uint32_t type, std::uint16_t id)
{
    CIffChunk query;
    query.type = type;
    query.id = id;
    return query;
}

// BHAV 0x1000 "init", STR# 0x80 "ab", BHAV 0x1001 "x": names of 4, 2 and 1 characters, so the
// map needs padding after some entries and not after others.
const Bytes kInit = DataOf(10, 1);
const Bytes kNames = DataOf(3, 50);
const Bytes kThreeChunks = [] {
    Bytes file = FileHeader("2.5");
    Append(file, Chunk("BHAV", 0x1000, 0x0010, "init", kInit));
    Append(file, Chunk("STR#", 0x0080, 0x0000, "ab", kNames));
    Append(file, Chunk("BHAV", 0x1001, 0x0010, "x", {}));
    return file;
}();
}

TEST(IffRead, ListsChunksTypesAndHeader)
{
    Bytes file = FileHeader("2.5");
    const std::string fullName(64, 'N');  // fills the name field, no NUL
    Append(file, Chunk("BHAV", 0x1000, 0x0010, "init", kInit));
    Append(file, Chunk("STR#", 0x0080, 0x8001, "ab", kNames));
    Append(file, Chunk("BHAV", 0xFFFF, 0x0000, fullName, {}));
    const CIffFile container = ReadOk(file);

    EXPECT_TRUE(container.ReadSucceeded());
    EXPECT_EQ(container.Version(), 25);
    EXPECT_EQ(container.FileVersion(), 25);
    EXPECT_EQ(Bytes(container.Header().begin(), container.Header().end()), Bytes(file.begin(), file.begin() + 64));
    ASSERT_EQ(container.ImageLength(), file.size());
    EXPECT_EQ(0, std::memcmp(container.Image(), file.data(), file.size()));

    ASSERT_EQ(container.Chunks().size(), 3u);
    const CIffChunk& first = container.Chunks()[0];
    EXPECT_EQ(first.type, kTypeBhav);
    EXPECT_EQ(first.offset, 64u + 76u);
    EXPECT_EQ(first.size, 10u);
    EXPECT_EQ(first.id, 0x1000);
    EXPECT_EQ(first.flags, 0x0010);
    EXPECT_EQ(first.name, "init");
    EXPECT_EQ(DataIn(container, first), kInit);
    const CIffChunk& second = container.Chunks()[1];
    EXPECT_EQ(second.type, kTypeStr);
    EXPECT_EQ(second.offset, 64u + 86u + 76u);
    EXPECT_EQ(second.flags, 0x8001);
    EXPECT_EQ(container.Chunks()[2].id, 0xFFFF);
    EXPECT_EQ(container.Chunks()[2].size, 0u);
    EXPECT_EQ(container.Chunks()[2].name, fullName);
    EXPECT_EQ(container.Types(), (std::vector<std::uint32_t>{kTypeBhav, kTypeStr}));
}

TEST(IffRead, VersionsAndErrorCodes)
{
    CIffFile container;
    EIffRead code = EIffRead::Ok;
    EXPECT_FALSE(container.Read(nullptr, code));
    EXPECT_EQ(code, EIffRead::IoError);

    code = EIffRead::Ok;
    CShortReadStream shortStream(kThreeChunks);
    EXPECT_FALSE(container.Read(&shortStream, code));
    EXPECT_EQ(code, EIffRead::IoError);

    Bytes notIff = kThreeChunks;
    notIff[4] = 'X';
    code = EIffRead::Ok;
    EXPECT_FALSE(ReadBytes(container, notIff, code));
    EXPECT_EQ(code, EIffRead::NotIff);
    code = EIffRead::Ok;
    EXPECT_FALSE(ReadBytes(container, Bytes{'I', 'F', 'F', ' ', 'F', 'I', 'L'}, code));
    EXPECT_EQ(code, EIffRead::NotIff);

    for (const char* version : {"2.6", "3.1", "1.0", "25 "})
    {
        Bytes file = kThreeChunks;
        std::memcpy(&file[9], version, 3);
        code = EIffRead::Ok;
        EXPECT_FALSE(ReadBytes(container, file, code)) << version;
        EXPECT_EQ(code, EIffRead::BadVersion) << version;
    }

    Bytes version20 = kThreeChunks;
    version20[11] = '0';
    code = EIffRead(1234);  // a success leaves the caller's value alone
    ASSERT_TRUE(ReadBytes(container, version20, code));
    EXPECT_EQ(code, EIffRead(1234));
    EXPECT_EQ(container.Version(), 20);
    EXPECT_EQ(container.FileVersion(), 20);
    EXPECT_EQ(container.Chunks().size(), 3u);
}

TEST(IffRead, FailureLeavesContainerEmpty)
{
    CIffFile container = ReadOk(kThreeChunks);
    ASSERT_FALSE(container.Chunks().empty());
    Bytes bad = kThreeChunks;
    bad[10] = '9';
    EIffRead code = EIffRead::Ok;
    EXPECT_FALSE(ReadBytes(container, bad, code));
    EXPECT_TRUE(container.Chunks().empty());
    EXPECT_TRUE(container.Types().empty());
    EXPECT_FALSE(container.ReadSucceeded());
    CIffChunk query = Query(kTypeBhav, 0x1000);
    EXPECT_FALSE(container.FindChunk(query));
}

// What a read takes and what it cannot: a file shorter than a header is no container, whatever its
// first bytes say; bytes that no whole chunk holds are counted, since writing drops them.
TEST(IffRead, HeaderOnlyShorterAndCutShortFiles)
{
    const Bytes header = FileHeader("2.5");
    const Bytes one = Chunk("BHAV", 1, 0x10, "one", DataOf(4, 9));
    const Bytes two = Chunk("STR#", 2, 0x10, "two", DataOf(100, 1));
    const auto joined = [](std::initializer_list<Bytes> parts, std::size_t cutAt = ~std::size_t(0)) {
        Bytes file;
        for (const Bytes& part : parts)
            Append(file, part);
        file.resize(std::min(file.size(), cutAt));
        return file;
    };
    Bytes tiny;
    AppendText(tiny, "IFF FILE 2.5:xy");
    struct CRow
    {
        const char* what;
        Bytes file;
        EIffRead code;
        std::size_t chunks;
        std::uint64_t unread;
    };
    const CRow rows[] = {
        {"empty", {}, EIffRead::NotIff, 0, 0},
        {"magic and version only", tiny, EIffRead::NotIff, 0, 0},
        {"a header short of one byte", joined({header}, 63), EIffRead::NotIff, 0, 0},
        {"the header alone", FileHeader("2.0"), EIffRead::Ok, 0, 0},
        {"whole chunks", joined({header, one, two}), EIffRead::Ok, 2, 0},
        {"a chunk cut in its data", joined({header, one, two}, 64 + one.size() + 90), EIffRead::Ok, 1, 90},
        {"a chunk cut in its header", joined({header, one, two}, 64 + one.size() + 40), EIffRead::Ok, 1, 40},
        {"the first chunk cut", joined({header, two}, 64 + 80), EIffRead::Ok, 0, 80},
    };
    for (const CRow& row : rows)
    {
        SCOPED_TRACE(row.what);
        CIffFile container;
        EIffRead code = EIffRead::Ok;
        EXPECT_EQ(ReadBytes(container, row.file, code), row.code == EIffRead::Ok);
        EXPECT_EQ(code, row.code);
        EXPECT_EQ(container.Chunks().size(), row.chunks);
        EXPECT_EQ(container.UnreadBytes(), row.unread);
        if (row.code != EIffRead::Ok)
            continue;
        // Writing keeps the whole chunks and drops the rest; the result reads back whole.
        CIffFile again = ReadOk(Written(container));
        EXPECT_EQ(again.Chunks().size(), row.chunks + (again.Version() == 25 ? 1 : 0));
        EXPECT_EQ(again.UnreadBytes(), 0u);
    }
}

TEST(IffRead, SlidesOverCutOffChunk)
{
    Bytes file = FileHeader("2.5");
    Append(file, Chunk("BHAV", 1, 0x10, "one", DataOf(4, 9)));
    const std::size_t cut = file.size();
    // A chunk whose size runs far past the end, then junk whose every window reads as a huge
    // size, then a sound chunk that the walk must find byte by byte.
    Bytes broken = Chunk("JUNK", 2, 0, "", {});
    WriteBE32(&broken[4], 0x7FFFFFFF);
    std::fill(broken.begin() + 8, broken.end(), 0xFF);
    broken.resize(broken.size() + 13, 0xFF);
    Append(file, broken);
    const std::size_t found = file.size();
    Append(file, Chunk("STR#", 3, 0x10, "three", DataOf(6, 3)));

    const CIffFile container = ReadOk(file);
    ASSERT_EQ(container.Chunks().size(), 2u);
    EXPECT_EQ(container.Chunks()[0].id, 1);
    EXPECT_EQ(container.Chunks()[1].type, kTypeStr);
    EXPECT_EQ(container.Chunks()[1].offset, found + 76);
    EXPECT_EQ(container.Chunks()[1].name, "three");
    EXPECT_EQ(DataIn(container, container.Chunks()[1]), DataOf(6, 3));
    EXPECT_GT(found, cut);
    EXPECT_EQ(container.UnreadBytes(), found - cut);
}

TEST(IffRead, WalkStopsWhenNoChunkHeaderFits)
{
    Bytes file = FileHeader("2.5");
    Append(file, Chunk("BHAV", 1, 0x10, "one", DataOf(4, 9)));
    Bytes cutOff = Chunk("BHAV", 2, 0x10, "two", DataOf(100, 1));
    cutOff.resize(90);  // header and a little data, size still says 176
    std::fill(cutOff.begin() + 8, cutOff.end(), 0xEE);
    Append(file, cutOff);
    const CIffFile container = ReadOk(file);
    ASSERT_EQ(container.Chunks().size(), 1u);
    EXPECT_EQ(container.Types(), std::vector<std::uint32_t>{kTypeBhav});

    // Fewer than 76 bytes after the last chunk are not a chunk, whatever they hold.
    Bytes tail = FileHeader("2.5");
    Append(tail, Chunk("BHAV", 1, 0x10, "one", {}));
    Bytes almost = Chunk("STR#", 5, 0x10, "", {});
    almost.resize(75);
    WriteBE32(&almost[4], 10);
    Append(tail, almost);
    EXPECT_EQ(ReadOk(tail).Chunks().size(), 1u);

    // A chunk of exactly 76 bytes ending the file is taken.
    Bytes exact = FileHeader("2.5");
    Append(exact, Chunk("BHAV", 1, 0x10, "one", {}));
    Append(exact, Chunk("GLOB", 2, 0x10, "", {}));
    EXPECT_EQ(ReadOk(exact).Chunks().size(), 2u);
}

TEST(IffRead, SizeBelowChunkHeaderEndsWalk)
{
    // Such a size would not move the walk forward, or would move it backwards in 32 bits.
    for (const std::uint32_t size : {0u, 1u, 75u})
    {
        Bytes file = FileHeader("2.5");
        Append(file, Chunk("BHAV", 1, 0x10, "one", {}));
        Bytes bad = Chunk("BHAV", 2, 0x10, "two", DataOf(20, 1));
        WriteBE32(&bad[4], size);
        Append(file, bad);
        Append(file, Chunk("STR#", 3, 0x10, "three", {}));
        const CIffFile container = ReadOk(file);
        ASSERT_EQ(container.Chunks().size(), 1u) << size;
        EXPECT_TRUE(container.ReadSucceeded());
    }
}

TEST(IffFind, CopiesEntryAndIteratesByType)
{
    Bytes file = kThreeChunks;
    Append(file, Chunk("BHAV", 0x1000, 0x0001, "duplicate", {}));
    const CIffFile container = ReadOk(file);

    CIffChunk query = Query(kTypeBhav, 0x1000);
    query.name = "stale";
    ASSERT_TRUE(container.FindChunk(query));
    EXPECT_EQ(query.name, "init");  // the first of the two
    EXPECT_EQ(query.offset, 140u);
    EXPECT_EQ(query.size, 10u);
    EXPECT_EQ(query.flags, 0x0010);
    CIffChunk missing = Query(kTypeStr, 0x1000);
    EXPECT_FALSE(container.FindChunk(missing));

    std::vector<std::uint16_t> ids;
    for (std::size_t at = container.FindFirstOfType(kTypeBhav); at != CIffFile::kNoPosition;)
        ids.push_back(container.NextOfType(at).id);
    EXPECT_EQ(ids, (std::vector<std::uint16_t>{0x1000, 0x1001, 0x1000}));
    EXPECT_EQ(container.FindFirstOfType(kTypeTtab), CIffFile::kNoPosition);
}

TEST(IffWrite, ResourceMapBytes)
{
    CIffFile container = ReadOk(kThreeChunks);
    CScriptedPrompt prompt(true);
    const Bytes written = Written(container, &prompt);
    EXPECT_TRUE(prompt.questions.empty());

    const std::uint32_t mapStart = static_cast<std::uint32_t>(kThreeChunks.size());
    Bytes expected = TemplateHeader("2.5");
    WriteBE32(&expected[60], mapStart);
    expected.insert(expected.end(), kThreeChunks.begin() + 64, kThreeChunks.end());
    Append(expected, ResourceMap({{"BHAV", {{64, 0x1000, 0x0010, "init"}, {64 + 86 + 79, 0x1001, 0x0010, "x"}}},
                                            {"STR#", {{64 + 86, 0x0080, 0x0000, "ab"}}}}));
    EXPECT_EQ(written, expected);
}

TEST(IffWrite, OldResourceMapIsDroppedAndRebuiltLast)
{
    Bytes file = FileHeader("2.5");
    WriteBE32(&file[60], 64);
    Append(file, Chunk("rsmp", 0, 0x0010, "", DataOf(40, 0)));
    Append(file, Chunk("STR#", 0x0080, 0x0000, "ab", kNames));
    Append(file, Chunk("BHAV", 0x1000, 0x0010, "init", kInit));
    CIffFile container = ReadOk(file);
    ASSERT_EQ(container.Chunks().size(), 3u);  // the old map is a chunk like any other
    EXPECT_EQ(container.Types().front(), kTypeRsmp);

    const Bytes written = Written(container);
    const std::uint32_t mapStart = 64 + 79 + 86;
    Bytes expected = TemplateHeader("2.5");
    WriteBE32(&expected[60], mapStart);
    Append(expected, Chunk("STR#", 0x0080, 0x0000, "ab", kNames));
    Append(expected, Chunk("BHAV", 0x1000, 0x0010, "init", kInit));
    Append(expected, ResourceMap({{"STR#", {{64, 0x0080, 0, "ab"}}}, {"BHAV", {{64 + 79, 0x1000, 0x10, "init"}}}}));
    EXPECT_EQ(written, expected);
}

TEST(IffWrite, NewContainerIsAn25FileWithEmptyMap)
{
    CIffFile container;
    EXPECT_EQ(container.Version(), 25);
    EXPECT_TRUE(container.Chunks().empty());
    ASSERT_EQ(container.ImageLength(), 64u);
    EXPECT_EQ(0, std::memcmp(container.Image(), "IFF FILE 2.5:TYPE FOLLOWED BY SIZE", 34));

    Bytes expected = TemplateHeader("2.5");
    WriteBE32(&expected[60], 64);
    Append(expected, ResourceMap({}));
    EXPECT_EQ(Written(container), expected);
}

TEST(IffWrite, SavingTwiceIsIdenticalAndChunksStayReadable)
{
    CIffFile container = ReadOk(kThreeChunks);
    const Bytes first = Written(container);
    const Bytes second = Written(container);
    EXPECT_EQ(first, second);
    CIffChunk query = Query(kTypeStr, 0x80);
    ASSERT_TRUE(container.FindChunk(query));
    EXPECT_EQ(DataIn(container, query), kNames);

    // The saved file reads back as the same directory.
    const CIffFile reread = ReadOk(first);
    ASSERT_EQ(reread.Chunks().size(), 4u);  // the three and the new map
    for (std::size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(reread.Chunks()[i].type, container.Chunks()[i].type);
        EXPECT_EQ(reread.Chunks()[i].id, container.Chunks()[i].id);
        EXPECT_EQ(reread.Chunks()[i].name, container.Chunks()[i].name);
        EXPECT_EQ(DataIn(reread, reread.Chunks()[i]), DataIn(container, container.Chunks()[i]));
    }
    EXPECT_EQ(reread.Chunks()[3].type, kTypeRsmp);
}

TEST(IffWrite, TruncatesTheStreamAndNeedsOne)
{
    CIffFile container = ReadOk(kThreeChunks);
    const Bytes expected = Written(container);
    CMemoryStream stream(Bytes(expected.size() + 500, 0x55));
    ASSERT_TRUE(stream.Seek(77));
    ASSERT_TRUE(container.Write(&stream));
    EXPECT_EQ(stream.Bytes(), expected);
    EXPECT_FALSE(container.Write(nullptr));
}

TEST(IffWrite, Version20AnsweredNoKeepsHeaderWithoutMap)
{
    Bytes file = kThreeChunks;
    file[11] = '0';
    CIffFile container = ReadOk(file);
    CScriptedPrompt prompt(false);
    const Bytes written = Written(container, &prompt);
    EXPECT_EQ(prompt.questions, std::vector<std::string>{"Do you want to convert this 2.0 file to 2.5?"});
    EXPECT_EQ(prompt.captions, std::vector<std::string>{""});

    Bytes expected = TemplateHeader("2.0");
    expected.insert(expected.end(), file.begin() + 64, file.end());
    EXPECT_EQ(written, expected);

    // Asked again at every save; no prompt at all counts as No.
    Written(container, &prompt);
    EXPECT_EQ(prompt.questions.size(), 2u);
    EXPECT_EQ(Written(container, nullptr), expected);
}

TEST(IffWrite, Version20AnsweredYesBecomes25WithMap)
{
    Bytes file = kThreeChunks;
    file[11] = '0';
    CIffFile container = ReadOk(file);
    CScriptedPrompt prompt(true);
    const Bytes written = Written(container, &prompt);
    EXPECT_EQ(prompt.questions.size(), 1u);
    CIffFile same25 = ReadOk(kThreeChunks);
    EXPECT_EQ(written, Written(same25));
    // The image is still the 2.0 one, so the next save asks again.
    EXPECT_EQ(container.Version(), 20);
    Written(container, &prompt);
    EXPECT_EQ(prompt.questions.size(), 2u);
}

TEST(IffPut, ReplacesInPlaceOrAppends)
{
    CIffFile container = ReadOk(kThreeChunks);
    const std::size_t oldLength = container.ImageLength();

    CIffChunk replaced = Query(kTypeBhav, 0x1000);
    replaced.flags = 0x0010;
    replaced.name = "init2";
    const Bytes newInit = DataOf(12, 77);
    ASSERT_TRUE(container.PutChunk(replaced, newInit));
    EXPECT_EQ(replaced.offset, oldLength + 76);
    EXPECT_EQ(replaced.size, 12u);
    ASSERT_EQ(container.Chunks().size(), 3u);
    EXPECT_EQ(container.Chunks()[0].name, "init2");
    EXPECT_EQ(container.Chunks()[0].offset, oldLength + 76);
    EXPECT_EQ(DataIn(container, container.Chunks()[0]), newInit);
    // The new chunk's header is built in the image after the old end.
    EXPECT_EQ(Bytes(container.Image() + oldLength, container.Image() + oldLength + 88),
              Chunk("BHAV", 0x1000, 0x0010, "init2", newInit));

    CIffChunk appended = Query(kTypeBhav, 0x0900);
    appended.name = "late";
    ASSERT_TRUE(container.PutChunk(appended, Bytes{1, 2}));
    ASSERT_EQ(container.Chunks().size(), 4u);
    EXPECT_EQ(container.Chunks()[3].id, 0x0900);
    EXPECT_EQ(container.Types(), (std::vector<std::uint32_t>{kTypeBhav, kTypeStr}));

    CIffChunk newType = Query(kTypeGlob, 1);
    ASSERT_TRUE(container.PutChunk(newType, Bytes{'x', 0}));
    EXPECT_EQ(container.Types(), (std::vector<std::uint32_t>{kTypeBhav, kTypeStr, kTypeGlob}));

    // Saved: directory order, and each new chunk listed within its type's group.
    const std::uint32_t at1 = 64, at2 = at1 + 88, at3 = at2 + 79, at4 = at3 + 76, at5 = at4 + 78;
    const std::uint32_t mapStart = at5 + 78;
    Bytes expected = TemplateHeader("2.5");
    WriteBE32(&expected[60], mapStart);
    Append(expected, Chunk("BHAV", 0x1000, 0x0010, "init2", newInit));
    Append(expected, Chunk("STR#", 0x0080, 0x0000, "ab", kNames));
    Append(expected, Chunk("BHAV", 0x1001, 0x0010, "x", {}));
    Append(expected, Chunk("BHAV", 0x0900, 0x0000, "late", {1, 2}));
    Append(expected, Chunk("GLOB", 1, 0x0000, "", {'x', 0}));
    Append(expected, ResourceMap({{"BHAV", {{at1, 0x1000, 0x10, "init2"}, {at3, 0x1001, 0x10, "x"}, {at4, 0x0900, 0, "late"}}},
                                            {"STR#", {{at2, 0x0080, 0, "ab"}}},
                                            {"GLOB", {{at5, 1, 0, ""}}}}));
    EXPECT_EQ(Written(container), expected);
}

TEST(IffPut, CutsNamesTo63AndTakesWholeStream)
{
    CIffFile container;
    const std::string longName(70, 'L');
    CIffChunk entry = Query(kTypeBcon, 3);
    entry.name = longName;
    const Bytes data = DataOf(9, 4);
    CMemoryStream stream(data);
    ASSERT_TRUE(stream.SeekToEnd());  // the whole content counts, not what follows the position
    ASSERT_TRUE(container.PutChunk(entry, stream));
    EXPECT_EQ(entry.name, longName.substr(0, 63));

    CIffChunk query = Query(kTypeBcon, 3);
    ASSERT_TRUE(container.FindChunk(query));
    EXPECT_EQ(query.name, longName.substr(0, 63));
    EXPECT_EQ(DataIn(container, query), data);
    const std::uint8_t* header = container.Image() + query.offset - 76;
    EXPECT_EQ(header[12 + 62], 'L');
    EXPECT_EQ(header[12 + 63], 0);
}

TEST(IffPut, MovesNoOtherChunkAndCompactsOnlyWhenWasteful)
{
    CIffFile container = ReadOk(kThreeChunks);
    const std::vector<CIffChunk> before = container.Chunks();
    EXPECT_EQ(container.DeadBytes(), 0u);

    // Each row puts one chunk; the others keep their offsets, and the bytes written follow.
    struct Row
    {
        std::uint32_t type;
        std::uint16_t id;
        std::size_t size;
        bool wasteful;  // dead bytes above live ones afterwards
    };
    const Row rows[] = {
        {kTypeBhav, 0x1000, 300, false},  // the old 10 bytes die
        {kTypeBhav, 0x1000, 20, true},    // the 300 die
        {kTypeBcon, 7, 5, true},          // a new chunk
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.size);
        std::vector<CIffChunk> others = container.Chunks();
        CIffChunk entry = Query(row.type, row.id);
        ASSERT_TRUE(container.PutChunk(entry, DataOf(row.size, 9)));
        for (const CIffChunk& other : others)
        {
            if (other.type == row.type && other.id == row.id)
                continue;
            CIffChunk found = Query(other.type, other.id);
            ASSERT_TRUE(container.FindChunk(found));
            EXPECT_EQ(found.offset, other.offset);
        }
        EXPECT_EQ(container.LiveBytes() + container.DeadBytes(), container.ImageLength());
        EXPECT_EQ(container.DeadBytes() > container.LiveBytes(), row.wasteful);
    }

    const Bytes written = Written(container);
    const std::size_t live = container.LiveBytes();
    ASSERT_TRUE(container.CompactIfWasteful());
    EXPECT_EQ(container.ImageLength(), live);
    EXPECT_EQ(container.DeadBytes(), 0u);
    EXPECT_EQ(Written(container), written);
    CIffChunk init = Query(kTypeBhav, 0x1000);
    ASSERT_TRUE(container.FindChunk(init));
    EXPECT_EQ(DataIn(container, init), DataOf(20, 9));
    EXPECT_EQ(container.Chunks()[1].offset, before[0].offset + 20 + 76);  // "ab" moved up behind it
}

TEST(IffPut, TakesDataFromItsOwnImage)
{
    // Copying a chunk to another id hands PutChunk bytes of the image it is growing.
    CIffFile container = ReadOk(kThreeChunks);
    for (std::uint16_t id = 1; id <= 200; ++id)
    {
        CIffChunk source = Query(kTypeStr, 0x80);
        ASSERT_TRUE(container.FindChunk(source));
        CIffChunk copy = Query(kTypeStr, id);
        ASSERT_TRUE(container.PutChunk(copy, container.ChunkData(source)));
        ASSERT_EQ(DataIn(container, copy), kNames) << id;
    }
}

TEST(IffRemove, FindsTheNextEntryOfTheSameTypeAndId)
{
    Bytes file = FileHeader("2.5");
    Append(file, Chunk("BHAV", 0x1000, 0, "first", kInit));
    Append(file, Chunk("STR#", 0x0080, 0, "ab", kNames));
    Append(file, Chunk("BHAV", 0x1000, 0, "second", {}));
    CIffFile container = ReadOk(file);
    const std::uint64_t live = container.LiveBytes();
    for (const char* expected : {"first", "second"})
    {
        CIffChunk found = Query(kTypeBhav, 0x1000);
        ASSERT_TRUE(container.FindChunk(found));
        EXPECT_EQ(found.name, expected);
        ASSERT_TRUE(container.RemoveChunk(found));
    }
    EXPECT_FALSE(container.RemoveChunk(Query(kTypeBhav, 0x1000)));
    EXPECT_EQ(container.LiveBytes(), live - (76 + kInit.size()) - 76);
    CIffChunk names = Query(kTypeStr, 0x80);
    ASSERT_TRUE(container.FindChunk(names));
    EXPECT_EQ(DataIn(container, names), kNames);
}

TEST(IffRemove, ChunkLeavesFileAndMapGroupDisappears)
{
    CIffFile container = ReadOk(kThreeChunks);
    EXPECT_FALSE(container.RemoveChunk(Query(kTypeStr, 0x81)));
    ASSERT_TRUE(container.RemoveChunk(Query(kTypeStr, 0x80)));
    EXPECT_EQ(container.Chunks().size(), 2u);
    EXPECT_EQ(container.Types(), (std::vector<std::uint32_t>{kTypeBhav, kTypeStr}));

    const std::uint32_t mapStart = 64 + 86 + 76;
    Bytes expected = TemplateHeader("2.5");
    WriteBE32(&expected[60], mapStart);
    Append(expected, Chunk("BHAV", 0x1000, 0x0010, "init", kInit));
    Append(expected, Chunk("BHAV", 0x1001, 0x0010, "x", {}));
    Append(expected, ResourceMap({{"BHAV", {{64, 0x1000, 0x10, "init"}, {64 + 86, 0x1001, 0x10, "x"}}}}));
    EXPECT_EQ(Written(container), expected);

    // Of two entries with the same type and id only the first goes.
    Bytes twice = FileHeader("2.5");
    Append(twice, Chunk("BHAV", 1, 0, "a", {}));
    Append(twice, Chunk("BHAV", 1, 0, "b", {}));
    CIffFile duplicates = ReadOk(twice);
    ASSERT_TRUE(duplicates.RemoveChunk(Query(kTypeBhav, 1)));
    ASSERT_EQ(duplicates.Chunks().size(), 1u);
    EXPECT_EQ(duplicates.Chunks()[0].name, "b");
}

TEST(IffCopy, CopiesShareNothing)
{
    auto original = std::make_unique<CIffFile>(ReadOk(kThreeChunks));
    CIffFile copy(*original);
    CIffFile assigned;
    assigned = *original;
    EXPECT_NE(copy.Image(), original->Image());
    EXPECT_TRUE(copy.ReadSucceeded());

    CIffChunk entry = Query(kTypeBhav, 0x1000);
    ASSERT_TRUE(copy.PutChunk(entry, Bytes{9, 9, 9}));
    CIffChunk query = Query(kTypeBhav, 0x1000);
    ASSERT_TRUE(original->FindChunk(query));
    EXPECT_EQ(DataIn(*original, query), kInit);
    EXPECT_EQ(original->ImageLength(), kThreeChunks.size());

    const Bytes expected = Written(*original);
    original.reset();
    EXPECT_EQ(Written(assigned), expected);
    ASSERT_TRUE(copy.FindChunk(query));
    EXPECT_EQ(DataIn(copy, query), (Bytes{9, 9, 9}));
}

// A chunk past 4 GiB is found at its own bytes: an offset kept in 32 bits would wrap to the start
// of the first chunk, where other constants lie. The file is sparse, so nothing near 4 GiB is
// written, and a file opened for reading is mapped, so only the touched pages are read.
TEST(IffRead, FindsAChunkPastFourGibibytes)
{
#ifdef _WIN32
    GTEST_SKIP() << "a large file is read into memory here, not mapped";
#else
    const std::string path = (std::filesystem::temp_directory_path() / "treewright-past-4-gib.iff").string();
    constexpr std::uint32_t kFillerSize = 0xFFFFFFF0;  // the first chunk's size, header included
    constexpr std::uint64_t kSecondAt = 64 + std::uint64_t(kFillerSize);
    static_assert(kSecondAt > 0xFFFFFFFF);
    const Bytes constants{0x02, 0x80, 0x05, 0x00, 0xFF, 0xFF};
    Bytes start = TemplateHeader("2.5");
    Bytes filler = Chunk("FILL", 1, 0, "hole", {});
    WriteBE32(&filler[4], kFillerSize);
    Append(start, filler);
    // Other constants where the second chunk's data would be read from with its offset wrapped to
    // 32 bits: in the first chunk's name field.
    const Bytes decoy{0x01, 0x00, 0x09, 0x00, 0x00, 0x00};
    const std::size_t wrapped = std::size_t((kSecondAt + 76) & 0xFFFFFFFF);
    ASSERT_LE(wrapped + decoy.size(), start.size());
    std::copy(decoy.begin(), decoy.end(), start.begin() + std::ptrdiff_t(wrapped));
    const Bytes second = Chunk("BCON", 4096, 0x0010, "past the mark", constants);

    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    const bool written = ::pwrite(fd, start.data(), start.size(), 0) == ssize_t(start.size()) &&
                         ::pwrite(fd, second.data(), second.size(), off_t(kSecondAt)) == ssize_t(second.size());
    struct stat info{};
    const bool sparse = written && ::fstat(fd, &info) == 0 && std::uint64_t(info.st_blocks) * 512 < (1u << 30);
    ::close(fd);
    if (!sparse)
    {
        std::filesystem::remove(path);
        GTEST_SKIP() << "the temporary folder's file system cannot hold a sparse file of 4 GiB";
    }

    CIffFile container;
    EIffRead error = EIffRead::Ok;
    {
        CFileStream stream;
        ASSERT_TRUE(stream.Open(path, CFileStream::EMode::Read));
        ASSERT_TRUE(container.Read(&stream, error, nullptr)) << int(error);
    }
    std::filesystem::remove(path);
    CIffChunk chunk;
    chunk.type = kTypeBcon;
    chunk.id = 4096;
    ASSERT_TRUE(container.FindChunk(chunk));
    EXPECT_EQ(chunk.offset, kSecondAt + 76);
    EXPECT_EQ(chunk.name, "past the mark");
    const std::span<const std::uint8_t> data = container.ChunkData(chunk);
    EXPECT_EQ(Bytes(data.begin(), data.end()), constants);
    CConstantTable table;
    ASSERT_TRUE(table.Load(container, 4096));
    EXPECT_EQ(table.Values(), (std::vector<std::int16_t>{5, -1}));
#endif
}
