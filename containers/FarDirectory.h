#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

/// One entry of a FAR archive's directory, as it lies in the archive's bytes.
struct CFarDirectoryEntry
{
    std::uint32_t length1 = 0;  // kept but not used
    std::uint32_t length2 = 0;  // the member's byte count
    std::uint32_t offset = 0;
    std::string_view name;      // path inside the archive, backslashes kept; points into the bytes
};

/// The directory of a FAR archive, walked where it lies in the archive's bytes: nothing is copied
/// per entry, so an archive that lists one member under many thousands of names costs no more
/// than its own bytes. The bytes must outlive the directory.
class CFarDirectory
{
public:
    /// Checks the header and walks every entry once, as the archive reader checks them. False,
    /// and empty, for a header that is not an archive's or a directory that runs past the end.
    [[nodiscard]] bool Open(std::span<const std::uint8_t> archive);

    std::size_t Size() const { return m_count; }

    /// The entry at `index` (below Size()): found from the nearest mark, at most a few dozen
    /// entries away.
    CFarDirectoryEntry At(std::size_t index) const;

    /// Walks the entries in order from a given one, each a step from the last.
    class CCursor
    {
    public:
        CCursor() = default;
        std::size_t Index() const { return m_index; }
        /// The entry at the cursor; the cursor must be below Size().
        CFarDirectoryEntry Entry() const;
        void Next();

    private:
        friend class CFarDirectory;
        const std::uint8_t* m_at = nullptr;
        std::size_t m_index = 0;
    };
    CCursor CursorAt(std::size_t index) const;

private:
    static constexpr std::size_t kMarkEvery = 64;

    std::span<const std::uint8_t> m_entries;  // the entries, after the count
    std::size_t m_count = 0;
    // Where every kMarkEvery-th entry starts in m_entries: a few bytes per hundred names.
    std::vector<std::size_t> m_marks;
};
