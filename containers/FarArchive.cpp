#include "FarArchive.h"

#include "ByteReader.h"

#include <cstring>
#include <limits>
#include <new>

namespace
{
constexpr char kMagic[] = "FAR!byAZ";
constexpr std::uint32_t kSupportedVersion = 1;
constexpr std::uint64_t kEntryFixedSize = 16;
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
    CByteReader header(std::span<const std::uint8_t>(m_header, kHeaderSize));
    const std::span<const std::uint8_t> magic = header.Bytes(8);
    const std::uint32_t version = header.U32LE();
    const std::uint64_t directory = header.U32LE();
    if (std::memcmp(magic.data(), kMagic, 8) != 0 || version != kSupportedVersion || directory + 4 > length)
        return false;

    // The count is not trusted for anything but the number of steps: every entry must fit in
    // the file before it is taken, so a damaged count ends the walk at the file's end.
    std::uint8_t field[kEntryFixedSize];
    if (!stream->Seek(directory) || stream->Read(field, 4) != 4)
        return false;
    const std::uint32_t count = CByteReader(std::span<const std::uint8_t>(field, 4)).U32LE();
    std::uint64_t position = directory + 4;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        if (position + kEntryFixedSize > length || stream->Read(field, kEntryFixedSize) != kEntryFixedSize)
            return false;
        CByteReader fields(field);
        CFarEntry entry;
        entry.length1 = fields.U32LE();
        entry.length2 = fields.U32LE();
        entry.offset = fields.U32LE();
        entry.nameLength = fields.U32LE();
        const std::uint64_t nameStart = position + kEntryFixedSize;
        if (nameStart + entry.nameLength > length)
            return false;
        try
        {
            entry.name.resize(entry.nameLength);
            if (stream->Read(entry.name.data(), entry.nameLength) != entry.nameLength)
                return false;
            m_entries.push_back(std::move(entry));
        }
        catch (const std::bad_alloc&)
        {
            return false;
        }
        position = nameStart + m_entries.back().nameLength;
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
    const std::uint64_t start = entry.offset;
    const std::uint64_t end = start + entry.length2;
    if (end > m_imageLength)
        return false;
    return out.Write(m_image.get() + start, entry.length2);
}
