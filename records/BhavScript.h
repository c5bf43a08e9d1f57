#pragma once

#include "BhavInstruction.h"
#include "RecordFault.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CIffFile;

/// A behaviour script (`BHAV` chunk): a header and numbered instructions.
///
/// The header's first 16 bits are the script's format code, which also decides the header's size
/// and where the instruction count lives: formats 0x8000 to 0x8002 have a 12-byte header with a
/// 16-bit count at offset 2; format 0x8003 has a 13-byte header with a 32-bit count at offset 9.
class CBhavScript
{
public:
    static constexpr std::size_t kHeaderSize = 12;
    static constexpr std::uint16_t kDefaultFormat = 0x8002;

    /// The header size of a format; 0 for a format this program cannot edit.
    static std::size_t HeaderSizeFor(std::uint16_t format);

    CBhavScript();

    /// Decodes the `BHAV` chunk `id`. Fails, with the list empty, when the chunk is missing, of a
    /// format outside 0x8000 to 0x8003, or shorter than its header and the instructions the header
    /// promises; Fault() then says which.
    bool Load(const CIffFile& container, std::uint16_t id);
    /// Decodes chunk data; same failures as Load.
    bool Decode(std::span<const std::uint8_t> data);
    /// Encodes the script (count rewritten from the list, the rest of the header as read) and puts
    /// it as `BHAV` `id`, flags 0x0010, under the kept name. Fails when the container cannot grow,
    /// the header is not of a known format or the list has more lines than the count can hold.
    bool Store(CIffFile& container, std::uint16_t id) const;
    /// Keeps the lines reachable from line 0 in depth-first order, true branch first, and
    /// renumbers their targets. Leaves the script as it was when a reachable target lies past
    /// the last line.
    void Optimize();

    /// The chunk data Store would write; empty when the script cannot be written.
    std::vector<std::uint8_t> Encode() const;

    /// The format code at the start of the header.
    std::uint16_t Format() const;
    /// Why the last Load, Decode, Encode or Store failed.
    CRecordFault Fault() const { return m_fault; }

    std::vector<std::uint8_t> m_header;  // as read; 12 or 13 bytes by format
    std::vector<CBhavInstruction> m_instructions;
    std::string m_name;
    std::uint16_t m_id = 0;

private:
    mutable CRecordFault m_fault;
};
