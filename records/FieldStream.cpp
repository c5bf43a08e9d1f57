#include "FieldStream.h"

#include "containers/ByteStream.h"

namespace
{
// Value bits per size code 0 to 3.
constexpr int kWidths16[4] = {5, 8, 13, 16};
constexpr int kWidths32[4] = {6, 11, 21, 32};
}

bool CFieldReader::ReadBit()
{
    if (m_mask == 0)
    {
        if (m_position >= m_bytes.size())
            return false;
        m_current = m_bytes[m_position++];
        m_mask = 0x80;
    }
    const bool bit = (m_current & m_mask) != 0;
    m_mask >>= 1;
    return bit;
}

std::uint32_t CFieldReader::ReadBits(int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 1) | (ReadBit() ? 1u : 0u);
    return value;
}

std::uint64_t CFieldReader::RemainingBits() const
{
    std::uint64_t inCurrent = 0;
    for (std::uint8_t mask = m_mask; mask != 0; mask >>= 1)
        ++inCurrent;
    return inCurrent + 8 * std::uint64_t(m_bytes.size() - m_position);
}

std::uint32_t CFieldReader::ReadField(const int (&widths)[4])
{
    if (!ReadBit())
        return 0;
    const int code = int(ReadBits(2));
    const int width = widths[code];
    std::uint32_t value = ReadBits(width);
    // The widest code carries the value as it is; the narrower ones are two's complement
    // numbers of their own width.
    if (code < 3 && (value & (1u << (width - 1))) != 0)
        value |= ~((1u << width) - 1);
    return value;
}

std::uint16_t CFieldReader::Read16()
{
    return std::uint16_t(ReadField(kWidths16));
}

std::uint32_t CFieldReader::Read32()
{
    return ReadField(kWidths32);
}

void CFieldWriter::WriteBit(bool bit)
{
    if (bit)
        m_current = std::uint8_t(m_current | (0x80 >> m_used));
    if (++m_used == 8)
    {
        if (!m_stream.Write(&m_current, 1))
            m_failed = true;
        m_current = 0;
        m_used = 0;
    }
}

void CFieldWriter::WriteBits(std::uint32_t value, int count)
{
    for (int i = count - 1; i >= 0; --i)
        WriteBit(((value >> i) & 1u) != 0);
}

void CFieldWriter::WriteField(std::int32_t value, const int (&widths)[4])
{
    if (value == 0)
    {
        WriteBit(false);
        return;
    }
    int code = 0;
    while (code < 3)
    {
        const std::int64_t limit = std::int64_t(1) << (widths[code] - 1);
        if (value >= -limit && value < limit)
            break;
        ++code;
    }
    WriteBit(true);
    WriteBits(std::uint32_t(code), 2);
    WriteBits(std::uint32_t(value), widths[code]);
}

void CFieldWriter::Write16(std::uint16_t value)
{
    WriteField(std::int16_t(value), kWidths16);
}

void CFieldWriter::Write32(std::uint32_t value)
{
    WriteField(std::int32_t(value), kWidths32);
}

bool CFieldWriter::Finish()
{
    if (m_used != 0)
    {
        if (!m_stream.Write(&m_current, 1))
            m_failed = true;
        m_current = 0;
        m_used = 0;
    }
    return !m_failed;
}
