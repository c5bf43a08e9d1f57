#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

/// The bytes of a container's image, owned one of three ways: a block from the heap, a private
/// read-only mapping of part of a file, or a read-only view of part of another image that it
/// keeps alive (a member of an archive read once). Move-only; releases what it owns.
class CImageBytes
{
public:
    CImageBytes() = default;
    ~CImageBytes() { Reset(); }
    CImageBytes(CImageBytes&& other) noexcept;
    CImageBytes& operator=(CImageBytes&& other) noexcept;
    CImageBytes(const CImageBytes&) = delete;
    CImageBytes& operator=(const CImageBytes&) = delete;

    /// Replaces the bytes by a heap block of `size` bytes that are not filled: the caller writes
    /// or reads into every one of them. False, and empty, without memory.
    bool Allocate(std::size_t size);
    /// Grows or shrinks a heap block to exactly `size`, keeping its first bytes; false, unchanged,
    /// without memory.
    bool Reallocate(std::size_t size);
    /// Makes the bytes `size` long, keeping the first ones, for a caller that appends: a heap
    /// block grows by half again at a time, so that appending n bytes in steps costs O(n) copying;
    /// a mapping is copied into a heap block once. False, unchanged, without memory.
    bool Extend(std::size_t size);
    /// Gives up the bytes past `size` (kept for a later Extend).
    void Truncate(std::size_t size) { m_size = size < m_size ? size : m_size; }
    /// Replaces the bytes by a private read-only mapping of `size` bytes of the open file `fd`
    /// from `offset`. False, and empty, when the system cannot map them.
    bool Map(int fd, std::uint64_t offset, std::size_t size);
    /// Replaces the bytes by a read-only view of `size` bytes of `owner` from `offset`; the owner
    /// stays alive as long as the view. False, and empty, when the range is not inside the owner.
    bool View(std::shared_ptr<const CImageBytes> owner, std::size_t offset, std::size_t size);
    /// Makes this a view of the same bytes as the view `other`; false, unchanged, when `other`
    /// is no view.
    bool ShareView(const CImageBytes& other);
    /// Turns a heap block or a mapping into a view of itself, so that copies made with ShareView
    /// hold the bytes once. False, unchanged, without memory.
    bool MakeShareable();
    void Reset();

    const std::uint8_t* Data() const { return m_data; }
    /// Writable bytes of a heap block; null for a mapping or a view.
    std::uint8_t* MutableData() { return m_mapBase == nullptr && !m_owner ? m_data : nullptr; }
    std::size_t Size() const { return m_size; }
    bool Empty() const { return m_data == nullptr; }

private:
    std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;  // of a heap block
    void* m_mapBase = nullptr;
    std::size_t m_mapLength = 0;
    std::shared_ptr<const CImageBytes> m_owner;  // of a view
};
