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

bool IsCarriedSet(int set)
{
    return set >= CStringTable::kFirstCarriedSet && set <= CStringTable::kLastCarriedSet;
}

// A length of the 0xFFFC form: seven bits a byte, low group first, the top bit saying another
// follows. Five groups reach past any length a chunk can hold.
constexpr int kMaxLengthGroups = 5;

void AppendLength(std::vector<std::uint8_t>& data, std::size_t length)
{
    do
    {
        const auto group = std::uint8_t(length & 0x7F);
        length >>= 7;
        data.push_back(length != 0 ? std::uint8_t(group | 0x80) : group);
    } while (length != 0);
}

// What a length-prefixed text can go wrong with, beyond running out of data.
enum class ELengthText
{
    Read,
    OutOfData,
    Overlong,
};

ELengthText ReadLengthText(CByteReader& reader, std::string& text)
{
    std::uint64_t length = 0;
    for (int group = 0;; ++group)
    {
        if (group == kMaxLengthGroups)
            return ELengthText::Overlong;
        const std::uint8_t byte = reader.U8();
        if (reader.OutOfData())
            return ELengthText::OutOfData;
        length |= std::uint64_t(byte & 0x7F) << (7 * group);
        if ((byte & 0x80) == 0)
        {
            // A last group of 0 after others adds nothing: written again it would be shorter.
            if (byte == 0 && group > 0)
                return ELengthText::Overlong;
            break;
        }
    }
    const std::span<const std::uint8_t> bytes = reader.Bytes(length);
    if (reader.OutOfData())
        return ELengthText::OutOfData;
    text.assign(bytes.begin(), bytes.end());
    return ELengthText::Read;
}

// Sets 14 to 19 hold code-page bytes, each written as the character of its value: the bytes back
// from such UTF-8, false when a character lies above U+00FF or the text is not UTF-8.
bool Uncarried(const std::string& text, std::string& bytes)
{
    bytes.clear();
    if (!IsValidUtf8(text))
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const auto lead = std::uint8_t(text[i]);
        if (lead < 0x80)
        {
            bytes.push_back(char(lead));
            continue;
        }
        if (lead > 0xC3)
            return false;
        bytes.push_back(char(((lead & 0x03) << 6) | (std::uint8_t(text[++i]) & 0x3F)));
    }
    return true;
}

void AppendCarried(std::vector<std::uint8_t>& data, const std::string& bytes)
{
    AppendLength(data, bytes.size() + std::size_t(std::count_if(bytes.begin(), bytes.end(),
                                                                [](char c) { return std::uint8_t(c) >= 0x80; })));
    for (const char c : bytes)
    {
        const auto byte = std::uint8_t(c);
        if (byte < 0x80)
        {
            data.push_back(byte);
        }
        else
        {
            data.push_back(std::uint8_t(0xC0 | (byte >> 6)));
            data.push_back(std::uint8_t(0x80 | (byte & 0x3F)));
        }
    }
}

void AppendLengthText(std::vector<std::uint8_t>& data, const std::string& text)
{
    AppendLength(data, text.size());
    data.insert(data.end(), text.begin(), text.end());
}
}

CStringTable CStringTable::Plain(std::vector<std::string> strings, std::string name)
{
    CStringTable table;
    table.m_plain = true;
    table.m_strings = std::move(strings);
    table.m_name = std::move(name);
    return table;
}

CStringTable CStringTable::Languages(std::vector<CRow> rows, std::uint16_t format, std::string name)
{
    CStringTable table;
    table.m_format = format;
    table.m_rows = std::move(rows);
    table.m_entryBytes.assign(table.m_rows.size(), DefaultEntryBytes());
    table.m_name = std::move(name);
    return table;
}

CStringTable::CEntryBytes CStringTable::DefaultEntryBytes()
{
    CEntryBytes bytes{};
    for (int set = 0; set < kSlotCount; ++set)
        bytes[std::size_t(set)] = std::uint8_t(set);
    return bytes;
}

const char* CStringTable::CodePage(int slot) const
{
    if (m_plain)
        return kWindows1252;
    if (m_format == kLanguageSetsFormat && !IsCarriedSet(slot))
        return kUtf8;
    return SlotCodePage(slot);
}

bool CStringTable::SetString(std::size_t index, std::string text)
{
    if (!m_plain || index >= m_strings.size())
        return false;
    m_strings[index] = std::move(text);
    return true;
}

bool CStringTable::SetText(std::size_t row, int slot, std::string text)
{
    if (m_plain || row >= m_rows.size() || slot < 0 || slot >= kSlotCount)
        return false;
    m_rows[row][std::size_t(slot)].text = std::move(text);
    return true;
}

bool CStringTable::SetDescription(std::size_t row, int slot, std::string description)
{
    if (m_plain || row >= m_rows.size() || slot < 0 || slot >= kSlotCount)
        return false;
    m_rows[row][std::size_t(slot)].description = std::move(description);
    return true;
}

void CStringTable::AddLine()
{
    if (m_plain)
        m_strings.emplace_back();
    else
        (void)AddRow({});
}

bool CStringTable::AddRow(CRow row)
{
    if (m_plain)
        return false;
    m_rows.push_back(std::move(row));
    m_entryBytes.push_back(DefaultEntryBytes());
    return true;
}

bool CStringTable::RemoveLine(std::size_t index)
{
    if (index >= LineCount())
        return false;
    if (m_plain)
    {
        m_strings.erase(m_strings.begin() + std::ptrdiff_t(index));
    }
    else
    {
        m_rows.erase(m_rows.begin() + std::ptrdiff_t(index));
        m_entryBytes.erase(m_entryBytes.begin() + std::ptrdiff_t(index));
    }
    return true;
}

bool CStringTable::SlotUsed(int slot) const
{
    return std::any_of(m_rows.begin(), m_rows.end(), [slot](const CRow& row) {
        const CStringPair& pair = row[std::size_t(slot)];
        return !pair.text.empty() || !pair.description.empty();
    });
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

CRecordStatus CStringTable::Load(const CIffFile& container, std::uint32_t type, std::uint16_t id)
{
    m_strings.clear();
    m_rows.clear();
    m_entryBytes.clear();
    return LoadRecordChunk(container, type, id, [&](const CIffChunk& chunk, std::span<const std::uint8_t> data) {
        m_name = chunk.name;
        m_id = id;
        return Decode(data, type);
    });
}

CRecordStatus CStringTable::Store(CIffFile& container, std::uint32_t type, std::uint16_t id) const
{
    return PutEncodedRecord(container, type, id, m_name, Encode(type));
}

CRecordStatus CStringTable::Decode(std::span<const std::uint8_t> data, std::uint32_t type)
{
    m_strings.clear();
    m_rows.clear();
    m_entryBytes.clear();
    // Both layouts begin with a 16-bit number; without it the table cannot even be told apart.
    CByteReader reader(data);
    m_format = reader.U16LE();
    if (reader.OutOfData())
        return Fail(ERecordFault::Damaged).AtOffset(0);
    m_plain = type != kTypeTtas && (m_format >> 8) < kFirstLanguageByte;
    CRecordStatus loaded;
    try
    {
        loaded = m_plain                            ? DecodePlain(data)
                 : m_format == kLanguageSetsFormat ? DecodeLanguageSets(data)
                                                   : DecodeLanguages(data);
        if (loaded && !m_plain)
            m_entryBytes.resize(m_rows.size(), DefaultEntryBytes());
    }
    catch (const std::bad_alloc&)
    {
        loaded = Fail(ERecordFault::NoMemory);
    }
    if (!loaded)
    {
        m_strings.clear();
        m_rows.clear();
        m_entryBytes.clear();
    }
    return loaded;
}

CRecordStatus CStringTable::DecodePlain(std::span<const std::uint8_t> data)
{
    CByteReader reader(data);
    const std::size_t count = reader.U16BE();
    // Every string takes at least its length byte: a count of 65535 in a short chunk must not
    // reserve room for that many strings.
    m_strings.reserve(std::min(count, reader.Remaining()));
    for (std::size_t i = 0; i < count && !reader.OutOfData(); ++i)
        m_strings.push_back(reader.Text8());
    if (reader.OutOfData())
        return Damaged(reader);
    return {};
}

CRecordStatus CStringTable::DecodeLanguages(std::span<const std::uint8_t> data)
{
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
                return Fail(ERecordFault::UnknownLanguage, first).AtOffset(reader.Position());
            reader.Skip(1);
        }
        CStringPair pair;
        pair.text = reader.CString();
        if (descriptions)
            pair.description = reader.CString();
        slots[std::size_t(slot)].push_back(std::move(pair));
    }
    if (reader.OutOfData())
        return Damaged(reader);

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
    return {};
}

CRecordStatus CStringTable::DecodeLanguageSets(std::span<const std::uint8_t> data)
{
    CByteReader reader(data, 2);
    const std::size_t sets = reader.U8();
    // Every set takes at least its two-byte count.
    if (reader.OutOfData() || !reader.Has(2 * std::uint64_t(sets)))
        return Damaged(reader);
    m_setCount = std::uint8_t(sets);
    std::array<std::vector<CStringPair>, kSlotCount> slots;
    std::array<std::vector<std::uint8_t>, kSlotCount> bytes;
    for (std::size_t set = 0; set < sets; ++set)
    {
        const std::size_t count = reader.U16LE();
        // The counts were only known to fit while every set before this one was empty.
        if (reader.OutOfData())
            return Damaged(reader);
        if (count == 0)
            continue;
        if (set >= std::size_t(kSlotCount))
            return Fail(ERecordFault::UnknownLanguage, set + 1).AtOffset(reader.Position() - 2);
        // An entry takes at least three bytes: its language byte and two empty lengths.
        if (!reader.Has(3 * std::uint64_t(count)))
            return Damaged(reader);
        slots[set].reserve(count);
        for (std::size_t i = 0; i < count; ++i)
        {
            bytes[set].push_back(reader.U8());
            CStringPair pair;
            for (std::string* text : {&pair.text, &pair.description})
            {
                const std::size_t textStart = reader.Position();
                switch (ReadLengthText(reader, *text))
                {
                case ELengthText::Read:
                    break;
                case ELengthText::OutOfData:
                    return Damaged(reader);
                case ELengthText::Overlong:
                    return Fail(ERecordFault::OverlongLength).AtOffset(textStart);
                }
                if (IsCarriedSet(int(set)))
                {
                    std::string carried;
                    if (!Uncarried(*text, carried))
                        return Fail(IsValidUtf8(*text) ? ERecordFault::UncarriedText : ERecordFault::InvalidText, set)
                            .AtOffset(textStart);
                    *text = std::move(carried);
                }
                else if (!IsValidUtf8(*text))
                    return Fail(ERecordFault::InvalidText, set).AtOffset(textStart);
            }
            slots[set].push_back(std::move(pair));
        }
    }
    if (!reader.AtEnd())
        return Fail(ERecordFault::TrailingBytes, std::min<std::size_t>(reader.Remaining(), 0xFFFFFFFF))
            .AtOffset(reader.Position());

    // Stored, every set but the first is written with as many entries as the first, or left
    // empty when it holds no text: a set read otherwise would not store back as it was.
    const std::size_t rows = slots[0].size();
    for (std::size_t set = 1; set < slots.size(); ++set)
    {
        const bool empty = std::all_of(slots[set].begin(), slots[set].end(), [](const CStringPair& pair) {
            return pair.text.empty() && pair.description.empty();
        });
        if (!slots[set].empty() && (slots[set].size() != rows || empty))
            return Fail(ERecordFault::UnstorableSet, set);
    }
    m_rows.resize(rows);
    m_entryBytes.assign(rows, DefaultEntryBytes());
    for (std::size_t set = 0; set < slots.size(); ++set)
        for (std::size_t r = 0; r < slots[set].size(); ++r)
        {
            m_rows[r][set] = std::move(slots[set][r]);
            m_entryBytes[r][set] = bytes[set][r];
        }
    return {};
}

CRecordResult<std::vector<std::uint8_t>> CStringTable::Encode(std::uint32_t type) const
{
    try
    {
        std::vector<std::uint8_t> data;
        // The byte at offset 1 chooses the layout when a STR# chunk is read: a plain count whose low
        // byte is 0xFD or more, or a format code whose high byte is below 0xFD, would read back
        // in the other layout, as a different table.
        if (m_plain)
        {
            if (m_strings.size() > kMaxCount)
                return Fail(ERecordFault::TooManyEntries, kMaxCount);
            if ((m_strings.size() & 0xFF) >= kFirstLanguageByte)
                return Fail(ERecordFault::AmbiguousCount, m_strings.size());
            if (type == kTypeTtas)
                return Fail(ERecordFault::UnknownFormat, m_format);
            EncodePlain(data);
            return data;
        }
        if (type == kTypeStr && (m_format >> 8) < kFirstLanguageByte)
            return Fail(ERecordFault::UnknownFormat, m_format);
        const CRecordStatus encoded = m_format == kLanguageSetsFormat ? EncodeLanguageSets(data) : EncodeLanguages(data);
        if (!encoded)
            return encoded.Failure();
        return data;
    }
    catch (const std::bad_alloc&)
    {
        return Fail(ERecordFault::NoMemory);
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

CRecordStatus CStringTable::EncodeLanguages(std::vector<std::uint8_t>& data) const
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
            if (slot != 0 && !SlotUsed(slot))
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
        return Fail(ERecordFault::TooManyEntries, kMaxCount);
    WriteLE16(data.data() + 2, std::uint16_t(count));
    return {};
}

CRecordStatus CStringTable::EncodeLanguageSets(std::vector<std::uint8_t>& data) const
{
    if (m_rows.size() > kMaxCount)
        return Fail(ERecordFault::TooManyEntries, kMaxCount);
    // As many sets as were read, or more when a language past them has been given text.
    int sets = m_setCount;
    for (int slot = kSlotCount - 1; slot >= sets; --slot)
        if (SlotUsed(slot))
        {
            sets = slot + 1;
            break;
        }
    data.resize(3);
    WriteLE16(data.data(), kLanguageSetsFormat);
    data[2] = std::uint8_t(sets);
    for (int set = 0; set < sets; ++set)
    {
        // As in the coded form: a language with nothing in it is an empty set, but the first
        // set, which the others follow in number, stays while there are rows.
        const bool written = set < kSlotCount && !m_rows.empty() && (set == 0 || SlotUsed(set));
        const std::size_t count = written ? m_rows.size() : 0;
        data.push_back(std::uint8_t(count & 0xFF));
        data.push_back(std::uint8_t(count >> 8));
        for (std::size_t r = 0; r < count; ++r)
        {
            const CStringPair& pair = m_rows[r][std::size_t(set)];
            data.push_back(m_entryBytes[r][std::size_t(set)]);
            for (const std::string* text : {&pair.text, &pair.description})
            {
                if (IsCarriedSet(set))
                {
                    AppendCarried(data, *text);
                }
                else if (IsValidUtf8(*text))
                {
                    AppendLengthText(data, *text);
                }
                else
                {
                    return Fail(ERecordFault::InvalidText, std::uint64_t(set));
                }
            }
        }
    }
    return {};
}
