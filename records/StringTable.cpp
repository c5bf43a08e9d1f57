#include "StringTable.h"

#include "containers/ByteOrder.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"

#include <algorithm>
#include <new>

namespace
{
// The code byte written in front of each slot's entries. Codes 8 and 10 to 13 are never written:
// on reading they fall on slots that other codes own.
constexpr std::uint8_t kSlotCodes[CStringTable::kSlotCount] = {1, 2, 3, 4, 5, 6, 7, 9,
                                                               14, 15, 16, 17, 18, 19, 20, 21};

constexpr const char* kSlotNames[CStringTable::kSlotCount] = {
    "USEnglish", "UKEnglish", "French",   "German",   "Italian",             "Spanian",
    "Dutch",     "Swedish",   "Portuguese", "Japanese", "Polish", "Traditional Chinese",
    "Simplified Chinese", "Thai", "Korean", ""};

constexpr std::uint32_t kStoredFlags = 0x0010;
// A STR# chunk whose byte 1 is this or more is in the language layout.
constexpr std::uint8_t kFirstLanguageByte = 0xFD;

// Reads a NUL-terminated string starting at `position`; false when the data end before the NUL.
bool ReadTerminated(std::span<const std::uint8_t> data, std::size_t& position, std::string& text)
{
    const auto begin = data.begin() + std::ptrdiff_t(position);
    const auto nul = std::find(begin, data.end(), std::uint8_t(0));
    if (nul == data.end())
        return false;
    text.assign(begin, nul);
    position = std::size_t(nul - data.begin()) + 1;
    return true;
}

void Append(std::vector<std::uint8_t>& data, const std::string& text)
{
    data.insert(data.end(), text.begin(), text.end());
}
}

int CStringTable::SlotForCode(std::uint8_t code)
{
    int slot;
    if (code >= 1 && code <= 7)
        slot = code - 1;
    else if (code == 9)
        slot = 7;
    else
        slot = int(code) - 6;
    return slot >= 0 && slot < kSlotCount ? slot : -1;
}

std::uint8_t CStringTable::CodeForSlot(int slot)
{
    return slot >= 0 && slot < kSlotCount ? kSlotCodes[slot] : 0;
}

const char* CStringTable::SlotName(int slot)
{
    return slot >= 0 && slot < kSlotCount ? kSlotNames[slot] : "";
}

bool CStringTable::Load(const CIffFile& container, std::uint32_t type, std::uint16_t id)
{
    m_strings.clear();
    m_rows.clear();
    CIffChunk chunk;
    chunk.type = type;
    chunk.id = id;
    if (!container.FindChunk(chunk))
        return false;
    m_name = chunk.name;
    m_id = id;
    return Decode(container.ChunkData(chunk), type);
}

bool CStringTable::Store(CIffFile& container, std::uint32_t type, std::uint16_t id) const
{
    std::vector<std::uint8_t> data;
    if (!Encode(type, data))
        return false;
    CIffChunk entry;
    entry.type = type;
    entry.id = id;
    entry.flags = kStoredFlags;
    entry.name = m_name;
    return container.PutChunk(entry, data);
}

bool CStringTable::Decode(std::span<const std::uint8_t> data, std::uint32_t type)
{
    m_strings.clear();
    m_rows.clear();
    m_type = type;
    // Both layouts begin with a 16-bit number; without it the table cannot even be told apart.
    if (data.size() < 2)
        return false;
    m_format = ReadLE16(data.data());
    const std::uint8_t layoutByte = data[1];
    m_plain = type != kTypeTtas && layoutByte < kFirstLanguageByte;
    bool loaded;
    try
    {
        loaded = m_plain ? DecodePlain(data) : DecodeLanguages(data);
    }
    catch (const std::bad_alloc&)
    {
        loaded = false;
    }
    if (!loaded)
    {
        m_strings.clear();
        m_rows.clear();
    }
    return loaded;
}

bool CStringTable::DecodePlain(std::span<const std::uint8_t> data)
{
    const std::size_t count = ReadBE16(data.data());
    std::size_t position = 2;
    // Every string takes at least its length byte: a count of 65535 in a short chunk must not
    // reserve room for that many strings.
    m_strings.reserve(std::min(count, data.size() - position));
    for (std::size_t i = 0; i < count; ++i)
    {
        if (position >= data.size())
            return false;
        const std::size_t length = data[position++];
        if (length > data.size() - position)
            return false;
        m_strings.emplace_back(data.begin() + std::ptrdiff_t(position),
                               data.begin() + std::ptrdiff_t(position + length));
        position += length;
    }
    return true;
}

bool CStringTable::DecodeLanguages(std::span<const std::uint8_t> data)
{
    if (data.size() < 4)
        return false;
    const std::size_t count = ReadLE16(data.data() + 2);
    std::size_t position = 4;
    std::array<std::vector<CStringPair>, kSlotCount> slots;
    int slot = 0;
    for (std::size_t i = 0; i < count; ++i)
    {
        if (position >= data.size())
            return false;
        const std::uint8_t first = data[position];
        if (first >= 1 && first <= 31)
        {
            slot = SlotForCode(first);
            if (slot < 0)
                return false;
            ++position;
        }
        CStringPair pair;
        if (!ReadTerminated(data, position, pair.text) || !ReadTerminated(data, position, pair.description))
            return false;
        slots[std::size_t(slot)].push_back(std::move(pair));
    }

    // A row is one text in every language, so the rows follow USEnglish; other languages'
    // surplus entries have no row to go to.
    m_rows.resize(slots[0].size());
    for (std::size_t s = 0; s < slots.size(); ++s)
        for (std::size_t r = 0; r < m_rows.size() && r < slots[s].size(); ++r)
            m_rows[r][s] = std::move(slots[s][r]);
    return true;
}

bool CStringTable::Encode(std::uint32_t type, std::vector<std::uint8_t>& data) const
{
    data.clear();
    try
    {
        // The byte at offset 1 chooses the layout when a STR# chunk is read: a plain count whose low
        // byte is 0xFD or more, or a format code whose high byte is below 0xFD, would read back
        // in the other layout, as a different table.
        if (m_plain)
        {
            if (type == kTypeTtas || m_strings.size() > 0xFFFF || (m_strings.size() & 0xFF) >= kFirstLanguageByte)
                return false;
            EncodePlain(data);
            return true;
        }
        if (type == kTypeStr && (m_format >> 8) < kFirstLanguageByte)
            return false;
        return EncodeLanguages(data);
    }
    catch (const std::bad_alloc&)
    {
        data.clear();
        return false;
    }
}

void CStringTable::EncodePlain(std::vector<std::uint8_t>& data) const
{
    data.resize(2);
    WriteBE16(data.data(), std::uint16_t(m_strings.size()));
    for (const std::string& text : m_strings)
    {
        const std::size_t length = std::min(text.size(), kMaxPlainStringLength);
        data.push_back(std::uint8_t(length));
        data.insert(data.end(), text.begin(), text.begin() + std::ptrdiff_t(length));
    }
}

bool CStringTable::EncodeLanguages(std::vector<std::uint8_t>& data) const
{
    data.resize(4);
    WriteLE16(data.data(), m_format);
    std::size_t count = 0;
    for (int slot = 0; slot < kSlotCount; ++slot)
    {
        // Only strings keep a language in the chunk; descriptions alone do not. USEnglish stays
        // even without strings: reading builds the rows from it, so leaving it out would lose
        // every row, and the other languages' texts with them.
        const bool used = slot == 0 || std::any_of(m_rows.begin(), m_rows.end(),
                                      [slot](const CRow& row) { return !row[std::size_t(slot)].text.empty(); });
        if (!used)
            continue;
        for (const CRow& row : m_rows)
        {
            const CStringPair& pair = row[std::size_t(slot)];
            data.push_back(kSlotCodes[slot]);
            Append(data, pair.text);
            data.push_back(0);
            Append(data, pair.description);
            data.push_back(0);
        }
        count += m_rows.size();
    }
    if (count > 0xFFFF)
    {
        data.clear();
        return false;
    }
    WriteLE16(data.data() + 2, std::uint16_t(count));
    return true;
}
