#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

class CByteStream;

// The field-encoded layout of version-9 interaction tables stores every number in as few bits as
// its value needs: a single 0 bit for zero, otherwise a 1 bit, a two-bit size code and the value's
// low bits. Bits fill each byte from the most significant bit down.

/// Reads bits and fields from a byte span. Bits past the last byte read as 0, so a stream whose
/// tail is missing yields zero fields instead of reading outside the span.
class CFieldReader
{
public:
    explicit CFieldReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    /// The next bit; 0 once every byte has been used.
    bool ReadBit();
    /// `count` bits (at most 32), the first one read ending up most significant.
    std::uint32_t ReadBits(int count);
    /// A field of a 16-bit value, as its 16-bit pattern (negative values sign-extended).
    std::uint16_t Read16();
    /// A field of a 32-bit value, as its 32-bit pattern (negative values sign-extended).
    std::uint32_t Read32();

    /// True once the last byte has been taken (its unread low bits can only be padding).
    bool AtEnd() const { return m_position >= m_bytes.size(); }
    /// How many bits are left unread, including the rest of the current byte.
    std::uint64_t RemainingBits() const;

private:
    std::uint32_t ReadField(const int (&widths)[4]);

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;   // next byte to take
    std::uint8_t m_current = 0;
    std::uint8_t m_mask = 0;      // bit of m_current to read next; 0 when a new byte is due
};

/// Writes bits and fields to a stream, one byte at a time as each byte fills up.
class CFieldWriter
{
public:
    explicit CFieldWriter(CByteStream& stream) : m_stream(stream) {}

    void WriteBit(bool bit);
    /// The low `count` bits of `value` (at most 32), most significant first.
    void WriteBits(std::uint32_t value, int count);
    /// A field of a 16-bit value; the smallest size code whose signed range holds it is chosen.
    void Write16(std::uint16_t value);
    /// A field of a 32-bit value; the smallest size code whose signed range holds it is chosen.
    void Write32(std::uint32_t value);
    /// Writes the last, incomplete byte (its unused low bits 0). False when any write failed.
    bool Finish();

private:
    void WriteField(std::int32_t value, const int (&widths)[4]);

    CByteStream& m_stream;
    std::uint8_t m_current = 0;
    int m_used = 0;  // bits already set in m_current
    bool m_failed = false;
};
