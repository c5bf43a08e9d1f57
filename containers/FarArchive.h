#pragma once

#include "ByteStream.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

/// Where the directory of the archive whose first 16 bytes are `header` starts, when they are the
/// header of an archive this program reads and leave room for the directory's count in a file
/// of `length` bytes; nothing otherwise.
std::optional<std::uint64_t> FarDirectoryStart(std::span<const std::uint8_t> header, std::uint64_t length);

/// One member of a FAR archive's directory.
struct CFarEntry
{
    std::uint32_t length1 = 0;  // kept but not used
    std::uint32_t length2 = 0;  // the member's byte count
    std::uint32_t offset = 0;
    std::uint32_t nameLength = 0;
    std::string name;           // path inside the archive, backslashes kept
};

/// A FAR archive read whole into memory. Archives are only read, never written.
class CFarArchive
{
public:
    static constexpr std::size_t kHeaderSize = 16;

    /// Reads the archive. On failure the entries read so far stay listed, but the archive does
    /// not count as open and Extract refuses.
    [[nodiscard]] bool Open(CByteStream* stream);
    /// Reads the header and the directory only, as Open checks them; the members stay in the
    /// stream, to be read from it where they lie (see Holds), and Extract refuses. Loading reads
    /// each member once this way, straight into its container, with no copy of the archive kept.
    [[nodiscard]] bool OpenDirectory(CByteStream* stream);
    /// Whether the entry's `length2` bytes from its `offset` lie inside the archive's file.
    bool Holds(const CFarEntry& entry) const;
    /// Writes the entry's `length2` bytes to `out`; fails when nothing is open or the range
    /// does not lie inside the image.
    [[nodiscard]] bool Extract(CByteStream& out, const CFarEntry& entry) const;

    bool IsOpen() const { return m_open; }
    const std::vector<CFarEntry>& Entries() const { return m_entries; }

private:
    std::uint8_t m_header[kHeaderSize]{};
    std::unique_ptr<std::uint8_t[]> m_image;
    std::uint64_t m_imageLength = 0;
    std::uint64_t m_fileLength = 0;
    std::vector<CFarEntry> m_entries;
    bool m_open = false;
};
