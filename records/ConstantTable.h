#pragma once

#include "RecordFault.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CIffFile;

/// A constant table (`BCON` chunk): numbered signed 16-bit constants and a flags byte.
class CConstantTable
{
public:
    /// The count is one byte in the chunk.
    static constexpr std::size_t kMaxConstants = 255;

    /// Decodes the `BCON` chunk `id`. Fails when it is missing or shorter than its count promises;
    /// the list is then left as it was.
    bool Load(const CIffFile& container, std::uint16_t id);
    /// Puts the table as `BCON` `id`, flags 0x0010, under the kept name. Fails without storing
    /// anything when the list holds more than 255 constants.
    bool Store(CIffFile& container, std::uint16_t id) const;

    /// Decodes chunk data; same failures as Load.
    bool Decode(std::span<const std::uint8_t> data);
    /// The chunk data; false when the list is too long for the count byte.
    bool Encode(std::vector<std::uint8_t>& data) const;

    /// Why the last Load, Decode, Encode or Store failed.
    CRecordFault Fault() const { return m_fault; }

    std::uint8_t m_flags = 0;
    std::vector<std::int16_t> m_values;
    std::string m_name;
    std::uint16_t m_id = 0;

private:
    mutable CRecordFault m_fault;
};
