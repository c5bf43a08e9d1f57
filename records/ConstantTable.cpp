#include "ConstantTable.h"

#include "containers/ByteOrder.h"
#include "containers/ByteReader.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"

bool CConstantTable::Load(const CIffFile& container, std::uint16_t id)
{
    CIffChunk chunk;
    if (!FindRecordChunk(container, kTypeBcon, id, chunk, m_fault))
        return false;
    m_name = chunk.name;
    m_id = id;
    return Decode(container.ChunkData(chunk));
}

bool CConstantTable::Store(CIffFile& container, std::uint16_t id) const
{
    std::vector<std::uint8_t> data;
    if (!Encode(data))
        return false;
    return PutRecordChunk(container, kTypeBcon, id, m_name, data, m_fault);
}

bool CConstantTable::Decode(std::span<const std::uint8_t> data)
{
    m_fault = {};
    CByteReader reader(data);
    const std::size_t count = reader.U8();
    const std::uint8_t flags = reader.U8();
    if (!reader.Has(2 * count))
    {
        m_fault = {ERecordFault::Damaged};
        return false;
    }
    m_flags = flags;
    m_values.clear();
    for (std::size_t i = 0; i < count; ++i)
        m_values.push_back(std::int16_t(reader.U16LE()));
    return true;
}

bool CConstantTable::Encode(std::vector<std::uint8_t>& data) const
{
    data.clear();
    m_fault = {};
    if (m_values.size() > kMaxConstants)
    {
        m_fault = {ERecordFault::TooManyEntries, std::uint32_t(kMaxConstants)};
        return false;
    }
    data.resize(2 + 2 * m_values.size());
    data[0] = std::uint8_t(m_values.size());
    data[1] = m_flags;
    for (std::size_t i = 0; i < m_values.size(); ++i)
        WriteLE16(data.data() + 2 + 2 * i, std::uint16_t(m_values[i]));
    return true;
}
