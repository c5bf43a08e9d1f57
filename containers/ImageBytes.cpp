#include "ImageBytes.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#ifndef _WIN32
#include <sys/mman.h>
#include <unistd.h>
#endif

CImageBytes::CImageBytes(CImageBytes&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)),
      m_size(std::exchange(other.m_size, 0)),
      m_capacity(std::exchange(other.m_capacity, 0)),
      m_mapBase(std::exchange(other.m_mapBase, nullptr)),
      m_mapLength(std::exchange(other.m_mapLength, 0)),
      m_owner(std::move(other.m_owner))
{
}

CImageBytes& CImageBytes::operator=(CImageBytes&& other) noexcept
{
    if (this != &other)
    {
        Reset();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
        m_mapBase = std::exchange(other.m_mapBase, nullptr);
        m_mapLength = std::exchange(other.m_mapLength, 0);
        m_owner = std::move(other.m_owner);
    }
    return *this;
}

void CImageBytes::Reset()
{
    if (m_owner)
        m_owner.reset();
#ifndef _WIN32
    else if (m_mapBase != nullptr)
        munmap(m_mapBase, m_mapLength);
    else
#endif
        std::free(m_data);
    m_data = nullptr;
    m_size = 0;
    m_capacity = 0;
    m_mapBase = nullptr;
    m_mapLength = 0;
}

bool CImageBytes::Allocate(std::size_t size)
{
    Reset();
    // Plain malloc, not a zero-filled vector: every byte is read or written over at once, and
    // filling 200 MB first cost as much as reading them. Large blocks come straight from the
    // system, so that Reallocate can move them without copying.
    m_data = static_cast<std::uint8_t*>(std::malloc(size == 0 ? 1 : size));
    m_size = m_data != nullptr ? size : 0;
    m_capacity = m_size;
    return m_data != nullptr;
}

bool CImageBytes::Reallocate(std::size_t size)
{
    if (m_mapBase != nullptr || m_owner)
        return false;
    // A decoded image grows in steps; on Linux a large block is remapped rather than copied, so
    // the old and the new block never both take memory (the peak of a 3.0 read stays near the
    // coded file plus the decoded image).
    auto* grown = static_cast<std::uint8_t*>(std::realloc(m_data, size == 0 ? 1 : size));
    if (grown == nullptr)
        return false;
    m_data = grown;
    m_size = size;
    m_capacity = size;
    return true;
}

bool CImageBytes::Extend(std::size_t size)
{
    if (size <= m_size)
        return size == m_size;
    const bool readOnly = m_mapBase != nullptr || m_owner;
    if (!readOnly && m_data != nullptr && size <= m_capacity)
    {
        m_size = size;
        return true;
    }
    const std::size_t room = m_capacity / 2 < static_cast<std::size_t>(-1) - size ? size + m_capacity / 2 : size;
    if (readOnly || m_data == nullptr)
    {
        auto* block = static_cast<std::uint8_t*>(std::malloc(room));
        if (block == nullptr)
            return false;
        if (m_size > 0)
            std::memcpy(block, m_data, m_size);
        Reset();
        m_data = block;
    }
    else
    {
        auto* grown = static_cast<std::uint8_t*>(std::realloc(m_data, room));
        if (grown == nullptr)
            return false;
        m_data = grown;
    }
    m_size = size;
    m_capacity = room;
    return true;
}

bool CImageBytes::View(std::shared_ptr<const CImageBytes> owner, std::size_t offset, std::size_t size)
{
    Reset();
    if (!owner || owner->Empty() || offset > owner->Size() || size > owner->Size() - offset)
        return false;
    m_data = const_cast<std::uint8_t*>(owner->Data()) + offset;  // never written through: MutableData is null
    m_size = size;
    m_owner = std::move(owner);
    return true;
}

bool CImageBytes::ShareView(const CImageBytes& other)
{
    if (!other.m_owner)
        return false;
    Reset();
    m_data = other.m_data;
    m_size = other.m_size;
    m_owner = other.m_owner;
    return true;
}

bool CImageBytes::MakeShareable()
{
    if (m_owner || m_data == nullptr)
        return true;
    std::shared_ptr<CImageBytes> owner;
    try
    {
        owner = std::make_shared<CImageBytes>();
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    const std::size_t size = m_size;
    *owner = std::move(*this);
    return View(std::move(owner), 0, size);
}

bool CImageBytes::Map(int fd, std::uint64_t offset, std::size_t size)
{
    Reset();
#ifdef _WIN32
    (void)fd;
    (void)offset;
    (void)size;
    return false;
#else
    if (size == 0)
        return false;
    const auto page = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    const std::uint64_t start = offset - offset % page;
    const std::size_t lead = static_cast<std::size_t>(offset - start);
    if (size > static_cast<std::size_t>(-1) - lead)
        return false;
    void* base = mmap(nullptr, size + lead, PROT_READ, MAP_PRIVATE, fd, static_cast<off_t>(start));
    if (base == MAP_FAILED)
        return false;
    m_mapBase = base;
    m_mapLength = size + lead;
    m_data = static_cast<std::uint8_t*>(base) + lead;
    m_size = size;
    return true;
#endif
}
