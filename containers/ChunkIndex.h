#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

/// The directory position of the first chunk of each (type, id): a table of open addressing in
/// one block, so that indexing a file's thousands of chunks costs no allocation per chunk (a node
/// per chunk made the index a sixth of loading the game's global files).
class CChunkIndex
{
public:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    static std::uint64_t Key(std::uint32_t type, std::uint16_t id) { return (std::uint64_t(type) << 16) | id; }

    /// Makes room for `count` keys without growing again.
    void Reserve(std::size_t count);
    void Clear();
    /// Notes `position` for `key` unless the key has one already (an earlier chunk of it).
    void Insert(std::uint64_t key, std::size_t position);
    /// The position noted for `key`, or kNone.
    std::size_t Find(std::uint64_t key) const;
    /// Forgets `key`.
    void Erase(std::uint64_t key);
    /// Moves every noted position past `position` one back, as erasing that entry of the directory
    /// moves the entries after it.
    void CloseGapAt(std::size_t position);

private:
    struct CSlot
    {
        std::uint64_t key = 0;
        std::size_t position = kNone;  // kNone: empty
    };

    std::size_t SlotOf(std::uint64_t key) const;
    void Grow(std::size_t capacity);

    std::vector<CSlot> m_slots;  // a power of two long, at most three quarters full
    std::size_t m_count = 0;
};
