#include "IffFile.h"

#include "ArithmeticDecoder.h"
#include "ByteReader.h"
#include "ByteOrder.h"
#include "UserPrompt.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace
{
constexpr char kMagic[] = "IFF FILE";
constexpr std::size_t kMagicLength = 8;

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
      m_readSucceeded(other.m_readSucceeded),
      m_fileVersion(other.m_fileVersion)
{
    if (!other.m_image.Empty())
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
    m_image.Reset();
    m_readSucceeded = false;
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
    std::size_t length = static_cast<std::size_t>(streamLength);
    // Read once, straight into the image (or mapped, for a large file opened for reading).
    const EImageRead taken = stream->ReadImage(0, length, m_image);
    if (taken != EImageRead::Ok)
    {
        Clear();
        errorCode = taken == EImageRead::NoMemory ? EIffRead::NoMemory : EIffRead::IoError;
        return false;
    }
    const std::uint8_t* image = m_image.Data();

    if (length < kMagicLength || std::memcmp(image, kMagic, kMagicLength) != 0)
    {
        Clear();
        errorCode = EIffRead::NotIff;
        return false;
    }
    auto versionIs = [&](const char* text) { return length >= 12 && std::memcmp(image + 9, text, 3) == 0; };
    const bool coded = versionIs("3.0");
    if (!coded && !versionIs("2.0") && !versionIs("2.5"))
    {
        Clear();
        errorCode = EIffRead::BadVersion;
        return false;
    }
    m_fileVersion = coded ? 30 : versionIs("2.0") ? 20 : 25;

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
        const auto decodedVersionIs = [&](const char* text) { return std::memcmp(decoded.Data() + 9, text, 3) == 0; };
        if (decoded.Size() < 12 || std::memcmp(decoded.Data(), kMagic, kMagicLength) != 0 ||
            (!decodedVersionIs("2.0") && !decodedVersionIs("2.5")))
        {
            Clear();
            errorCode = EIffRead::NotIff;
            return false;
        }
        m_image = std::move(decoded);
        image = m_image.Data();
        length = m_image.Size();
    }

    // A file shorter than its header reads with the missing header bytes as zeros.
    m_header.fill(0);
    std::memcpy(m_header.data(), image, std::min(length, kHeaderSize));

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

    m_readSucceeded = true;
    return true;
}

void CIffFile::WalkChunks(std::span<const std::uint8_t> bytes)
{
    const std::uint64_t end = bytes.size();
    // The size of the chunk whose header starts at `at`, when the whole chunk lies in the image.
    const auto fits = [&](std::uint64_t at) {
        CByteReader header(bytes, std::size_t(at));
        header.Skip(4);
        const std::uint32_t size = header.U32BE();
        return !header.OutOfData() && at + size <= end;
    };
    std::uint64_t p = kHeaderSize;
    while (p < end)
    {
        // A cut-off chunk: take the first later position whose size fits what is left.
        while (p + 75 < end && !fits(p))
            ++p;
        if (p + 75 >= end)
            break;
        CByteReader header(bytes, std::size_t(p));
        CIffChunk chunk;
        chunk.type = header.U32BE();
        const std::uint32_t chunkSize = header.U32BE();
        if (chunkSize < kChunkHeaderSize)
            break;  // no chunk can be this small; what follows cannot be walked
        chunk.offset = static_cast<std::uint32_t>(p + kChunkHeaderSize);
        chunk.size = chunkSize - static_cast<std::uint32_t>(kChunkHeaderSize);
        chunk.id = header.U16BE();
        chunk.flags = header.U16BE();
        const std::span<const std::uint8_t> name = header.Bytes(kNameFieldSize);
        chunk.name.assign(reinterpret_cast<const char*>(name.data()),
                          strnlen(reinterpret_cast<const char*>(name.data()), name.size()));
        m_chunks.push_back(std::move(chunk));
        if (std::find(m_types.begin(), m_types.end(), m_chunks.back().type) == m_types.end())
            m_types.push_back(m_chunks.back().type);
        p += chunkSize;
    }
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
        const std::uint64_t start = std::uint64_t(chunk.offset) - kChunkHeaderSize;
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
    for (const CIffChunk& chunk : m_chunks)
    {
        if (chunk.type == query.type && chunk.id == query.id)
        {
            query = chunk;
            return true;
        }
    }
    return false;
}

bool CIffFile::PutChunk(CIffChunk& entry, CByteStream& data)
{
    // Refused before copying: a stream too long for the image would otherwise be copied whole
    // (gigabytes, zero-filled first) only to be turned down afterwards.
    if (std::uint64_t(m_image.Size()) + kChunkHeaderSize + data.Length() > std::numeric_limits<std::uint32_t>::max())
        return false;
    std::vector<std::uint8_t> bytes;
    try
    {
        bytes.resize(static_cast<std::size_t>(data.Length()));
    }
    catch (const std::exception&)
    {
        return false;
    }
    if (!data.Seek(0) || data.Read(bytes.data(), bytes.size()) != bytes.size())
        return false;
    return PutChunk(entry, std::span<const std::uint8_t>(bytes));
}

bool CIffFile::PutChunk(CIffChunk& entry, std::span<const std::uint8_t> data)
{
    const std::uint64_t end = m_image.Size();
    const std::uint64_t newLength = end + kChunkHeaderSize + data.size();
    if (newLength > std::numeric_limits<std::uint32_t>::max())
        return false;  // offsets and sizes are 32-bit in the file
    CImageBytes image;
    if (!image.Allocate(static_cast<std::size_t>(newLength)))
        return false;
    if (end > 0)
        std::memcpy(image.MutableData(), m_image.Data(), static_cast<std::size_t>(end));

    CIffChunk stored = entry;
    stored.offset = static_cast<std::uint32_t>(end + kChunkHeaderSize);
    stored.size = static_cast<std::uint32_t>(data.size());
    if (stored.name.size() > kMaxStoredNameLength)
        stored.name.resize(kMaxStoredNameLength);

    std::uint8_t* header = image.MutableData() + end;
    WriteChunkHeader(header, stored, data.size());
    if (!data.empty())
        std::memcpy(header + kChunkHeaderSize, data.data(), data.size());

    m_image = std::move(image);
    if (std::find(m_types.begin(), m_types.end(), stored.type) == m_types.end())
        m_types.push_back(stored.type);
    auto existing = std::find_if(m_chunks.begin(), m_chunks.end(), [&](const CIffChunk& chunk) {
        return chunk.type == stored.type && chunk.id == stored.id;
    });
    if (existing != m_chunks.end())
        *existing = stored;
    else
        m_chunks.push_back(stored);
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

void CIffFile::SwapDirectory(std::vector<CIffChunk>& chunks, std::vector<std::uint32_t>& types)
{
    m_chunks.swap(chunks);
    m_types.swap(types);
}

void CIffFile::TruncateImage(std::size_t length)
{
    if (length < m_image.Size() && m_image.MutableData() != nullptr)
        (void)m_image.Reallocate(length);  // a block that cannot shrink only stays larger
}

bool CIffFile::RemoveChunk(const CIffChunk& query)
{
    auto found = std::find_if(m_chunks.begin(), m_chunks.end(), [&](const CIffChunk& chunk) {
        return chunk.type == query.type && chunk.id == query.id;
    });
    if (found == m_chunks.end())
        return false;
    m_chunks.erase(found);
    return true;
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
    if (m_image.Size() < 12)
        return 0;
    return int(m_image.Data()[9]) * 10 + int(m_image.Data()[11]) - 528;
}

std::span<const std::uint8_t> CIffFile::ChunkData(const CIffChunk& chunk) const
{
    if (m_image.Empty() || std::uint64_t(chunk.offset) + chunk.size > m_image.Size())
        return {};
    return {m_image.Data() + chunk.offset, chunk.size};
}
