#include "FarDirectory.h"

#include "ByteOrder.h"
#include "ByteReader.h"
#include "FarArchive.h"

#include <algorithm>
#include <exception>

namespace
{
constexpr std::size_t kEntryHeaderSize = 16;

CFarDirectoryEntry EntryAt(const std::uint8_t* at)
{
    CFarDirectoryEntry entry;
    entry.length1 = ReadLE32(at);
    entry.length2 = ReadLE32(at + 4);
    entry.offset = ReadLE32(at + 8);
    entry.name = std::string_view(reinterpret_cast<const char*>(at + kEntryHeaderSize), ReadLE32(at + 12));
    return entry;
}

std::size_t EntrySize(const std::uint8_t* at)
{
    return kEntryHeaderSize + ReadLE32(at + 12);
}
}

bool CFarDirectory::Open(std::span<const std::uint8_t> archive)
{
    m_entries = {};
    m_count = 0;
    m_marks.clear();

    const std::optional<std::uint64_t> start = FarDirectoryStart(archive, archive.size());
    if (!start)
        return false;
    const std::uint64_t directory = *start;

    // The count is trusted for the number of steps only: an entry that would run past the end of
    // the bytes ends the walk as a failure, so every entry the walk accepts may later be read
    // without a check.
    CByteReader reader(archive.subspan(static_cast<std::size_t>(directory)));
    const std::uint32_t count = reader.U32LE();
    const std::size_t first = reader.Position();
    std::vector<std::size_t> marks;
    try
    {
        marks.reserve(std::min<std::size_t>(count, reader.Remaining() / kEntryHeaderSize) / kMarkEvery + 1);
        for (std::uint32_t i = 0; i < count; ++i)
        {
            if (i % kMarkEvery == 0)
                marks.push_back(reader.Position() - first);
            reader.Skip(12);
            reader.Skip(reader.U32LE());
            if (reader.OutOfData())
                return false;
        }
    }
    catch (const std::exception&)
    {
        return false;
    }
    m_entries = archive.subspan(static_cast<std::size_t>(directory) + first, reader.Position() - first);
    m_count = count;
    m_marks = std::move(marks);
    return true;
}

CFarDirectoryEntry CFarDirectory::At(std::size_t index) const
{
    return CursorAt(index).Entry();
}

CFarDirectory::CCursor CFarDirectory::CursorAt(std::size_t index) const
{
    CCursor cursor;
    if (index >= m_count)
    {
        cursor.m_at = m_entries.data() + m_entries.size();
        cursor.m_index = m_count;
        return cursor;
    }
    cursor.m_at = m_entries.data() + m_marks[index / kMarkEvery];
    cursor.m_index = index - index % kMarkEvery;
    while (cursor.m_index < index)
        cursor.Next();
    return cursor;
}

CFarDirectoryEntry CFarDirectory::CCursor::Entry() const
{
    return EntryAt(m_at);
}

void CFarDirectory::CCursor::Next()
{
    m_at += EntrySize(m_at);
    ++m_index;
}
