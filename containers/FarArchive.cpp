#include "FarArchive.h"

#include "ByteReader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <span>
#include <vector>

namespace
{
constexpr char kMagic[] = "FAR!byAZ";
constexpr std::uint32_t kSupportedVersion = 1;
}

std::optional<std::uint64_t> FarDirectoryStart(std::span<const std::uint8_t> header, std::uint64_t length)
{
    if (header.size() < CFarArchive::kHeaderSize)
        return std::nullopt;
    CByteReader reader(header);
    const std::span<const std::uint8_t> magic = reader.Bytes(8);
    const std::uint32_t version = reader.U32LE();
    const std::uint64_t directory = reader.U32LE();
    if (std::memcmp(magic.data(), kMagic, 8) != 0 || version != kSupportedVersion || directory + 4 > length)
        return std::nullopt;
    return directory;
}

bool CFarArchive::OpenDirectory(CByteStream* stream)
{
    m_entries.clear();
    m_image.reset();
    m_imageLength = 0;
    m_fileLength = 0;
    m_open = false;

    if (stream == nullptr || !stream->Seek(0))
        return false;
    const std::uint64_t length = stream->Length();
    if (length < kHeaderSize)
        return false;
    if (stream->Read(m_header, kHeaderSize) != kHeaderSize)
        return false;
    const std::optional<std::uint64_t> start = FarDirectoryStart(m_header, length);
    if (!start)
        return false;
    const std::uint64_t directory = *start;

    // The directory runs from D to the end of the file; it is read in one piece and walked with a
    // bounded reader, so the count is not trusted for anything but the number of steps: an entry
    // that would run past the file's end ends the walk as a failure.
    std::vector<std::uint8_t> directoryBytes;
    try
    {
        directoryBytes.resize(static_cast<std::size_t>(length - directory));
    }
    catch (const std::exception&)
    {
        return false;
    }
    if (!stream->Seek(directory) || stream->Read(directoryBytes.data(), directoryBytes.size()) != directoryBytes.size())
        return false;
    CByteReader reader(directoryBytes);
    const std::uint32_t count = reader.U32LE();
    // Sized once, to no more entries than the directory's bytes can hold (16 bytes each at
    // least), whatever the count claims.
    try
    {
        m_entries.reserve(std::min<std::size_t>(count, directoryBytes.size() / 16));
    }
    catch (const std::exception&)
    {
        return false;
    }
    for (std::uint32_t i = 0; i < count; ++i)
    {
        CFarEntry entry;
        entry.length1 = reader.U32LE();
        entry.length2 = reader.U32LE();
        entry.offset = reader.U32LE();
        entry.nameLength = reader.U32LE();
        const std::span<const std::uint8_t> name = reader.Bytes(entry.nameLength);
        if (reader.OutOfData())
            return false;
        try
        {
            entry.name.assign(name.begin(), name.end());
            m_entries.push_back(std::move(entry));
        }
        catch (const std::bad_alloc&)
        {
            return false;
        }
    }
    m_fileLength = length;
    m_open = true;
    return true;
}

bool CFarArchive::Open(CByteStream* stream)
{
    if (!OpenDirectory(stream))
        return false;
    m_open = false;
    const std::uint64_t length = m_fileLength;
    if (length > std::numeric_limits<std::size_t>::max())
        return false;
    m_image.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(length)]);
    if (!m_image)
        return false;
    m_imageLength = length;
    if (!stream->Seek(0) || stream->Read(m_image.get(), static_cast<std::size_t>(length)) != length)
        return false;
    m_open = true;
    return true;
}

bool CFarArchive::Holds(const CFarEntry& entry) const
{
    return m_open && std::uint64_t(entry.offset) + entry.length2 <= m_fileLength;
}

bool CFarArchive::Extract(CByteStream& out, const CFarEntry& entry) const
{
    if (!m_open || !m_image)
        return false;
    CByteReader image(std::span<const std::uint8_t>(m_image.get(), static_cast<std::size_t>(m_imageLength)));
    image.Skip(entry.offset);
    const std::span<const std::uint8_t> member = image.Bytes(entry.length2);
    return !image.OutOfData() && out.Write(member.data(), member.size());
}
