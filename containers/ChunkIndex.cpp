#include "ChunkIndex.h"

namespace
{
constexpr std::size_t kSmallest = 16;
}

std::size_t CChunkIndex::SlotOf(std::uint64_t key) const
{
    // Fibonacci hashing: types differ in their high bytes and ids in their low ones, and the
    // multiply spreads both over the bits kept.
    const std::uint64_t mixed = key * 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(mixed >> 32) & (m_slots.size() - 1);
}

void CChunkIndex::Grow(std::size_t capacity)
{
    std::vector<CSlot> old;
    old.swap(m_slots);
    m_slots.resize(capacity);
    for (const CSlot& slot : old)
        if (slot.position != kNone)
        {
            std::size_t at = SlotOf(slot.key);
            while (m_slots[at].position != kNone)
                at = (at + 1) & (m_slots.size() - 1);
            m_slots[at] = slot;
        }
}

void CChunkIndex::Reserve(std::size_t count)
{
    std::size_t capacity = kSmallest;
    while (3 * capacity < 4 * count)
        capacity *= 2;
    if (capacity > m_slots.size())
        Grow(capacity);
}

void CChunkIndex::Clear()
{
    m_slots.clear();
    m_count = 0;
}

void CChunkIndex::Insert(std::uint64_t key, std::size_t position)
{
    if (4 * (m_count + 1) > 3 * m_slots.size())
        Grow(m_slots.empty() ? kSmallest : 2 * m_slots.size());
    std::size_t at = SlotOf(key);
    while (m_slots[at].position != kNone)
    {
        if (m_slots[at].key == key)
            return;
        at = (at + 1) & (m_slots.size() - 1);
    }
    m_slots[at] = {key, position};
    ++m_count;
}

std::size_t CChunkIndex::Find(std::uint64_t key) const
{
    if (m_slots.empty())
        return kNone;
    for (std::size_t at = SlotOf(key); m_slots[at].position != kNone; at = (at + 1) & (m_slots.size() - 1))
        if (m_slots[at].key == key)
            return m_slots[at].position;
    return kNone;
}

void CChunkIndex::Erase(std::uint64_t key)
{
    if (m_slots.empty())
        return;
    const std::size_t mask = m_slots.size() - 1;
    std::size_t hole = SlotOf(key);
    while (m_slots[hole].position != kNone && m_slots[hole].key != key)
        hole = (hole + 1) & mask;
    if (m_slots[hole].position == kNone)
        return;
    // Later keys of the same run move into the hole when their home lies at or before it, so that
    // every key stays reachable from its home without a gap (no tombstones to clean up).
    for (std::size_t next = (hole + 1) & mask; m_slots[next].position != kNone; next = (next + 1) & mask)
    {
        const std::size_t home = SlotOf(m_slots[next].key);
        const bool reachesHole = ((next - home) & mask) >= ((next - hole) & mask);
        if (reachesHole)
        {
            m_slots[hole] = m_slots[next];
            hole = next;
        }
    }
    m_slots[hole] = CSlot{};
    --m_count;
}

void CChunkIndex::CloseGapAt(std::size_t position)
{
    for (CSlot& slot : m_slots)
        if (slot.position != kNone && slot.position > position)
            --slot.position;
}
