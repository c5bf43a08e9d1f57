#include "IffFile.h"

#include "ArithmeticDecoder.h"
#include "ByteReader.h"
#include "ByteOrder.h"
#include "UserPrompt.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>
#include <utility>
#include <limits>
#include <new>

namespace
{
constexpr std::string_view kMagic = "IFF FILE";

// The version of an image's header: 20, 25 or 30 for the texts "2.0", "2.5" and "3.0" after
// "IFF FILE" and a blank; 0 for any other text, or an image too short to hold it.
int HeaderVersion(std::span<const std::uint8_t> image)
{
    CByteReader header(image);
    const std::span<const std::uint8_t> magic = header.Bytes(kMagic.size());
    header.Skip(1);
    const std::span<const std::uint8_t> text = header.Bytes(3);
    if (header.OutOfData() || !std::equal(magic.begin(), magic.end(), kMagic.begin()))
        return 0;
    for (const auto& [digits, version] : {std::pair{"3.0", 30}, std::pair{"2.0", 20}, std::pair{"2.5", 25}})
        if (std::equal(text.begin(), text.end(), digits))
            return version;
    return 0;
}

bool HasMagic(std::span<const std::uint8_t> image)
{
    const std::span<const std::uint8_t> magic = CByteReader(image).Bytes(kMagic.size());
    return magic.size() == kMagic.size() && std::equal(magic.begin(), magic.end(), kMagic.begin());
}

// The header this program writes: the 34 characters of the type line and a NUL, then the 28
// characters of the signature and a NUL; the version digit is patched in.
std::array<std::uint8_t, CIffFile::kHeaderSize> HeaderTemplate(char minorDigit)
{
    std::array<std::uint8_t, CIffFile::kHeaderSize> header{};
    const char line[] = "IFF FILE 2.5:TYPE FOLLOWED BY SIZE";
    const char signature[] = " QUORBLENTHAXIS & MAXIS 1996";
    std::memcpy(header.data(), line, 34);
    std::memcpy(header.data() + 35, signature, 28);
    header[11] = static_cast<std::uint8_t>(minorDigit);
    return header;
}

bool WriteBytes(CByteStream& stream, const void* bytes, std::size_t count)
{
    return stream.Write(bytes, count);
}

// The 76-byte header of a chunk of `dataSize` bytes: type, size with the header, id, flags and the
// NUL-padded name.
void WriteChunkHeader(std::uint8_t* header, const CIffChunk& chunk, std::size_t dataSize)
{
    std::memset(header, 0, CIffFile::kChunkHeaderSize);
    WriteBE32(header, chunk.type);
    WriteBE32(header + 4, static_cast<std::uint32_t>(dataSize + CIffFile::kChunkHeaderSize));
    WriteBE16(header + 8, chunk.id);
    WriteBE16(header + 10, chunk.flags);
    std::memcpy(header + 12, chunk.name.data(), std::min(chunk.name.size(), CIffFile::kMaxStoredNameLength));
}

bool WriteLE32At(CByteStream& stream, std::uint64_t position, std::uint32_t value)
{
    std::uint8_t bytes[4];
    WriteLE32(bytes, value);
    return stream.Seek(position) && stream.Write(bytes, 4);
}
}

CIffFile::CIffFile()
{
    m_header = HeaderTemplate('5');
    if (m_image.Allocate(kHeaderSize))
        std::memcpy(m_image.MutableData(), m_header.data(), kHeaderSize);
}

CIffFile::CIffFile(const CIffFile& other)
    : m_header(other.m_header),
      m_chunks(other.m_chunks),
      m_types(other.m_types),
      m_index(other.m_index),
      m_liveBytes(other.m_liveBytes),
      m_readSucceeded(other.m_readSucceeded),
      m_unreadBytes(other.m_unreadBytes),
      m_fileVersion(other.m_fileVersion)
{
    // A view is shared, not copied: it is never written, and a change copies it first.
    if (!other.m_image.Empty() && !m_image.ShareView(other.m_image))
    {
        if (m_image.Allocate(other.m_image.Size()))
        {
            if (other.m_image.Size() > 0)
                std::memcpy(m_image.MutableData(), other.m_image.Data(), other.m_image.Size());
        }
        else
        {
            // Without its image a copy must not point into bytes it does not have.
            m_chunks.clear();
            m_types.clear();
            m_index.Clear();
            m_liveBytes = kHeaderSize;
            m_readSucceeded = false;
        }
    }
}

CIffFile& CIffFile::operator=(const CIffFile& other)
{
    if (this != &other)
    {
        CIffFile copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void CIffFile::Clear()
{
    m_chunks.clear();
    m_types.clear();
    m_index.Clear();
    m_liveBytes = kHeaderSize;
    m_image.Reset();
    m_readSucceeded = false;
    m_unreadBytes = 0;
}

bool CIffFile::Read(CByteStream* stream, EIffRead& errorCode, CUserPrompt* prompt)
{
    Clear();
    m_fileVersion = 0;
    if (stream == nullptr)
    {
        errorCode = EIffRead::IoError;
        return false;
    }

    const std::uint64_t streamLength = stream->Length();
    if (streamLength > std::numeric_limits<std::size_t>::max() / 2)
    {
        errorCode = EIffRead::NoMemory;
        return false;
    }
    // Read once, straight into the image (or mapped, for a large file opened for reading).
    const EImageRead taken = stream->ReadImage(0, static_cast<std::size_t>(streamLength), m_image);
    if (taken != EImageRead::Ok)
    {
        Clear();
        errorCode = taken == EImageRead::NoMemory ? EIffRead::NoMemory : EIffRead::IoError;
        return false;
    }
    return TakeImage(errorCode, prompt);
}

bool CIffFile::ReadView(std::shared_ptr<const CImageBytes> bytes, std::size_t offset, std::size_t length,
                        EIffRead& errorCode, CUserPrompt* prompt)
{
    Clear();
    m_fileVersion = 0;
    if (!m_image.View(std::move(bytes), offset, length))
    {
        Clear();
        errorCode = EIffRead::IoError;
        return false;
    }
    return TakeImage(errorCode, prompt);
}

bool CIffFile::TakeImage(EIffRead& errorCode, CUserPrompt* prompt)
{
    const std::uint8_t* image = m_image.Data();
    std::size_t length = m_image.Size();

    // Shorter than a header, a file holds no container, whatever its first bytes say.
    if (length < kHeaderSize || !HasMagic({image, length}))
    {
        Clear();
        errorCode = EIffRead::NotIff;
        return false;
    }
    m_fileVersion = HeaderVersion({image, length});
    if (m_fileVersion == 0)
    {
        Clear();
        errorCode = EIffRead::BadVersion;
        return false;
    }
    const bool coded = m_fileVersion == 30;

    if (coded)
    {
        // The body after the 64-byte header is a whole 2.x file, coded. It is decoded from the
        // bytes already read, and the decoded block becomes the image as it is, by move.
        CImageBytes decoded;
        CArithmeticDecoder decoder;
        const std::size_t bodyStart = std::min(length, kHeaderSize);
        // The output starts with room for twice the whole coded file, header included.
        const auto result = decoder.Decode(std::span<const std::uint8_t>(image + bodyStart, length - bodyStart),
                                           decoded, 2 * std::uint64_t(length), prompt);
        if (result != CArithmeticDecoder::EResult::Ok)
        {
            // A partly decoded file is never opened: saving it would destroy the rest of it.
            Clear();
            errorCode = result == CArithmeticDecoder::EResult::MemoryFailure ? EIffRead::NoMemory : EIffRead::DecodeFailed;
            return false;
        }
        // Saving writes the image back as a 2.x container: an image that is not one would be
        // written over the file as if it were.
        const int decodedVersion = HeaderVersion({decoded.Data(), decoded.Size()});
        if (decodedVersion != 20 && decodedVersion != 25)
        {
            Clear();
            errorCode = EIffRead::NotIff;
            return false;
        }
        m_image = std::move(decoded);
        image = m_image.Data();
        length = m_image.Size();
        if (length < kHeaderSize)
        {
            Clear();
            errorCode = EIffRead::NotIff;
            return false;
        }
    }

    std::memcpy(m_header.data(), image, kHeaderSize);

    // The directory takes memory as it grows; running out is "no memory", like the image itself.
    try
    {
        WalkChunks(std::span<const std::uint8_t>(image, length));
    }
    catch (const std::bad_alloc&)
    {
        Clear();
        errorCode = EIffRead::NoMemory;
        return false;
    }

    m_liveBytes = kHeaderSize;
    for (const CIffChunk& chunk : m_chunks)
        m_liveBytes += kChunkHeaderSize + chunk.size;
    m_unreadBytes = length - m_liveBytes;
    m_readSucceeded = true;
    return true;
}

void CIffFile::WalkChunks(std::span<const std::uint8_t> bytes)
{
    // The chunk header at `at`, when there is room for a whole one there.
    const auto headerAt = [&](std::uint64_t at) {
        CByteReader header(bytes, std::size_t(at));
        return header.Has(kChunkHeaderSize) ? header.Bytes(kChunkHeaderSize) : std::span<const std::uint8_t>();
    };
    // True when the chunk whose header is `header` lies wholly in the image.
    const auto fits = [&](std::uint64_t at, std::span<const std::uint8_t> header) {
        CByteReader sizeField(header);
        sizeField.Skip(4);
        return at + sizeField.U32BE() <= bytes.size();
    };
    // Calls `visit(position, header)` for each chunk in turn.
    const auto walk = [&](const auto& visit) {
        std::uint64_t p = kHeaderSize;
        while (p < bytes.size())
        {
            // A cut-off chunk: take the first later position whose size fits what is left.
            std::span<const std::uint8_t> headerBytes = headerAt(p);
            while (!headerBytes.empty() && !fits(p, headerBytes))
                headerBytes = headerAt(++p);
            if (headerBytes.empty())
                break;  // no room for a further chunk header
            CByteReader sizeField(headerBytes);
            sizeField.Skip(4);
            const std::uint32_t chunkSize = sizeField.U32BE();
            if (chunkSize < kChunkHeaderSize)
                break;  // no chunk can be this small; what follows cannot be walked
            visit(p, headerBytes);
            p += chunkSize;
        }
    };
    // The chunks' places are found first, so that the directory is allocated once at its size:
    // growing it chunk by chunk moved every entry several times. The walk must wait for each
    // header to learn where the next one is; the second pass knows every place, and asks for the
    // headers a few chunks ahead of the one it reads, so that it does not wait on each in turn.
    std::vector<std::uint64_t> places;
    walk([&](std::uint64_t p, std::span<const std::uint8_t>) { places.push_back(p); });
    m_chunks.reserve(m_chunks.size() + places.size());
    constexpr std::size_t kAhead = 8;
    for (std::size_t i = 0; i < places.size(); ++i)
    {
#if defined(__GNUC__) || defined(__clang__)
        if (i + kAhead < places.size())
        {
            __builtin_prefetch(bytes.data() + places[i + kAhead]);
            __builtin_prefetch(bytes.data() + places[i + kAhead] + kChunkHeaderSize - 1);
        }
#endif
        const std::uint64_t p = places[i];
        CByteReader header(bytes.subspan(std::size_t(p), kChunkHeaderSize));
        CIffChunk chunk;
        chunk.type = header.U32BE();
        const std::uint32_t chunkSize = header.U32BE();
        chunk.offset = p + kChunkHeaderSize;
        chunk.size = chunkSize - static_cast<std::uint32_t>(kChunkHeaderSize);
        chunk.id = header.U16BE();
        chunk.flags = header.U16BE();
        const std::span<const std::uint8_t> name = header.Bytes(kNameFieldSize);
        chunk.name.assign(name.begin(), std::find(name.begin(), name.end(), std::uint8_t(0)));
        m_chunks.push_back(std::move(chunk));
        if (std::find(m_types.begin(), m_types.end(), m_chunks.back().type) == m_types.end())
            m_types.push_back(m_chunks.back().type);
    }
    // Indexed once the count is known, in a table of the right size from the start.
    m_index.Reserve(m_chunks.size());
    for (std::size_t i = 0; i < m_chunks.size(); ++i)
        IndexEntry(i);
}

void CIffFile::IndexEntry(std::size_t position)
{
    m_index.Insert(CChunkIndex::Key(m_chunks[position].type, m_chunks[position].id), position);
}

bool CIffFile::Write(CByteStream* stream, CUserPrompt* prompt)
{
    if (stream == nullptr || !stream->Truncate(0) || !stream->Seek(0))
        return false;

    const int version = Version();
    bool withMap = version != 20;
    if (version == 20)
    {
        const bool convert =
            prompt != nullptr && prompt->AskYesNo("Do you want to convert this 2.0 file to 2.5?", std::string());
        // A converted file gets its resource map too: a 2.5 file without one is incomplete.
        withMap = convert;
        m_header = HeaderTemplate(convert ? '5' : '0');
    }
    else
    {
        m_header = HeaderTemplate('5');
    }
    if (!WriteBytes(*stream, m_header.data(), kHeaderSize))
        return false;

    std::vector<std::uint32_t> positions(m_chunks.size(), 0);
    for (std::size_t i = 0; i < m_chunks.size(); ++i)
    {
        const CIffChunk& chunk = m_chunks[i];
        if (chunk.type == kTypeRsmp)
            continue;
        const std::uint64_t start = chunk.offset - kChunkHeaderSize;
        const std::uint64_t count = std::uint64_t(chunk.size) + kChunkHeaderSize;
        if (chunk.offset < kChunkHeaderSize || start + count > m_image.Size())
            return false;
        const std::uint64_t position = stream->Position();
        if (position > std::numeric_limits<std::uint32_t>::max())
            return false;
        positions[i] = static_cast<std::uint32_t>(position);
        if (!WriteBytes(*stream, m_image.Data() + start, static_cast<std::size_t>(count)))
            return false;
    }

    if (withMap && !WriteResourceMap(*stream, positions))
        return false;
    return true;
}

bool CIffFile::WriteResourceMap(CByteStream& stream, const std::vector<std::uint32_t>& positions)
{
    const std::uint64_t mapStart = stream.Position();
    if (mapStart > std::numeric_limits<std::uint32_t>::max())
        return false;
    std::uint8_t offsetBytes[4];
    WriteBE32(offsetBytes, static_cast<std::uint32_t>(mapStart));
    if (!stream.Seek(60) || !stream.Write(offsetBytes, 4) || !stream.Seek(mapStart))
        return false;
    std::copy(offsetBytes, offsetBytes + 4, m_header.begin() + 60);

    // Chunk header (type, size placeholder, id 0, flags 0x0010), the 64-byte name field and the
    // map's reserved and version words, then "pmsr", a size placeholder and the group count.
    std::vector<std::uint8_t> prefix(kChunkHeaderSize + 20, 0);
    WriteBE32(prefix.data(), kTypeRsmp);
    prefix[11] = 0x10;
    std::memcpy(prefix.data() + 84, "pmsr", 4);
    if (!stream.Write(prefix.data(), prefix.size()))
        return false;

    std::uint32_t groups = 0;
    std::vector<std::uint8_t> entry;
    for (const std::uint32_t type : m_types)
    {
        if (type == kTypeRsmp)
            continue;
        std::uint32_t count = 0;
        for (const CIffChunk& chunk : m_chunks)
            count += chunk.type == type ? 1 : 0;
        if (count == 0)
            continue;
        ++groups;
        std::uint8_t groupHeader[8];
        WriteLE32(groupHeader, type);
        WriteLE32(groupHeader + 4, count);
        if (!stream.Write(groupHeader, 8))
            return false;
        for (std::size_t i = 0; i < m_chunks.size(); ++i)
        {
            const CIffChunk& chunk = m_chunks[i];
            if (chunk.type != type)
                continue;
            entry.assign(8, 0);
            WriteLE32(entry.data(), positions[i]);
            WriteLE16(entry.data() + 4, chunk.id);
            WriteLE16(entry.data() + 6, chunk.flags);
            entry.insert(entry.end(), chunk.name.begin(), chunk.name.end());
            entry.push_back(0);
            if ((stream.Position() + entry.size() - mapStart) % 2 != 0)
                entry.push_back(0xA3);
            if (!stream.Write(entry.data(), entry.size()))
                return false;
        }
    }

    const std::uint64_t mapEnd = stream.Position();
    const std::uint64_t mapSize = mapEnd - mapStart;
    if (mapSize > std::numeric_limits<std::uint32_t>::max())
        return false;
    std::uint8_t sizeBytes[4];
    WriteBE32(sizeBytes, static_cast<std::uint32_t>(mapSize));
    return WriteLE32At(stream, mapStart + 88, static_cast<std::uint32_t>(mapSize)) && stream.Seek(mapStart + 4) &&
           stream.Write(sizeBytes, 4) && WriteLE32At(stream, mapStart + 92, groups) && stream.Seek(mapEnd);
}

bool CIffFile::FindChunk(CIffChunk& query) const
{
    const std::size_t found = m_index.Find(CChunkIndex::Key(query.type, query.id));
    if (found == CChunkIndex::kNone)
        return false;
    query = m_chunks[found];
    return true;
}

bool CIffFile::PutChunk(CIffChunk& entry, CByteStream& data)
{
    const std::uint64_t length = data.Length();
    // Refused before anything is read: a stream too long for the image would otherwise be
    // read whole only to be turned down.
    if (length > std::numeric_limits<std::uint32_t>::max() - kChunkHeaderSize)
        return false;
    return Append(entry, static_cast<std::size_t>(length), [&](std::uint8_t* at) {
        return data.Seek(0) && data.Read(at, static_cast<std::size_t>(length)) == length;
    });
}

bool CIffFile::PutChunk(CIffChunk& entry, std::span<const std::uint8_t> data)
{
    // Data taken from this very image (a chunk copied to another id) would move as the image grows.
    const std::uint8_t* image = m_image.Data();
    if (image != nullptr && !data.empty() && data.data() >= image && data.data() < image + m_image.Size())
    {
        const std::vector<std::uint8_t> copy(data.begin(), data.end());
        return PutChunk(entry, std::span<const std::uint8_t>(copy));
    }
    return Append(entry, data.size(), [&](std::uint8_t* at) {
        if (!data.empty())
            std::memcpy(at, data.data(), data.size());
        return true;
    });
}

bool CIffFile::Append(CIffChunk& entry, std::size_t size, const std::function<bool(std::uint8_t*)>& fill)
{
    // Positions and sizes are 32-bit in the written file, which holds only the live chunks.
    if (m_liveBytes + kChunkHeaderSize + size > std::numeric_limits<std::uint32_t>::max())
        return false;

    const std::size_t end = m_image.Size();
    if (!m_image.Extend(end + kChunkHeaderSize + size))
        return false;
    if (!fill(m_image.MutableData() + end + kChunkHeaderSize))
    {
        // Nothing points at the bytes past `end`; the image takes its old length back.
        m_image.Truncate(end);
        return false;
    }

    CIffChunk stored = entry;
    stored.offset = end + kChunkHeaderSize;
    stored.size = static_cast<std::uint32_t>(size);
    if (stored.name.size() > kMaxStoredNameLength)
        stored.name.resize(kMaxStoredNameLength);

    WriteChunkHeader(m_image.MutableData() + end, stored, size);

    if (std::find(m_types.begin(), m_types.end(), stored.type) == m_types.end())
        m_types.push_back(stored.type);
    m_liveBytes += kChunkHeaderSize + size;
    const std::size_t existing = m_index.Find(CChunkIndex::Key(stored.type, stored.id));
    if (existing != CChunkIndex::kNone)
    {
        m_liveBytes -= kChunkHeaderSize + m_chunks[existing].size;
        m_chunks[existing] = stored;
    }
    else
    {
        m_chunks.push_back(stored);
        IndexEntry(m_chunks.size() - 1);
    }
    entry = stored;
    return true;
}

bool CIffFile::RewriteChunk(const CIffChunk& slot, const CIffChunk& entry, std::span<const std::uint8_t> data)
{
    std::uint8_t* image = m_image.MutableData();
    if (image == nullptr || slot.size != data.size() || slot.offset < kChunkHeaderSize ||
        std::uint64_t(slot.offset) + slot.size > m_image.Size())
        return false;
    // The data may lie in the image itself, elsewhere: moved, never copied over its own source.
    if (!data.empty())
        std::memmove(image + slot.offset, data.data(), data.size());
    WriteChunkHeader(image + slot.offset - kChunkHeaderSize, entry, data.size());
    return true;
}

void CIffFile::TruncateImage(std::size_t length)
{
    if (length < m_image.Size() && m_image.MutableData() != nullptr)
        (void)m_image.Reallocate(length);  // a block that cannot shrink only stays larger
}

bool CIffFile::RemoveChunk(const CIffChunk& query)
{
    const std::uint64_t key = CChunkIndex::Key(query.type, query.id);
    const std::size_t found = m_index.Find(key);
    if (found == CChunkIndex::kNone)
        return false;
    m_liveBytes -= kChunkHeaderSize + m_chunks[found].size;
    m_chunks.erase(m_chunks.begin() + std::ptrdiff_t(found));
    // The index is mended rather than built again, so that removing many records one by one does
    // not hash the whole directory each time: a later entry of the same type and id, if any, now
    // answers for it, and every later position moves one back.
    m_index.Erase(key);
    m_index.CloseGapAt(found);
    for (std::size_t i = found; i < m_chunks.size(); ++i)
        if (m_chunks[i].type == query.type && m_chunks[i].id == query.id)
        {
            IndexEntry(i);
            break;
        }
    return true;
}

void CIffFile::SetDirectory(std::vector<CIffChunk> chunks, std::vector<std::uint32_t> types)
{
    CChunkIndex index;
    index.Reserve(chunks.size());
    std::uint64_t live = std::min<std::uint64_t>(m_image.Size(), kHeaderSize);
    for (std::size_t i = 0; i < chunks.size(); ++i)
    {
        index.Insert(CChunkIndex::Key(chunks[i].type, chunks[i].id), i);
        live += kChunkHeaderSize + chunks[i].size;
    }
    m_chunks = std::move(chunks);
    m_types = std::move(types);
    m_index = std::move(index);
    m_liveBytes = live;
}

bool CIffFile::Compact()
{
    // An open transaction's noted directory points into the image as it stands.
    if (m_openTransactions > 0)
        return false;
    CImageBytes compacted;
    if (!compacted.Allocate(static_cast<std::size_t>(m_liveBytes)))
        return false;
    const std::size_t headerBytes = std::min<std::size_t>(m_image.Size(), kHeaderSize);
    std::memcpy(compacted.MutableData(), m_image.Data(), headerBytes);
    std::uint64_t at = headerBytes;
    std::vector<std::uint64_t> offsets;
    offsets.reserve(m_chunks.size());
    for (const CIffChunk& chunk : m_chunks)
    {
        const std::size_t count = kChunkHeaderSize + chunk.size;
        std::memcpy(compacted.MutableData() + at, m_image.Data() + (chunk.offset - kChunkHeaderSize), count);
        offsets.push_back(at + kChunkHeaderSize);
        at += count;
    }
    for (std::size_t i = 0; i < m_chunks.size(); ++i)
        m_chunks[i].offset = offsets[i];
    m_image = std::move(compacted);
    m_liveBytes = at;
    return true;
}

bool CIffFile::CompactIfWasteful()
{
    return DeadBytes() <= LiveBytes() || Compact();
}

std::size_t CIffFile::FindFirstOfType(std::uint32_t type) const
{
    for (std::size_t i = 0; i < m_chunks.size(); ++i)
        if (m_chunks[i].type == type)
            return i;
    return kNoPosition;
}

CIffChunk CIffFile::NextOfType(std::size_t& position) const
{
    if (position >= m_chunks.size())
    {
        position = kNoPosition;
        return CIffChunk{};
    }
    CIffChunk chunk = m_chunks[position];
    std::size_t next = position + 1;
    while (next < m_chunks.size() && m_chunks[next].type != chunk.type)
        ++next;
    position = next < m_chunks.size() ? next : kNoPosition;
    return chunk;
}

int CIffFile::Version() const
{
    // The digits at offsets 9 and 11, whatever the text around them: the image begins with a
    // header that a read checked, or that this program wrote.
    CByteReader header({m_image.Data(), m_image.Size()});
    header.Skip(9);
    const int major = header.U8() - '0';
    header.Skip(1);
    const int minor = header.U8() - '0';
    return header.OutOfData() ? 0 : major * 10 + minor;
}

std::span<const std::uint8_t> CIffFile::ChunkData(const CIffChunk& chunk) const
{
    CByteReader image({m_image.Data(), m_image.Size()});
    image.Skip(chunk.offset);
    return image.Bytes(chunk.size);
}
