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
    [[nodiscard]] CRecordStatus Load(const CIffFile& container, std::uint16_t id);
    /// Puts the table as `BCON` `id`, flags 0x0010, under the kept name. Fails without storing
    /// anything when the list holds more than 255 constants.
    [[nodiscard]] CRecordStatus Store(CIffFile& container, std::uint16_t id) const;

    /// Decodes chunk data; same failures as Load.
    [[nodiscard]] CRecordStatus Decode(std::span<const std::uint8_t> data);
    /// The chunk data; fails when the list is too long for the count byte.
    [[nodiscard]] CRecordResult<std::vector<std::uint8_t>> Encode() const;

    // The editors change the list through these, which keep it within what the count byte holds.

    const std::vector<std::int16_t>& Values() const { return m_values; }
    /// Sets constant `index`; false when there is no such constant.
    bool SetValue(std::size_t index, std::int16_t value);
    /// Appends a constant; false, unchanged, when the table holds kMaxConstants already.
    bool AppendValue(std::int16_t value);
    /// Removes constant `index`; false when there is no such constant.
    bool RemoveValue(std::size_t index);
    /// Puts `values` in place of all constants; false, unchanged, when there are more than
    /// kMaxConstants.
    bool ReplaceValues(std::vector<std::int16_t> values);

    /// The flags byte, kept as read.
    std::uint8_t Flags() const { return m_flags; }
    void SetFlags(std::uint8_t flags) { m_flags = flags; }
    const std::string& Name() const { return m_name; }
    void SetName(std::string name) { m_name = std::move(name); }
    /// The id of the chunk last loaded.
    std::uint16_t Id() const { return m_id; }

private:
    std::uint8_t m_flags = 0;
    std::vector<std::int16_t> m_values;
    std::string m_name;
    std::uint16_t m_id = 0;
};
