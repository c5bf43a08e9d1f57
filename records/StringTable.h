#pragma once

#include "RecordFault.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CIffFile;

/// One language's text of a row: the string and its description, bytes in the language's code page
/// (CStringTable::SlotCodePage).
struct CStringPair
{
    std::string text;
    std::string description;

    bool operator==(const CStringPair&) const = default;
};

/// A string table (`STR#` or `TTAs` chunk), in the plain layout (a list of short strings) or the
/// language layout (rows of 21 language slots, each a string and a description). Slot s holds
/// language code s + 1.
///
/// The language layout comes in four forms chosen by the format code: 0xFFFE holds a string and a
/// description per entry and 0xFFFF a string alone, both without language codes (all USEnglish);
/// 0xFFFC holds one set of entries per language, each text led by its length; every other code
/// holds entries led by language codes. A table keeps its form when stored while the form can hold
/// it, so that an unchanged table stores back as the bytes it was read from.
///
/// The table keeps its own invariants: every row has its language bytes (0xFFFC), and a plain
/// table has strings but no rows. Front ends change it only through the operations below.
class CStringTable
{
public:
    static constexpr int kSlotCount = 21;
    /// The longest string the plain layout's length byte can describe.
    static constexpr std::size_t kMaxPlainStringLength = 255;
    /// The format code of a table made new, which selects the language layout when read back.
    static constexpr std::uint16_t kDefaultFormat = 0xFFFD;
    /// Entries of a string and a description, no language codes.
    static constexpr std::uint16_t kPairsFormat = 0xFFFE;
    /// Entries of a string alone, no language codes and no descriptions.
    static constexpr std::uint16_t kTextsFormat = 0xFFFF;
    /// One set of length-prefixed entries per language.
    static constexpr std::uint16_t kLanguageSetsFormat = 0xFFFC;
    /// In the 0xFFFC form, the first and last set whose texts carry code-page bytes as the
    /// characters U+0000 to U+00FF (Japanese to Korean); every other set holds UTF-8.
    static constexpr int kFirstCarriedSet = 14;
    static constexpr int kLastCarriedSet = 19;

    using CRow = std::array<CStringPair, kSlotCount>;

    /// A plain table (`STR#` only) of these strings, each bytes in windows-1252.
    static CStringTable Plain(std::vector<std::string> strings, std::string name = {});
    /// A language table of `format` with these rows.
    static CStringTable Languages(std::vector<CRow> rows, std::uint16_t format = kDefaultFormat, std::string name = {});

    /// Decodes the chunk of `type` and `id`. Fails, with the table empty, when the chunk is
    /// missing, a language code is above 21, the entry count or a string promises more than the
    /// data hold, or a 0xFFFC table is not as its layout is written (see Decode); a damaged table
    /// is never opened in part. The failure says why, and where.
    [[nodiscard]] CRecordStatus Load(const CIffFile& container, std::uint32_t type, std::uint16_t id);
    /// Encodes the table and puts it as `type` `id`, flags 0x0010, under the kept name. Fails
    /// without storing when the table cannot be written in its layout (see Encode).
    [[nodiscard]] CRecordStatus Store(CIffFile& container, std::uint32_t type, std::uint16_t id) const;

    /// Decodes chunk data as `type` would be read (only `STR#` may be plain). Same failures as
    /// Load. A 0xFFFC table is refused where storing it would not give back its bytes: bytes after
    /// the last set, a text that is not UTF-8 (or, in sets 14 to 19, holds a character above
    /// U+00FF), a length not written in the fewest bytes, a set that is not empty but has another
    /// entry count than set 0 or only empty texts (other than set 0), or text in a set past 21.
    [[nodiscard]] CRecordStatus Decode(std::span<const std::uint8_t> data, std::uint32_t type);
    /// The chunk data for `type`. A table of format 0xFFFE or 0xFFFF is written in its own form
    /// while that form can hold it (USEnglish only; for 0xFFFF, no descriptions), otherwise with
    /// language codes under format 0xFFFD; a table of 0xFFFC is always written as 0xFFFC. With
    /// codes or sets, a language is left out when all its strings and descriptions are empty,
    /// except USEnglish, which stays while there are rows. False when the counts do not fit their
    /// 16-bit fields, when a 0xFFFC text is not what its set holds, or when the chunk would be read
    /// back in the other layout: a plain table as `TTAs`, which is always read in the language
    /// layout; as `STR#`, a plain table of 253 to 255 strings (modulo 256), or a language table
    /// whose format code is below 0xFD00.
    [[nodiscard]] CRecordResult<std::vector<std::uint8_t>> Encode(std::uint32_t type) const;

    /// The slot of a language code (1 to 31); -1 for a code this program does not know.
    static int SlotForCode(std::uint8_t code);
    /// The language code written for a slot (0 to 20).
    static std::uint8_t CodeForSlot(int slot);
    /// The language's name as the strings editor lists it; empty for the last slot.
    static const char* SlotName(int slot);
    /// The code page of a slot's texts in the coded forms ("windows-1252", "cp932", ...). The
    /// table keeps the bytes; converting them for the user is the front ends' part.
    static const char* SlotCodePage(int slot);
    /// The code page of a slot's texts in this table: "utf-8" for the UTF-8 sets of a 0xFFFC
    /// table, SlotCodePage otherwise; windows-1252 for a plain table.
    const char* CodePage(int slot) const;

    bool IsPlain() const { return m_plain; }
    std::uint16_t Format() const { return m_format; }
    const std::string& Name() const { return m_name; }
    /// The id of the chunk last loaded.
    std::uint16_t Id() const { return m_id; }
    /// The strings of a plain table.
    const std::vector<std::string>& Strings() const { return m_strings; }
    /// The rows of a language table.
    const std::vector<CRow>& Rows() const { return m_rows; }
    /// The number of strings (plain table) or rows (language table).
    std::size_t LineCount() const { return m_plain ? m_strings.size() : m_rows.size(); }

    void SetName(std::string name) { m_name = std::move(name); }
    /// Changes string `index` of a plain table; false when there is no such string.
    bool SetString(std::size_t index, std::string text);
    /// Changes one language's string or description of a row; false when there is no such row or
    /// slot, or the table is plain.
    bool SetText(std::size_t row, int slot, std::string text);
    bool SetDescription(std::size_t row, int slot, std::string description);
    /// Appends an empty string (plain table) or a row of empty texts, whose entries carry their
    /// sets' language bytes.
    void AddLine();
    /// Appends a row to a language table; false, unchanged, for a plain table, whose strings a row
    /// has no place among.
    bool AddRow(CRow row);
    /// Removes string or row `index`; false when there is none.
    bool RemoveLine(std::size_t index);

private:
    // The language byte of each entry of a row, per set; only the 0xFFFC form writes them.
    using CEntryBytes = std::array<std::uint8_t, kSlotCount>;
    static CEntryBytes DefaultEntryBytes();

    CRecordStatus DecodePlain(std::span<const std::uint8_t> data);
    CRecordStatus DecodeLanguages(std::span<const std::uint8_t> data);
    CRecordStatus DecodeLanguageSets(std::span<const std::uint8_t> data);
    void EncodePlain(std::vector<std::uint8_t>& data) const;
    CRecordStatus EncodeLanguages(std::vector<std::uint8_t>& data) const;
    CRecordStatus EncodeLanguageSets(std::vector<std::uint8_t>& data) const;
    /// True when the table holds nothing the codeless form of its format cannot hold.
    bool FitsCodelessForm() const;
    /// True when slot `slot` has a string or description in some row.
    bool SlotUsed(int slot) const;

    bool m_plain = false;
    std::uint16_t m_format = kDefaultFormat;
    std::vector<std::string> m_strings;  // plain layout
    std::vector<CRow> m_rows;            // language layout
    std::vector<CEntryBytes> m_entryBytes;  // one per row
    std::uint8_t m_setCount = kLastCarriedSet + 1;  // 0xFFFC: the number of sets read
    std::string m_name;
    std::uint16_t m_id = 0;
};
