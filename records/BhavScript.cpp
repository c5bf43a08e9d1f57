#include "BhavScript.h"

#include "containers/ByteOrder.h"
#include "containers/ByteReader.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"

#include <algorithm>
#include <limits>
#include <new>
#include <utility>

namespace
{
constexpr std::uint16_t kFirstFormat = 0x8000;
constexpr std::uint16_t kWideCountFormat = 0x8003;
// Formats up to 0x8002 count their lines in 16 bits at offset 2; 0x8003 in 32 bits at offset 9.
constexpr std::size_t kCountOffset = 2;
constexpr std::size_t kWideCountOffset = 9;
constexpr std::size_t kWideHeaderSize = 13;

bool IsWide(std::uint16_t format)
{
    return format == kWideCountFormat;
}
}

std::size_t CBhavScript::HeaderSizeFor(std::uint16_t format)
{
    if (format < kFirstFormat || format > kWideCountFormat)
        return 0;
    return IsWide(format) ? kWideHeaderSize : kHeaderSize;
}

CBhavScript::CBhavScript() : m_header(kHeaderSize, 0)
{
    WriteLE16(m_header.data(), kDefaultFormat);
}

std::uint16_t CBhavScript::Format() const
{
    return m_header.size() >= 2 ? ReadLE16(m_header.data()) : 0;
}

CRecordStatus CBhavScript::Load(const CIffFile& container, std::uint16_t id)
{
    m_instructions.clear();
    return LoadRecordChunk(container, kTypeBhav, id, [&](const CIffChunk& chunk, std::span<const std::uint8_t> data) {
        m_name = chunk.name;
        m_id = id;
        return Decode(data);
    });
}

CRecordStatus CBhavScript::Decode(std::span<const std::uint8_t> data)
{
    m_instructions.clear();
    CByteReader reader(data);
    // A format this program does not know may lay its header out otherwise: reading it with a
    // known layout would show a wrong script, and storing it would write that over the real one.
    const std::uint16_t format = reader.U16LE();
    const std::size_t headerSize = HeaderSizeFor(format);
    if (!reader.OutOfData() && headerSize == 0)
        return Fail(ERecordFault::UnknownFormat, format).AtOffset(0);
    reader.Skip((IsWide(format) ? kWideCountOffset : kCountOffset) - reader.Position());
    const std::uint64_t count = IsWide(format) ? reader.U32LE() : reader.U16LE();
    reader.Skip(headerSize - reader.Position());
    if (reader.OutOfData() || !reader.Has(count * CBhavInstruction::kSize))
        return Fail(ERecordFault::Damaged).AtOffset(std::min<std::uint64_t>(headerSize, data.size()));
    try
    {
        m_header.assign(data.begin(), data.begin() + std::ptrdiff_t(headerSize));
        m_instructions.reserve(count);
        for (std::size_t line = 0; line < count; ++line)
        {
            CBhavInstruction instruction;
            instruction.opcode = reader.U16LE();
            instruction.trueTarget = reader.U8();
            instruction.falseTarget = reader.U8();
            for (std::uint16_t& param : instruction.params)
                param = reader.U16LE();
            m_instructions.push_back(instruction);
        }
    }
    catch (const std::bad_alloc&)
    {
        m_instructions.clear();
        return Fail(ERecordFault::NoMemory);
    }
    return {};
}

std::uint64_t CBhavScript::MaxLinesFor(std::uint16_t format)
{
    return IsWide(format) ? std::numeric_limits<std::uint32_t>::max() : std::numeric_limits<std::uint16_t>::max();
}

std::uint64_t CBhavScript::MaxLines() const
{
    return MaxLinesFor(Format());
}

bool CBhavScript::SetHeader(std::vector<std::uint8_t> header)
{
    const std::uint16_t format = header.size() >= 2 ? ReadLE16(header.data()) : 0;
    const std::size_t size = HeaderSizeFor(format);
    if (size == 0 || header.size() != size || m_instructions.size() > MaxLinesFor(format))
        return false;
    m_header = std::move(header);
    return true;
}

bool CBhavScript::SetLine(std::size_t index, const CBhavInstruction& instruction)
{
    if (index >= m_instructions.size())
        return false;
    m_instructions[index] = instruction;
    return true;
}

bool CBhavScript::AppendLine(const CBhavInstruction& instruction)
{
    if (m_instructions.size() >= MaxLines())
        return false;
    m_instructions.push_back(instruction);
    return true;
}

bool CBhavScript::RemoveLine(std::size_t index)
{
    if (index >= m_instructions.size())
        return false;
    m_instructions.erase(m_instructions.begin() + std::ptrdiff_t(index));
    return true;
}

bool CBhavScript::ReplaceLines(std::vector<CBhavInstruction> lines)
{
    if (lines.size() > MaxLines())
        return false;
    m_instructions = std::move(lines);
    return true;
}

CRecordResult<std::vector<std::uint8_t>> CBhavScript::Encode() const
{
    const std::uint16_t format = Format();
    const std::size_t headerSize = HeaderSizeFor(format);
    if (headerSize == 0 || m_header.size() != headerSize)
        return Fail(ERecordFault::UnknownFormat, format);
    // A count that does not fit its field cannot be written without corrupting the chunk.
    const std::uint64_t maxLines = MaxLines();
    if (m_instructions.size() > maxLines)
        return Fail(ERecordFault::TooManyEntries, maxLines);
    try
    {
        std::vector<std::uint8_t> data(headerSize + m_instructions.size() * CBhavInstruction::kSize);
        std::copy(m_header.begin(), m_header.end(), data.begin());
        if (IsWide(format))
            WriteLE32(data.data() + kWideCountOffset, std::uint32_t(m_instructions.size()));
        else
            WriteLE16(data.data() + kCountOffset, std::uint16_t(m_instructions.size()));
        std::uint8_t* bytes = data.data() + headerSize;
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
    catch (const std::bad_alloc&)
    {
        return Fail(ERecordFault::NoMemory);
    }
}

CRecordStatus CBhavScript::Store(CIffFile& container, std::uint16_t id) const
{
    return PutEncodedRecord(container, kTypeBhav, id, m_name, Encode());
}
