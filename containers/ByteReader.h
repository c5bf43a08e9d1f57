#pragma once

#include "ByteOrder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

/// A cursor over bytes read from a file that never reads past their end. A read that would need
/// more bytes than are left reads nothing, answers 0 (or an empty text) and marks the reader out
/// of data; every later read does the same, so a decoder reads like the layout it follows and asks
/// OutOfData() where a short record matters. Counts and sizes are 64-bit so nothing wraps.
class CByteReader
{
public:
    explicit CByteReader(std::span<const std::uint8_t> bytes, std::size_t position = 0)
        : m_bytes(bytes), m_position(std::min(position, bytes.size()))
    {
    }

    std::size_t Position() const { return m_position; }
    std::size_t Remaining() const { return m_bytes.size() - m_position; }
    bool AtEnd() const { return m_position >= m_bytes.size(); }
    /// True once a read has asked for more than there was.
    bool OutOfData() const { return m_outOfData; }
    /// True when `count` more bytes can be read.
    bool Has(std::uint64_t count) const { return !m_outOfData && count <= Remaining(); }
    /// The bytes not read yet.
    std::span<const std::uint8_t> Rest() const { return m_bytes.subspan(m_position); }

    std::uint8_t U8() { return Take(1) ? m_bytes[m_position - 1] : 0; }
    std::uint16_t U16LE() { return Take(2) ? ReadLE16(At(2)) : 0; }
    std::uint16_t U16BE() { return Take(2) ? ReadBE16(At(2)) : 0; }
    std::uint32_t U32LE() { return Take(4) ? ReadLE32(At(4)) : 0; }
    std::uint32_t U32BE() { return Take(4) ? ReadBE32(At(4)) : 0; }
    /// The next byte without taking it; 0 at the end (not counted as running out).
    std::uint8_t PeekU8() const { return AtEnd() || m_outOfData ? 0 : m_bytes[m_position]; }

    /// `count` bytes as they stand.
    std::span<const std::uint8_t> Bytes(std::uint64_t count)
    {
        return Take(count) ? m_bytes.subspan(m_position - std::size_t(count), std::size_t(count))
                           : std::span<const std::uint8_t>();
    }
    /// The text up to the next NUL, which is taken too.
    std::string CString()
    {
        if (m_outOfData)
            return {};
        const auto begin = m_bytes.begin() + std::ptrdiff_t(m_position);
        const auto nul = std::find(begin, m_bytes.end(), std::uint8_t(0));
        if (nul == m_bytes.end())
        {
            m_outOfData = true;
            return {};
        }
        m_position = std::size_t(nul - m_bytes.begin()) + 1;
        return std::string(begin, nul);
    }
    /// A text led by a one-byte length.
    std::string Text8()
    {
        const std::size_t length = PeekU8();
        if (!Take(1 + length))
            return {};
        const std::uint8_t* text = At(length);
        return std::string(text, text + length);
    }
    /// Moves on by `count` bytes.
    void Skip(std::uint64_t count) { Take(count); }

private:
    bool Take(std::uint64_t count)
    {
        if (!Has(count))
        {
            m_outOfData = true;
            return false;
        }
        m_position += std::size_t(count);
        return true;
    }
    const std::uint8_t* At(std::size_t size) const { return m_bytes.data() + m_position - size; }

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position;
    bool m_outOfData = false;
};
