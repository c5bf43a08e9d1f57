#pragma once

#include "BhavInstruction.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CIffFile;

/// A behaviour script (`BHAV` chunk): a header and numbered instructions.
class CBhavScript
{
public:
    static constexpr std::size_t kHeaderSize = 12;

    /// Decodes the `BHAV` chunk `id`. Fails, with the list empty, when the chunk is missing or
    /// shorter than its header and the instructions the header promises.
    bool Load(const CIffFile& container, std::uint16_t id);
    /// Encodes the script (count rewritten from the list) and puts it as `BHAV` `id`, flags 0x0010,
    /// under the kept name. Fails when the container cannot grow or the list has more lines than
    /// the 16-bit count can hold.
    bool Store(CIffFile& container, std::uint16_t id) const;
    /// Keeps the lines reachable from line 0 in depth-first order, true branch first, and
    /// renumbers their targets. Leaves the script as it was when a reachable target lies past
    /// the last line.
    void Optimize();

    /// The chunk data Store would write; empty when the list is too long for the count field.
    std::vector<std::uint8_t> Encode() const;

    std::array<std::uint8_t, kHeaderSize> m_header{};
    std::vector<CBhavInstruction> m_instructions;
    std::string m_name;
    std::uint16_t m_id = 0;
};
