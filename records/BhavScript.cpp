#include "BhavScript.h"

#include "containers/ByteOrder.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"

#include <algorithm>
#include <limits>

namespace
{
constexpr std::size_t kCountOffset = 2;
constexpr std::uint16_t kStoredFlags = 0x0010;
}

bool CBhavScript::Load(const CIffFile& container, std::uint16_t id)
{
    m_instructions.clear();
    CIffChunk chunk;
    chunk.type = kTypeBhav;
    chunk.id = id;
    if (!container.FindChunk(chunk))
        return false;
    m_name = chunk.name;
    m_id = id;

    const std::span<const std::uint8_t> data = container.ChunkData(chunk);
    if (data.size() < kHeaderSize)
        return false;
    std::copy_n(data.begin(), kHeaderSize, m_header.begin());
    const std::size_t count = ReadLE16(m_header.data() + kCountOffset);
    if (data.size() < kHeaderSize + count * CBhavInstruction::kSize)
        return false;

    m_instructions.reserve(count);
    for (std::size_t line = 0; line < count; ++line)
    {
        const std::uint8_t* bytes = data.data() + kHeaderSize + line * CBhavInstruction::kSize;
        CBhavInstruction instruction;
        instruction.opcode = ReadLE16(bytes);
        instruction.trueTarget = bytes[2];
        instruction.falseTarget = bytes[3];
        for (std::size_t p = 0; p < instruction.params.size(); ++p)
            instruction.params[p] = ReadLE16(bytes + 4 + 2 * p);
        m_instructions.push_back(instruction);
    }
    return true;
}

std::vector<std::uint8_t> CBhavScript::Encode() const
{
    // The count field has 16 bits; a longer list cannot be written without corrupting the chunk.
    if (m_instructions.size() > std::numeric_limits<std::uint16_t>::max())
        return {};
    std::vector<std::uint8_t> data(kHeaderSize + m_instructions.size() * CBhavInstruction::kSize);
    std::copy(m_header.begin(), m_header.end(), data.begin());
    WriteLE16(data.data() + kCountOffset, static_cast<std::uint16_t>(m_instructions.size()));
    std::uint8_t* bytes = data.data() + kHeaderSize;
    for (const CBhavInstruction& instruction : m_instructions)
    {
        WriteLE16(bytes, instruction.opcode);
        bytes[2] = instruction.trueTarget;
        bytes[3] = instruction.falseTarget;
        for (std::size_t p = 0; p < instruction.params.size(); ++p)
            WriteLE16(bytes + 4 + 2 * p, instruction.params[p]);
        bytes += CBhavInstruction::kSize;
    }
    return data;
}

bool CBhavScript::Store(CIffFile& container, std::uint16_t id) const
{
    const std::vector<std::uint8_t> data = Encode();
    if (data.empty())
        return false;
    CIffChunk entry;
    entry.type = kTypeBhav;
    entry.id = id;
    entry.flags = kStoredFlags;
    entry.name = m_name;
    return container.PutChunk(entry, data);
}
