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
/// The language layout comes in three forms chosen by the format code: 0xFFFE holds a string and a
/// description per entry and 0xFFFF a string alone, both without language codes (all USEnglish);
/// every other code holds entries led by language codes. Format 0xFFFC is a length-prefixed layout
/// this program cannot edit.
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
    /// Length-prefixed entries, refused.
    static constexpr std::uint16_t kLengthPrefixedFormat = 0xFFFC;

    using CRow = std::array<CStringPair, kSlotCount>;

    /// Decodes the chunk of `type` and `id`. Fails, with the table empty, when the chunk is
    /// missing, its format is 0xFFFC, a language code is above 21, or the entry count or a string
    /// promises more than the data hold; a damaged table is never opened in part. Fault() says why.
    bool Load(const CIffFile& container, std::uint32_t type, std::uint16_t id);
    /// Encodes the table and puts it as `type` `id`, flags 0x0010, under the kept name. Fails
    /// without storing when the table cannot be written in its layout (see Encode).
    bool Store(CIffFile& container, std::uint32_t type, std::uint16_t id) const;

    /// Decodes chunk data as `type` would be read (only `STR#` may be plain). Same failures as Load.
    bool Decode(std::span<const std::uint8_t> data, std::uint32_t type);
    /// The chunk data for `type`. A table of format 0xFFFE or 0xFFFF is written in its own form
    /// while that form can hold it (USEnglish only; for 0xFFFF, no descriptions), otherwise with
    /// language codes under format 0xFFFD. With codes, a language is left out when all its strings
    /// and descriptions are empty, except USEnglish, which stays while there are rows. False when
    /// the counts do not fit their 16-bit fields, or when the chunk would be read back in the
    /// other layout: a plain table as `TTAs`, which is always read in the language layout; as
    /// `STR#`, a plain table of 253 to 255 strings (modulo 256), or a language table whose format
    /// code is below 0xFD00.
    bool Encode(std::uint32_t type, std::vector<std::uint8_t>& data) const;

    /// The slot of a language code (1 to 31); -1 for a code this program does not know.
    static int SlotForCode(std::uint8_t code);
    /// The language code written for a slot (0 to 20).
    static std::uint8_t CodeForSlot(int slot);
    /// The language's name as the strings editor lists it; empty for the last slot.
    static const char* SlotName(int slot);
    /// The code page of a slot's texts ("windows-1252", "cp932", ...). The table keeps the bytes;
    /// converting them for the user is the front ends' part. Plain tables are windows-1252.
    static const char* SlotCodePage(int slot);

    /// Why the last Load, Decode, Encode or Store failed.
    CRecordFault Fault() const { return m_fault; }

    std::uint32_t m_type = 0;
    bool m_plain = false;
    std::uint16_t m_format = kDefaultFormat;
    std::vector<std::string> m_strings;  // plain layout
    std::vector<CRow> m_rows;            // language layout
    std::string m_name;
    std::uint16_t m_id = 0;

private:
    bool DecodePlain(std::span<const std::uint8_t> data);
    bool DecodeLanguages(std::span<const std::uint8_t> data);
    void EncodePlain(std::vector<std::uint8_t>& data) const;
    bool EncodeLanguages(std::vector<std::uint8_t>& data) const;
    /// True when the table holds nothing the codeless form of its format cannot hold.
    bool FitsCodelessForm() const;

    mutable CRecordFault m_fault;
};
