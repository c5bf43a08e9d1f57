#include "ConstantTable.h"

#include "containers/ByteOrder.h"
#include "containers/ByteReader.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"

CRecordStatus CConstantTable::Load(const CIffFile& container, std::uint16_t id)
{
    return LoadRecordChunk(container, kTypeBcon, id, [&](const CIffChunk& chunk, std::span<const std::uint8_t> data) {
        m_name = chunk.name;
        m_id = id;
        return Decode(data);
    });
}

CRecordStatus CConstantTable::Store(CIffFile& container, std::uint16_t id) const
{
    return PutEncodedRecord(container, kTypeBcon, id, m_name, Encode());
}

CRecordStatus CConstantTable::Decode(std::span<const std::uint8_t> data)
{
    CByteReader reader(data);
    const std::size_t count = reader.U8();
    const std::uint8_t flags = reader.U8();
    if (!reader.Has(2 * count))
        return Damaged(reader);
    m_flags = flags;
    m_values.clear();
    for (std::size_t i = 0; i < count; ++i)
        m_values.push_back(std::int16_t(reader.U16LE()));
    return {};
}

bool CConstantTable::SetValue(std::size_t index, std::int16_t value)
{
    if (index >= m_values.size())
        return false;
    m_values[index] = value;
    return true;
}

bool CConstantTable::AppendValue(std::int16_t value)
{
    if (m_values.size() >= kMaxConstants)
        return false;
    m_values.push_back(value);
    return true;
}

bool CConstantTable::RemoveValue(std::size_t index)
{
    if (index >= m_values.size())
        return false;
    m_values.erase(m_values.begin() + std::ptrdiff_t(index));
    return true;
}

bool CConstantTable::ReplaceValues(std::vector<std::int16_t> values)
{
    if (values.size() > kMaxConstants)
        return false;
    m_values = std::move(values);
    return true;
}

CRecordResult<std::vector<std::uint8_t>> CConstantTable::Encode() const
{
    if (m_values.size() > kMaxConstants)
        return Fail(ERecordFault::TooManyEntries, kMaxConstants);
    std::vector<std::uint8_t> data(2 + 2 * m_values.size());
    data[0] = std::uint8_t(m_values.size());
    data[1] = m_flags;
    for (std::size_t i = 0; i < m_values.size(); ++i)
        WriteLE16(data.data() + 2 + 2 * i, std::uint16_t(m_values[i]));
    return data;
}
