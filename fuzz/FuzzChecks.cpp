#include "FuzzChecks.h"

#include "containers/ByteOrder.h"
#include "containers/ByteReader.h"
#include "containers/ByteStream.h"
#include "containers/FarArchive.h"
#include "containers/FarDirectory.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "containers/UserPrompt.h"
#include "records/BhavScript.h"
#include "records/ConstantTable.h"
#include "records/InteractionTable.h"
#include "records/ObjectDefinition.h"
#include "records/ObjectFunctions.h"
#include "records/SemiGlobalReference.h"
#include "records/StringTable.h"
#include "rendering/CodeTextRenderer.h"
#include "rendering/NeededFiles.h"
#include "rendering/OperandVocabulary.h"
#include "rendering/PlainTextRenderer.h"
#include "tests/IndexedFiles.h"
#include "tests/ArithmeticEncoderForTests.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;

// The test encoder walks a flat frequency table per byte; past this size coding every input
// would slow the fuzzer more than larger images add.
constexpr std::size_t kMaxCodedImage = 1024;
// Extracted members read as containers; the container target covers the rest of that ground.
constexpr std::size_t kMembersReadAsContainers = 8;

// Answers the 2.0 question with a fixed answer and counts what the core asks and shows.
class CCountingPrompt : public CUserPrompt
{
public:
    explicit CCountingPrompt(bool answer) : m_answer(answer) {}
    void ShowMessage(const std::string&, const std::string&) override { ++m_messages; }
    bool AskYesNo(const std::string&, const std::string&) override
    {
        ++m_questions;
        return m_answer;
    }

    int m_messages = 0;
    int m_questions = 0;

private:
    bool m_answer;
};

// A chunk as a file holds it: the fields of its entry that the file keeps, and its data.
struct CHeldChunk
{
    std::uint32_t type = 0;
    std::uint16_t id = 0;
    std::uint16_t flags = 0;
    std::string name;
    Bytes data;

    bool operator==(const CHeldChunk&) const = default;
};

std::vector<CHeldChunk> HeldChunks(const CIffFile& container, bool withMaps)
{
    std::vector<CHeldChunk> held;
    for (const CIffChunk& chunk : container.Chunks())
    {
        if (!withMaps && chunk.type == kTypeRsmp)
            continue;
        const auto data = container.ChunkData(chunk);
        held.push_back({chunk.type, chunk.id, chunk.flags, chunk.name, Bytes(data.begin(), data.end())});
    }
    return held;
}

// What holds for the directory of any container just read.
std::string CheckReadDirectory(const CIffFile& container)
{
    const std::vector<CIffChunk>& chunks = container.Chunks();
    std::vector<std::uint32_t> typesInOrder;
    for (const CIffChunk& chunk : chunks)
    {
        if (container.ChunkData(chunk).size() != chunk.size)
            return "a chunk taken by the walk does not lie inside the image";
        if (chunk.name.size() > CIffFile::kNameFieldSize)
            return "a chunk name is longer than its field";
        if (std::find(typesInOrder.begin(), typesInOrder.end(), chunk.type) == typesInOrder.end())
            typesInOrder.push_back(chunk.type);
    }
    if (typesInOrder != container.Types())
        return "the type list is not the directory's types in order of first appearance";

    std::size_t listed = 0;
    for (const std::uint32_t type : container.Types())
    {
        std::size_t position = container.FindFirstOfType(type);
        while (position != CIffFile::kNoPosition)
        {
            if (container.NextOfType(position).type != type)
                return "iterating a type gave an entry of another type";
            if (++listed > chunks.size())
                return "iterating by type does not end";
        }
    }
    if (listed != chunks.size())
        return "iterating every type does not list every entry once";

    for (std::size_t i = 0; i < chunks.size(); ++i)
    {
        CIffChunk query;
        query.type = chunks[i].type;
        query.id = chunks[i].id;
        if (!container.FindChunk(query))
            return "a listed chunk is not found by type and id";
        const auto first = std::find_if(chunks.begin(), chunks.end(), [&](const CIffChunk& chunk) {
            return chunk.type == query.type && chunk.id == query.id;
        });
        if (query.offset != first->offset || query.size != first->size || query.name != first->name)
            return "finding a chunk did not give the first entry of its type and id";
    }
    return {};
}

// The map of a written file must list every other chunk once, grouped by type, at the position
// where the file holds it.
std::string CheckResourceMap(const Bytes& file, const CIffFile& reread)
{
    const std::vector<CIffChunk>& chunks = reread.Chunks();
    if (chunks.empty() || chunks.back().type != kTypeRsmp)
        return "the resource map is not the last chunk";
    const CIffChunk& map = chunks.back();
    CByteReader header(file);
    header.Skip(60);
    if (std::uint64_t(header.U32BE()) + CIffFile::kChunkHeaderSize != map.offset || header.OutOfData())
        return "the header does not point at the resource map";
    CByteReader data(reread.ChunkData(map));
    const std::uint32_t reserved = data.U32LE();
    const std::uint32_t version = data.U32LE();
    const std::span<const std::uint8_t> magic = data.Bytes(4);
    const std::uint32_t size = data.U32LE();
    const std::uint32_t groups = data.U32LE();
    if (data.OutOfData() || reserved != 0 || version != 0 || std::memcmp(magic.data(), "pmsr", 4) != 0 ||
        size != map.size + CIffFile::kChunkHeaderSize)
        return "the resource map's fixed fields are wrong";

    std::vector<bool> seen(chunks.size(), false);
    std::vector<std::uint32_t> groupTypes;
    for (std::uint32_t g = 0; g < groups; ++g)
    {
        const std::uint32_t type = data.U32LE();
        const std::uint32_t count = data.U32LE();
        if (data.OutOfData())
            return "a resource map group runs past the map";
        if (std::find(groupTypes.begin(), groupTypes.end(), type) != groupTypes.end())
            return "a type has two resource map groups";
        groupTypes.push_back(type);
        std::size_t previous = 0;
        for (std::uint32_t e = 0; e < count; ++e)
        {
            const std::uint64_t at = data.U32LE();
            const std::uint16_t id = data.U16LE();
            const std::uint16_t flags = data.U16LE();
            if (data.OutOfData())
                return "a resource map entry runs past the map";
            const std::string name = data.CString();
            if (data.OutOfData())
                return "a resource map name has no end";
            if ((data.Position() + CIffFile::kChunkHeaderSize) % 2 != 0 && (data.U8() != 0xA3 || data.OutOfData()))
                return "a resource map entry lacks its filler byte";
            const auto chunk = std::find_if(chunks.begin(), chunks.end(), [&](const CIffChunk& c) {
                return c.offset == at + CIffFile::kChunkHeaderSize;
            });
            if (chunk == chunks.end() || chunk->type != type || chunk->id != id || chunk->flags != flags ||
                chunk->name != name)
                return "a resource map entry does not describe the chunk at its position";
            const std::size_t index = std::size_t(chunk - chunks.begin());
            if (seen[index] || (e > 0 && index < previous))
                return "a resource map group repeats a chunk or leaves directory order";
            seen[index] = true;
            previous = index;
        }
    }
    if (!data.AtEnd())
        return "the resource map has bytes after its last group";
    for (std::size_t i = 0; i + 1 < chunks.size(); ++i)
        if (!seen[i])
            return "the resource map leaves a chunk out";
    return {};
}

// Writes the container, reads the file back and compares its chunks with `expected` (maps
// aside). Saving the re-read file again must give the same bytes unless edits have moved a type
// ahead of where it first entered the type list, which orders the map's groups.
std::string CheckSaved(CIffFile& container, std::vector<CHeldChunk> expected, bool answer, bool resaveIdentical)
{
    std::erase_if(expected, [](const CHeldChunk& chunk) { return chunk.type == kTypeRsmp; });
    const int version = container.Version();
    const bool withMap = version != 20 || answer;
    CCountingPrompt prompt(answer);
    CMemoryStream saved;
    if (!container.Write(&saved, &prompt))
        return "a read container did not write";
    if (prompt.m_questions != (version == 20 ? 1 : 0))
        return "the 2.0 question was not asked exactly when saving a 2.0 container";

    CIffFile reread;
    EIffRead code = EIffRead::Ok;
    CMemoryStream again(saved.Bytes());
    if (!reread.Read(&again, code))
        return "a written container does not read";
    if (HeldChunks(reread, false) != expected)
        return "writing and reading changed the chunks";
    if (reread.Version() != (withMap ? 25 : 20))
        return "a container was written in the wrong version";
    const auto maps = std::count_if(reread.Chunks().begin(), reread.Chunks().end(),
                                    [](const CIffChunk& chunk) { return chunk.type == kTypeRsmp; });
    if (maps != (withMap ? 1 : 0))
        return "a written container has the wrong number of resource maps";
    if (withMap)
        if (std::string failure = CheckResourceMap(saved.Bytes(), reread); !failure.empty())
            return failure;

    if (resaveIdentical)
    {
        CCountingPrompt secondPrompt(answer);
        CMemoryStream resaved;
        if (!reread.Write(&resaved, &secondPrompt) || resaved.Bytes() != saved.Bytes())
            return "saving a saved container again gave other bytes";
    }
    return {};
}

std::string CheckCodedCopy(std::span<const std::uint8_t> bytes, const CIffFile& plain)
{
    const Bytes codedFile = MakeCodedIffFile(Bytes(bytes.begin(), bytes.end()));
    CIffFile coded;
    EIffRead code = EIffRead::Ok;
    CMemoryStream stream(codedFile);
    if (!coded.Read(&stream, code))
        return "the coded copy of a readable file does not read";
    if (coded.FileVersion() != 30 || coded.ImageLength() != bytes.size() ||
        !std::equal(bytes.begin(), bytes.end(), coded.Image()))
        return "a coded file does not decode to the image that was coded";
    if (HeldChunks(coded, true) != HeldChunks(plain, true) || coded.Types() != plain.Types())
        return "a coded file reads to another directory than its image";
    return {};
}
}

std::string CheckContainerBytes(std::span<const std::uint8_t> bytes)
{
    const bool answer = !bytes.empty() && (bytes.back() & 1) != 0;
    CCountingPrompt prompt(answer);
    CIffFile container;
    EIffRead code = EIffRead::Ok;
    {
        CMemoryStream stream(bytes.data(), bytes.size());
        if (!container.Read(&stream, code, &prompt))
        {
            if (code < EIffRead::IoError || code > EIffRead::DecodeFailed)
                return "a failed read gave no error code";
            if (!container.Chunks().empty() || !container.Types().empty() || container.ReadSucceeded())
                return "a failed read left a directory behind";
            return {};
        }
    }
    if (code != EIffRead::Ok || !container.ReadSucceeded())
        return "a successful read did not say so";
    if (prompt.m_messages != 0)
        return "a successful read showed a message";
    if (std::string failure = CheckReadDirectory(container); !failure.empty())
        return failure;
    if (container.FileVersion() != 30 && bytes.size() <= kMaxCodedImage)
        if (std::string failure = CheckCodedCopy(bytes, container); !failure.empty())
            return failure;

    const CIffFile copy(container);
    if (HeldChunks(copy, true) != HeldChunks(container, true) || copy.Types() != container.Types() ||
        copy.ImageLength() != container.ImageLength() || copy.Version() != container.Version())
        return "a copy differs from its container";

    if (std::string failure = CheckSaved(container, HeldChunks(container, true), answer, true); !failure.empty())
        return failure;

    // Edit as the records and the document do: replace the first chunk's data, remove an entry.
    std::vector<CHeldChunk> expected = HeldChunks(container, true);
    if (!expected.empty())
    {
        CIffChunk entry;
        entry.type = expected.front().type;
        entry.id = expected.front().id;
        entry.flags = 0x0010;
        entry.name = expected.front().name;
        const Bytes data(bytes.end() - std::ptrdiff_t(std::min<std::size_t>(bytes.size(), 40)), bytes.end());
        if (!container.PutChunk(entry, data))
            return "putting a chunk into a read container failed";
        const auto stored = container.ChunkData(entry);
        if (!std::equal(stored.begin(), stored.end(), data.begin(), data.end()))
            return "a put chunk does not hold its data";
        expected.front() = {entry.type, entry.id, 0x0010, expected.front().name.substr(0, CIffFile::kMaxStoredNameLength), data};

        CIffChunk query;
        query.type = expected.back().type;
        query.id = expected.back().id;
        if (!container.RemoveChunk(query))
            return "removing a listed chunk failed";
        expected.erase(std::find_if(expected.begin(), expected.end(), [&](const CHeldChunk& chunk) {
            return chunk.type == query.type && chunk.id == query.id;
        }));
    }
    return CheckSaved(container, expected, answer, false);
}

std::string CheckArchiveBytes(std::span<const std::uint8_t> bytes)
{
    CFarArchive archive;
    CMemoryStream stream(bytes.data(), bytes.size());
    const bool opened = archive.Open(&stream);
    if (opened != archive.IsOpen())
        return "an archive's open state differs from what opening returned";
    // Every entry takes 16 bytes of the file, whatever count the directory claims.
    if (archive.Entries().size() > bytes.size() / 16)
        return "more members listed than the file has room for";
    // The loader walks the directory where it lies; it must take what the reader takes, as read.
    CFarDirectory directory;
    if (directory.Open(bytes) != opened)
        return "the directory walk and the archive reader disagree on opening";
    if (opened)
    {
        if (directory.Size() != archive.Entries().size())
            return "the directory walk lists a different number of members";
        CFarDirectory::CCursor cursor = directory.CursorAt(0);
        for (std::size_t i = 0; i < directory.Size(); ++i, cursor.Next())
        {
            const CFarEntry& expected = archive.Entries()[i];
            const CFarDirectoryEntry walked = cursor.Entry();
            const CFarDirectoryEntry indexed = directory.At(i);
            if (walked.name != expected.name || walked.offset != expected.offset ||
                walked.length2 != expected.length2 || indexed.name.data() != walked.name.data())
                return "the directory walk reads an entry otherwise than the archive reader";
        }
    }

    std::size_t readAsContainers = 0;
    for (const CFarEntry& entry : archive.Entries())
    {
        if (entry.name.size() != entry.nameLength)
            return "a member name differs in length from its length field";
        const bool inside = opened && std::uint64_t(entry.offset) + entry.length2 <= bytes.size();
        CMemoryStream out;
        if (archive.Extract(out, entry) != inside)
            return inside ? "a member inside the file did not extract" : "a member extracted that the file does not hold";
        if (!inside)
            continue;
        const auto member = bytes.subspan(entry.offset, entry.length2);
        if (!std::equal(member.begin(), member.end(), out.Bytes().begin(), out.Bytes().end()))
            return "an extracted member differs from its bytes in the archive";
        if (readAsContainers++ < kMembersReadAsContainers)
        {
            CIffFile container;
            EIffRead code = EIffRead::Ok;
            out.Seek(0);
            if (container.Read(&out, code))
                if (std::string failure = CheckReadDirectory(container); !failure.empty())
                    return failure;
        }
    }
    return {};
}

namespace
{
constexpr std::uint16_t kLoadedId = 1;
constexpr std::uint16_t kFieldLayoutId = 2;
constexpr std::uint16_t kPlainLayoutId = 3;
constexpr std::uint16_t kLaterLayoutId = 4;  // interactions of version 10, strings of format 0xFFFC
constexpr std::uint16_t kStoredId = 100;
const std::string kChunkName = "fuzzed chunk";

std::span<const std::uint8_t> LoadedData(const CIffFile& container, std::uint32_t type, std::uint16_t id = kLoadedId)
{
    CIffChunk chunk;
    chunk.type = type;
    chunk.id = id;
    return container.FindChunk(chunk) ? container.ChunkData(chunk) : std::span<const std::uint8_t>();
}

bool BeginsWith(std::span<const std::uint8_t> data, const std::vector<std::uint8_t>& start)
{
    return start.size() <= data.size() && std::equal(start.begin(), start.end(), data.begin());
}

std::string CheckScript(CIffFile& container)
{
    CBhavScript script;
    if (!script.Load(container, kLoadedId))
        return script.Lines().empty() ? std::string() : "a script that failed to load kept lines";
    const bool wide = script.Format() == 0x8003;
    if (script.Header().size() != CBhavScript::HeaderSizeFor(script.Format()) ||
        script.Lines().size() !=
            (wide ? ReadLE32(script.Header().data() + 9) : ReadLE16(script.Header().data() + 2)))
        return "a script loaded another number of lines than its header says";
    // Unchanged, a script stores back as the bytes it was read from, up to its last line.
    const CRecordResult<std::vector<std::uint8_t>> encoded = script.Encode();
    if (!encoded || !BeginsWith(LoadedData(container, kTypeBhav), *encoded))
        return "an unchanged script does not store back as it was read";
    if (!script.Store(container, kStoredId))
        return "a loaded script did not store";
    CBhavScript again;
    if (!again.Load(container, kStoredId) || again.Header() != script.Header() ||
        again.Lines() != script.Lines() || again.Name() != script.Name())
        return "a script changed through store and load";

    // Optimising keeps line 0 first, leaves no target inside the script pointing past its end,
    // and changes nothing a second time.
    CBhavScript optimized = script;
    optimized.Optimize();
    if (optimized.Lines() != script.Lines())
    {
        const std::size_t lines = optimized.Lines().size();
        const CBhavInstruction& first = optimized.Lines().front();
        if (lines == 0 || lines > 252 || first.opcode != script.Lines().front().opcode ||
            first.params != script.Lines().front().params)
            return "optimising gave a script that does not begin with line 0";
        for (const CBhavInstruction& line : optimized.Lines())
            if ((line.trueTarget < 252 && line.trueTarget >= lines) || (line.falseTarget < 252 && line.falseTarget >= lines))
                return "optimising left a target past the last line";
    }
    CBhavScript twice = optimized;
    twice.Optimize();
    if (twice.Lines() != optimized.Lines())
        return "optimising twice differs from optimising once";
    return {};
}

// What a table holds after storing and loading: the same rows, and a codeless table given what its
// form cannot hold (another language, or a description in a table of texts alone) moves to the
// coded form.
CStringTable AsStored(const CStringTable& table)
{
    if (table.IsPlain() || (table.Format() != CStringTable::kPairsFormat && table.Format() != CStringTable::kTextsFormat))
        return table;
    std::uint16_t format = table.Format();
    for (const CStringTable::CRow& row : table.Rows())
        for (std::size_t slot = 0; slot < row.size(); ++slot)
            if ((slot > 0 && (!row[slot].text.empty() || !row[slot].description.empty())) ||
                (table.Format() == CStringTable::kTextsFormat && !row[slot].description.empty()))
                format = CStringTable::kDefaultFormat;
    return CStringTable::Languages(table.Rows(), format, table.Name());
}

std::string CheckStrings(CIffFile& container, std::uint32_t type, std::uint16_t id)
{
    CStringTable table;
    if (!table.Load(container, type, id))
        return table.LineCount() == 0 ? std::string() : "a string table that failed to load kept entries";
    if (table.IsPlain() && type == kTypeTtas)
        return "an interaction-name table loaded in the plain layout";
    // A plain or codeless table that was read stores back as the bytes it was read from, up to its
    // last entry: nothing else can hold what those layouts hold. A table of language sets is read
    // only when nothing follows its last set, so it stores back as all of its bytes.
    if (table.IsPlain() || table.Format() == CStringTable::kPairsFormat || table.Format() == CStringTable::kTextsFormat ||
        table.Format() == CStringTable::kLanguageSetsFormat)
    {
        const CRecordResult<std::vector<std::uint8_t>> encoded = table.Encode(type);
        const std::span<const std::uint8_t> loaded = LoadedData(container, type, id);
        if (!encoded || !BeginsWith(loaded, *encoded) ||
            (table.Format() == CStringTable::kLanguageSetsFormat && !table.IsPlain() && encoded->size() != loaded.size()))
            return "an unchanged string table does not store back as it was read";
    }
    if (!table.Store(container, type, kStoredId))
        return "a loaded string table did not store";
    CStringTable again;
    if (!again.Load(container, type, kStoredId))
        return "a stored string table does not load";
    const CStringTable expected = AsStored(table);
    if (again.IsPlain() != expected.IsPlain() || again.Format() != expected.Format() ||
        again.Strings() != expected.Strings() || again.Rows() != expected.Rows() || again.Name() != expected.Name())
        return "a string table changed through store and load";
    return {};
}

std::string CheckConstants(CIffFile& container)
{
    CConstantTable table;
    if (!table.Load(container, kLoadedId))
        return table.Values().empty() ? std::string() : "a constant table that failed to load kept values";
    if (!table.Store(container, kStoredId))
        return "a loaded constant table did not store";
    CConstantTable again;
    if (!again.Load(container, kStoredId) || again.Flags() != table.Flags() || again.Values() != table.Values() ||
        again.Name() != table.Name())
        return "a constant table changed through store and load";
    return {};
}

bool SameInteraction(const CInteraction& a, const CInteraction& b)
{
    // The attenuation compares by its bits: a NaN read from a file must come back as that NaN.
    return a.actionTree == b.actionTree && a.checkTree == b.checkTree && a.motiveCount == b.motiveCount &&
           a.flags == b.flags && a.nameIndex == b.nameIndex && a.attenuationCode == b.attenuationCode &&
           std::bit_cast<std::uint32_t>(a.attenuationValue) == std::bit_cast<std::uint32_t>(b.attenuationValue) &&
           a.autonomyThreshold == b.autonomyThreshold && a.extraIndex == b.extraIndex && a.motives == b.motives &&
           a.flags2 == b.flags2;
}

std::string CheckInteractions(CIffFile& container, std::uint16_t id, std::size_t dataSize)
{
    CInteractionTable table;
    if (!table.Load(container, id) || table.Interactions().empty())
        return table.Interactions().empty() ? std::string() : "an interaction table that failed to load kept entries";
    // Every interaction takes data: 32 bytes in the plain layout, nine bits (one per field) in the
    // field-encoded one, where only a walk that starts inside the data takes one.
    const std::size_t bits = 8 * dataSize;
    const std::size_t most = table.Version() == CInteractionTable::kFieldEncodedVersion ? bits / 9 + 1 : dataSize / 32;
    if (table.Interactions().size() > most)
        return "more interactions loaded than the data can hold";
    // Version 10 is read only when its interactions fill the chunk exactly, each with 16 motive
    // entries, so it stores back as all of its bytes.
    if (table.HasSecondFlags())
    {
        const CRecordResult<std::vector<std::uint8_t>> encoded = table.Encode();
        const std::span<const std::uint8_t> loaded = LoadedData(container, kTypeTtab, id);
        if (!encoded || !std::equal(encoded->begin(), encoded->end(), loaded.begin(), loaded.end()))
            return "an unchanged version-10 interaction table does not store back as it was read";
    }
    if (!table.Store(container, kStoredId))
        return "a loaded interaction table did not store";
    CInteractionTable again;
    if (!again.Load(container, kStoredId) || again.Version() != table.Version() || again.Name() != table.Name() ||
        again.Interactions().size() != table.Interactions().size())
        return "an interaction table changed through store and load";
    for (std::size_t i = 0; i < table.Interactions().size(); ++i)
    {
        CInteraction expected = table.Interactions()[i];
        expected.motiveCount = CInteraction::kStoredMotives;
        expected.motives.resize(CInteraction::kStoredMotives);
        if (!SameInteraction(again.Interactions()[i], expected))
            return "an interaction changed through store and load";
    }
    return {};
}

std::string CheckSemiGlobalName(std::span<const std::uint8_t> data)
{
    // Chunks of id 128 keep a filler; others hold exactly the name.
    const std::uint16_t id = !data.empty() && (data.back() & 1) != 0 ? 128 : 2049;
    CIffFile container;
    CIffChunk entry;
    entry.type = kTypeGlob;
    entry.id = id;
    entry.name = kChunkName;
    if (!container.PutChunk(entry, data))
        return "a semi-global chunk could not be put";

    const std::string name = ReadSemiGlobalName(container);
    if (name != DecodeSemiGlobalName(data) || name.size() > data.size())
        return "the semi-global name is not what its chunk holds";
    if (!StoreSemiGlobalName(container, name, name) || container.Chunks().size() != 1 ||
        container.Chunks()[0].offset != entry.offset)
        return "saving an unchanged semi-global name rewrote its chunk";

    // Names the save step writes in the length form must read back; longer ones are cut to 255.
    std::vector<std::string> edits;
    edits.push_back(name.substr(0, std::min<std::size_t>(name.size(), 46)) + "x");
    if (!data.empty())
    {
        std::string longName(data.begin(), data.end());
        longName.resize(128 + data.size() % 300, '.');
        edits.push_back(longName);
    }
    for (const std::string& edit : edits)
    {
        CIffFile edited = container;
        if (!StoreSemiGlobalName(edited, edit, name))
            return "saving a semi-global name failed";
        std::size_t position = edited.FindFirstOfType(kTypeGlob);
        const CIffChunk chunk = edited.NextOfType(position);
        // An edit that happens to equal the name read changes nothing.
        const bool unchanged = edit == name;
        if (ReadSemiGlobalName(edited) != (unchanged ? name : edit.substr(0, 255)) || chunk.id != id ||
            chunk.name != kChunkName || (!unchanged && id == 128 && chunk.size != 256))
            return "a saved semi-global name does not read back";
    }
    CIffFile cleared = container;
    const bool kept = cleared.FindFirstOfType(kTypeGlob) != CIffFile::kNoPosition && name.empty();
    if (!StoreSemiGlobalName(cleared, std::string(), name) ||
        (cleared.FindFirstOfType(kTypeGlob) != CIffFile::kNoPosition) != kept || !ReadSemiGlobalName(cleared).empty())
        return "saving an empty semi-global name kept a name";
    return {};
}

bool PutRecordChunk(CIffFile& container, std::uint32_t type, std::uint16_t id, std::span<const std::uint8_t> data)
{
    CIffChunk entry;
    entry.type = type;
    entry.id = id;
    entry.flags = 0x0010;
    entry.name = kChunkName;
    return container.PutChunk(entry, data);
}

// An object definition loads exactly when its length and version fit, gives its bytes back, and
// reads every field where it lies.
std::string CheckObjectDefinition(std::span<const std::uint8_t> data)
{
    CObjectDefinition object;
    const bool fits = data.size() >= CObjectDefinition::kMinSize && data.size() % 2 == 0 &&
                      (ReadLE32(data.data()) == CObjectDefinition::kVersion ||
                       ReadLE32(data.data()) == CObjectDefinition::kOlderVersion);
    const CRecordStatus decoded = object.Decode(data);
    if (bool(decoded) != fits)
        return "an object definition loaded or was refused against its length and version";
    if (!fits)
        return decoded.Failure() ? std::string() : "a refused object definition gave no reason";
    if (!std::equal(data.begin(), data.end(), object.Encode().begin(), object.Encode().end()))
        return "an object definition did not give its bytes back";
    std::size_t covered = CObjectDefinition::kFirstFieldOffset;
    for (const CObjectField& field : object.Fields())
    {
        const std::uint32_t expected =
            field.Size() == 4 ? ReadLE32(data.data() + field.offset) : ReadLE16(data.data() + field.offset);
        if (field.offset != covered || object.Value(field.offset) != expected)
            return "an object definition's fields do not cover its bytes in order";
        covered += field.Size();
    }
    if (covered != data.size())
        return "an object definition's fields do not reach its end";
    CIffFile container;
    CObjectDefinition again;
    if (!object.Store(container, kStoredId) || !again.Load(container, kStoredId) || again.Encode() != object.Encode())
        return "an object definition changed through store and load";
    return {};
}

std::string CheckObjectFunctions(std::span<const std::uint8_t> data)
{
    CObjectFunctions functions;
    if (const CRecordStatus decoded = functions.Decode(data); !decoded)
        return decoded.Failure() ? std::string() : "a refused function table gave no reason";
    const Bytes encoded = functions.Encode();
    if (!std::equal(data.begin(), data.end(), encoded.begin(), encoded.end()))
        return "a function table did not give its bytes back";
    return {};
}

// The bytes as they come, then with a fitting version or header put over their start, so that
// most inputs also reach the fields.
std::string CheckObjects(std::span<const std::uint8_t> bytes)
{
    std::string failure = CheckObjectDefinition(bytes);
    if (failure.empty() && bytes.size() >= CObjectDefinition::kMinSize)
    {
        Bytes object(bytes.begin(), bytes.end() - std::ptrdiff_t(bytes.size() % 2));
        WriteLE32(object.data(), (bytes[4] & 1) != 0 ? CObjectDefinition::kVersion : CObjectDefinition::kOlderVersion);
        failure = CheckObjectDefinition(object);
    }
    if (failure.empty())
        failure = CheckObjectFunctions(bytes);
    if (failure.empty() && bytes.size() >= CObjectFunctions::kHeaderSize)
    {
        Bytes table(bytes.begin(), bytes.end() - std::ptrdiff_t((bytes.size() - CObjectFunctions::kHeaderSize) % 4));
        std::fill(table.begin(), table.begin() + 8, std::uint8_t(0));
        std::memcpy(table.data() + 8, "fJBO", 4);
        WriteLE32(table.data() + 12, std::uint32_t((table.size() - CObjectFunctions::kHeaderSize) / 4));
        CObjectFunctions functions;
        if (!functions.Decode(table))
            return "a well-formed function table was refused";
        failure = CheckObjectFunctions(table);
    }
    return failure;
}
}

std::string CheckRecordBytes(std::span<const std::uint8_t> bytes)
{
    CIffFile container;
    for (const std::uint32_t type : {kTypeBhav, kTypeStr, kTypeTtas, kTypeBcon, kTypeTtab})
        if (!PutRecordChunk(container, type, kLoadedId, bytes))
            return "a chunk could not be put";
    // The same interactions in both layouts: the version field decides which one is read.
    if (bytes.size() >= 4)
    {
        Bytes fields(bytes.begin(), bytes.end());
        WriteLE16(&fields[2], CInteractionTable::kFieldEncodedVersion);
        Bytes plain(bytes.begin(), bytes.end());
        if (ReadLE16(&plain[2]) == CInteractionTable::kFieldEncodedVersion)
            WriteLE16(&plain[2], 5);
        Bytes later(bytes.begin(), bytes.end());
        WriteLE16(&later[2], CInteractionTable::kSecondFlagsVersion);
        if (!PutRecordChunk(container, kTypeTtab, kFieldLayoutId, fields) ||
            !PutRecordChunk(container, kTypeTtab, kPlainLayoutId, plain) ||
            !PutRecordChunk(container, kTypeTtab, kLaterLayoutId, later))
            return "a chunk could not be put";
    }
    // The same bytes as language sets, whatever format code they began with.
    if (bytes.size() >= 2)
    {
        Bytes sets(bytes.begin(), bytes.end());
        WriteLE16(&sets[0], CStringTable::kLanguageSetsFormat);
        if (!PutRecordChunk(container, kTypeStr, kLaterLayoutId, sets))
            return "a chunk could not be put";
    }

    std::string failure = CheckScript(container);
    if (failure.empty())
        failure = CheckStrings(container, kTypeStr, kLoadedId);
    if (failure.empty())
        failure = CheckStrings(container, kTypeTtas, kLoadedId);
    if (failure.empty() && bytes.size() >= 2)
        failure = CheckStrings(container, kTypeStr, kLaterLayoutId);
    if (failure.empty())
        failure = CheckConstants(container);
    for (const std::uint16_t id : {kLoadedId, kFieldLayoutId, kPlainLayoutId, kLaterLayoutId})
        if (failure.empty() && (id == kLoadedId || bytes.size() >= 4))
            failure = CheckInteractions(container, id, bytes.size());
    if (failure.empty())
        failure = CheckSemiGlobalName(bytes);
    if (failure.empty())
        failure = CheckObjects(bytes);
    return failure;
}

namespace
{
// Takes numbers and length-prefixed texts from the front of the input; past its end, zeros.
class CInputCursor
{
public:
    explicit CInputCursor(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::uint8_t Byte() { return m_position < m_bytes.size() ? m_bytes[m_position++] : 0; }
    std::uint16_t Word()
    {
        const std::uint16_t low = Byte();
        return std::uint16_t(low | (Byte() << 8));
    }
    std::string Text()
    {
        const std::size_t length = std::min<std::size_t>(Byte(), m_bytes.size() - m_position);
        std::string text(m_bytes.begin() + std::ptrdiff_t(m_position),
                         m_bytes.begin() + std::ptrdiff_t(m_position + length));
        m_position += length;
        return text;
    }
    std::size_t Remaining() const { return m_bytes.size() - m_position; }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

std::string CheckInstruction(const CPlainTextRenderer& renderer, std::uint16_t opcode, std::uint16_t p0,
                             std::uint16_t p1, std::uint16_t p2, std::uint16_t p3)
{
    const std::string description = renderer.Describe(opcode, p0, p1, p2, p3);
    if (description.empty())
        return "an instruction has no description";
    std::string appended = "|";
    renderer.AppendDescription(appended, opcode, p0, p1, p2, p3);
    if (appended != "|" + description)
        return "appending a description differs from describing";
    const std::string name = renderer.CallTargetName(opcode);
    if (!name.empty() && description.compare(0, name.size(), name) != 0 && opcode >= 57)
        return "a named call is described without its name";
    if (opcode < 57 && renderer.PrimitiveName(opcode).empty())
        return "a primitive has no name";

    const std::string code = FormatCodeInstruction(opcode, p0, p1, p2, p3);
    std::string appendedCode = "|";
    AppendCodeInstruction(appendedCode, opcode, p0, p1, p2, p3);
    if (code.empty() || appendedCode != "|" + code)
        return "the code text of an instruction is empty or differs when appended";

    // The same bytes as an operand reference of any scope and as a target.
    const std::uint8_t scope = std::uint8_t(opcode);
    if (CPlainTextRenderer::DescribeOperand(scope, p0).empty() || FormatCodeOperand(scope, p0).empty())
        return "an operand has no text";
    if (FormatTargetText(std::uint8_t(p1)).empty())
        return "a target has no text";
    return {};
}
}

std::string CheckRenderingBytes(std::span<const std::uint8_t> bytes)
{
    CInputCursor input(bytes);
    const std::string fileName = input.Text();
    const std::string semiGlobalName = input.Text();

    CNeededFiles files;
    const int fileCount = input.Byte() % 6;
    for (int f = 0; f < fileCount; ++f)
    {
        std::string entryName;
        switch (input.Byte() % 4)
        {
        case 0: entryName = "Global.iff"; break;
        case 1: entryName = fileName; break;
        case 2: entryName = semiGlobalName + (semiGlobalName.find('.') == std::string::npos ? ".iff" : ""); break;
        default: entryName = input.Text(); break;
        }
        std::vector<CScriptNameEntry> scripts;
        const int scriptCount = input.Byte() % 16;
        for (int s = 0; s < scriptCount; ++s)
        {
            const std::uint16_t id = input.Word();
            scripts.push_back({id, input.Text()});
        }
        AddIndexedFile(files, entryName, scripts);
    }

    const CPlainTextRenderer renderer(files, fileName, semiGlobalName);
    do
    {
        const std::uint16_t opcode = input.Word();
        const std::uint16_t p0 = input.Word();
        const std::uint16_t p1 = input.Word();
        const std::uint16_t p2 = input.Word();
        const std::uint16_t p3 = input.Word();
        if (std::string failure = CheckInstruction(renderer, opcode, p0, p1, p2, p3); !failure.empty())
            return failure;
    } while (input.Remaining() > 0);
    return {};
}
