#include "StringTable.h"

#include "CodePage.h"

#include "containers/ByteOrder.h"
#include "containers/ByteReader.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"

#include <algorithm>
#include <new>

namespace
{
// Slot s holds language code s + 1; every code from 1 to 21 has a slot of its own, so no
// language's texts ever land in another's.
constexpr int kLastCode = CStringTable::kSlotCount;

constexpr const char* kSlotNames[CStringTable::kSlotCount] = {
    "USEnglish", "UKEnglish",  "French",   "German", "Italian",             "Spanian",            "Dutch",
    "Danish",    "Swedish",    "Norwegian", "Finnish", "Hebrew",            "Russian",            "Portuguese",
    "Japanese",  "Polish",     "Simplified Chinese", "Traditional Chinese", "Thai", "Korean", ""};

// The code page of each language's texts, as the game's releases for that language wrote them.
constexpr const char* kSlotCodePages[CStringTable::kSlotCount] = {
    kWindows1252, kWindows1252, kWindows1252, kWindows1252,  kWindows1252, kWindows1252, kWindows1252,
    kWindows1252, kWindows1252, kWindows1252, kWindows1252,  "windows-1255", "windows-1251", kWindows1252,
    "cp932",      "windows-1250", "cp936",    "cp950",       "windows-874", "cp949",       kWindows1252};

// A STR# chunk whose byte 1 is this or more is in the language layout.
constexpr std::uint8_t kFirstLanguageByte = 0xFD;
// In the coded form an entry's first byte from 1 to 31 is a language code.
constexpr std::uint8_t kLastCodeByte = 31;
constexpr std::size_t kMaxCount = 0xFFFF;

void AppendTerminated(std::vector<std::uint8_t>& data, const std::string& text)
{
    data.insert(data.end(), text.begin(), text.end());
    data.push_back(0);
}

bool IsCodeless(std::uint16_t format)
{
    return format == CStringTable::kPairsFormat || format == CStringTable::kTextsFormat;
}
}

int CStringTable::SlotForCode(std::uint8_t code)
{
    return code >= 1 && code <= kLastCode ? int(code) - 1 : -1;
}

std::uint8_t CStringTable::CodeForSlot(int slot)
{
    return slot >= 0 && slot < kSlotCount ? std::uint8_t(slot + 1) : 0;
}

const char* CStringTable::SlotName(int slot)
{
    return slot >= 0 && slot < kSlotCount ? kSlotNames[slot] : "";
}

const char* CStringTable::SlotCodePage(int slot)
{
    return slot >= 0 && slot < kSlotCount ? kSlotCodePages[slot] : kWindows1252;
}

bool CStringTable::Load(const CIffFile& container, std::uint32_t type, std::uint16_t id)
{
    m_strings.clear();
    m_rows.clear();
    CIffChunk chunk;
    if (!FindRecordChunk(container, type, id, chunk, m_fault))
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
    return PutRecordChunk(container, type, id, m_name, data, m_fault);
}

bool CStringTable::Decode(std::span<const std::uint8_t> data, std::uint32_t type)
{
    m_strings.clear();
    m_rows.clear();
    m_type = type;
    m_fault = {};
    // Both layouts begin with a 16-bit number; without it the table cannot even be told apart.
    CByteReader reader(data);
    m_format = reader.U16LE();
    if (reader.OutOfData())
    {
        m_fault = {ERecordFault::Damaged};
        return false;
    }
    m_plain = type != kTypeTtas && (m_format >> 8) < kFirstLanguageByte;
    bool loaded;
    try
    {
        loaded = m_plain ? DecodePlain(data) : DecodeLanguages(data);
    }
    catch (const std::bad_alloc&)
    {
        m_fault = {ERecordFault::NoMemory};
        loaded = false;
    }
    if (!loaded)
    {
        if (!m_fault)
            m_fault = {ERecordFault::Damaged};
        m_strings.clear();
        m_rows.clear();
    }
    return loaded;
}

bool CStringTable::DecodePlain(std::span<const std::uint8_t> data)
{
    CByteReader reader(data);
    const std::size_t count = reader.U16BE();
    // Every string takes at least its length byte: a count of 65535 in a short chunk must not
    // reserve room for that many strings.
    m_strings.reserve(std::min(count, reader.Remaining()));
    for (std::size_t i = 0; i < count && !reader.OutOfData(); ++i)
        m_strings.push_back(reader.Text8());
    return !reader.OutOfData();
}

bool CStringTable::DecodeLanguages(std::span<const std::uint8_t> data)
{
    // Its entries carry a length in front instead of a NUL behind: read as NUL-terminated texts
    // they would come out as other texts, and storing would write those over the real ones.
    if (m_format == kLengthPrefixedFormat)
    {
        m_fault = {ERecordFault::UnknownFormat, m_format};
        return false;
    }
    CByteReader reader(data, 2);
    const std::size_t count = reader.U16LE();
    const bool codes = !IsCodeless(m_format);
    const bool descriptions = m_format != kTextsFormat;
    std::array<std::vector<CStringPair>, kSlotCount> slots;
    int slot = 0;
    for (std::size_t i = 0; i < count && !reader.OutOfData(); ++i)
    {
        const std::uint8_t first = reader.PeekU8();
        if (codes && first >= 1 && first <= kLastCodeByte)
        {
            slot = SlotForCode(first);
            if (slot < 0)
            {
                m_fault = {ERecordFault::UnknownLanguage, first};
                return false;
            }
            reader.Skip(1);
        }
        CStringPair pair;
        pair.text = reader.CString();
        if (descriptions)
            pair.description = reader.CString();
        slots[std::size_t(slot)].push_back(std::move(pair));
    }
    if (reader.OutOfData())
        return false;

    // A row is one text in every language. Languages need not have the same number of entries, and
    // USEnglish need not be there at all: the rows follow the longest, and a shorter language has
    // empty texts in the rows it lacks.
    std::size_t rows = 0;
    for (const auto& entries : slots)
        rows = std::max(rows, entries.size());
    m_rows.resize(rows);
    for (std::size_t s = 0; s < slots.size(); ++s)
        for (std::size_t r = 0; r < slots[s].size(); ++r)
            m_rows[r][s] = std::move(slots[s][r]);
    return true;
}

bool CStringTable::Encode(std::uint32_t type, std::vector<std::uint8_t>& data) const
{
    data.clear();
    m_fault = {};
    try
    {
        // The byte at offset 1 chooses the layout when a STR# chunk is read: a plain count whose low
        // byte is 0xFD or more, or a format code whose high byte is below 0xFD, would read back
        // in the other layout, as a different table.
        if (m_plain)
        {
            if (m_strings.size() > kMaxCount)
                m_fault = {ERecordFault::TooManyEntries, std::uint32_t(kMaxCount)};
            else if ((m_strings.size() & 0xFF) >= kFirstLanguageByte)
                m_fault = {ERecordFault::AmbiguousCount, std::uint32_t(m_strings.size())};
            else if (type == kTypeTtas)
                m_fault = {ERecordFault::UnknownFormat, m_format};
            if (m_fault)
                return false;
            EncodePlain(data);
            return true;
        }
        if ((type == kTypeStr && (m_format >> 8) < kFirstLanguageByte) || m_format == kLengthPrefixedFormat)
        {
            m_fault = {ERecordFault::UnknownFormat, m_format};
            return false;
        }
        return EncodeLanguages(data);
    }
    catch (const std::bad_alloc&)
    {
        data.clear();
        m_fault = {ERecordFault::NoMemory};
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

bool CStringTable::FitsCodelessForm() const
{
    for (const CRow& row : m_rows)
    {
        if (m_format == kTextsFormat && !row[0].description.empty())
            return false;
        for (std::size_t slot = 1; slot < row.size(); ++slot)
            if (!row[slot].text.empty() || !row[slot].description.empty())
                return false;
    }
    return true;
}

bool CStringTable::EncodeLanguages(std::vector<std::uint8_t>& data) const
{
    data.resize(4);
    std::size_t count = 0;
    if (IsCodeless(m_format) && FitsCodelessForm())
    {
        WriteLE16(data.data(), m_format);
        for (const CRow& row : m_rows)
        {
            AppendTerminated(data, row[0].text);
            if (m_format == kPairsFormat)
                AppendTerminated(data, row[0].description);
        }
        count = m_rows.size();
    }
    else
    {
        // A codeless table given another language or a description it has no room for moves to
        // the coded form, which holds both.
        WriteLE16(data.data(), IsCodeless(m_format) ? kDefaultFormat : m_format);
        for (int slot = 0; slot < kSlotCount; ++slot)
        {
            // A language whose strings and descriptions are all empty says nothing and is left out.
            // USEnglish stays while there are rows, as tools that read the rows from it expect.
            const bool used = slot == 0 || std::any_of(m_rows.begin(), m_rows.end(), [slot](const CRow& row) {
                                  const CStringPair& pair = row[std::size_t(slot)];
                                  return !pair.text.empty() || !pair.description.empty();
                              });
            if (!used)
                continue;
            for (const CRow& row : m_rows)
            {
                const CStringPair& pair = row[std::size_t(slot)];
                data.push_back(CodeForSlot(slot));
                AppendTerminated(data, pair.text);
                AppendTerminated(data, pair.description);
            }
            count += m_rows.size();
        }
    }
    if (count > kMaxCount)
    {
        data.clear();
        m_fault = {ERecordFault::TooManyEntries, std::uint32_t(kMaxCount)};
        return false;
    }
    WriteLE16(data.data() + 2, std::uint16_t(count));
    return true;
}
