#include "ObjectFunctions.h"

#include "containers/ByteOrder.h"
#include "containers/ByteReader.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"

#include <algorithm>
#include <array>

namespace
{
constexpr std::array<std::uint8_t, 4> kMagic = {'f', 'J', 'B', 'O'};
constexpr std::size_t kMagicOffset = 8;
constexpr std::size_t kCountOffset = 12;

constexpr const char* kFunctionNames[] = {
    "init", "main", "load", "cleanup", "queue skipped", "allow intersection", "wall adjacency changed",
    "room changed", "dynamic multi-tile update", "placement", "pickup", "user placement", "user pickup",
    "level info request", "serving surface", "portal", "gardening", "wash hands", "prepare food", "cook",
    "place on surface", "dispose", "eat", "pickup from slot", "wash dish", "eating surface", "sit", "stand",
    "clean", "repair",
};
static_assert(std::size(kFunctionNames) == CObjectFunctions::kNamedFunctions);
}

std::string ObjectFunctionName(std::size_t index)
{
    if (index < std::size(kFunctionNames))
        return kFunctionNames[index];
    return "function " + std::to_string(index);
}

CRecordStatus CObjectFunctions::Load(const CIffFile& container, std::uint16_t id)
{
    return LoadRecordChunk(container, kTypeObjf, id, [&](const CIffChunk& chunk, std::span<const std::uint8_t> data) {
        m_name = chunk.name;
        m_id = id;
        return Decode(data);
    });
}

CRecordStatus CObjectFunctions::Decode(std::span<const std::uint8_t> data)
{
    // Bytes this layout does not account for would be lost on storing: the table must be exactly
    // its header and its pairs.
    CByteReader reader(data);
    const std::span<const std::uint8_t> zeros = reader.Bytes(kMagicOffset);
    const std::span<const std::uint8_t> magic = reader.Bytes(kMagic.size());
    const std::uint64_t count = reader.U32LE();
    if (reader.OutOfData() || std::any_of(zeros.begin(), zeros.end(), [](std::uint8_t b) { return b != 0; }) ||
        !std::equal(magic.begin(), magic.end(), kMagic.begin()))
        return Fail(ERecordFault::BadMagic).AtOffset(0);
    if (count * 4 != reader.Remaining())
        return Fail(ERecordFault::CountMismatch, std::uint32_t(count)).AtOffset(kCountOffset);
    m_functions.clear();
    m_functions.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i)
    {
        const std::uint16_t check = reader.U16LE();
        m_functions.push_back({check, reader.U16LE()});
    }
    return {};
}

bool CObjectFunctions::SetFunction(std::size_t index, const CObjectFunction& function)
{
    if (index >= m_functions.size())
        return false;
    m_functions[index] = function;
    return true;
}

std::vector<std::uint8_t> CObjectFunctions::Encode() const
{
    std::vector<std::uint8_t> data(kHeaderSize + 4 * m_functions.size(), 0);
    for (std::size_t i = 0; i < kMagic.size(); ++i)
        data[kMagicOffset + i] = kMagic[i];
    WriteLE32(data.data() + kCountOffset, std::uint32_t(m_functions.size()));
    for (std::size_t i = 0; i < m_functions.size(); ++i)
    {
        WriteLE16(data.data() + kHeaderSize + 4 * i, m_functions[i].check);
        WriteLE16(data.data() + kHeaderSize + 4 * i + 2, m_functions[i].action);
    }
    return data;
}

CRecordStatus CObjectFunctions::Store(CIffFile& container, std::uint16_t id) const
{
    return PutEncodedRecord(container, kTypeObjf, id, m_name, Encode());
}
