#pragma once

#include "RecordFault.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

class CIffFile;

/// What a field of an object definition holds.
enum class EObjectFieldKind
{
    Number,  // a 16-bit number (an id of another record, a price, flags, ...)
    Script,  // a 16-bit script id; 0 names no script
    Guid,    // a 32-bit GUID
};

/// One field of an object definition: where it begins, what the editor and the CLI call it.
struct CObjectField
{
    std::uint16_t offset = 0;
    std::string name;  // the table's name, or "field at byte N"
    EObjectFieldKind kind = EObjectFieldKind::Number;

    std::size_t Size() const { return kind == EObjectFieldKind::Guid ? 4 : 2; }
};

/// The name of the field that begins at `offset`: the table's name, or "field at byte N".
std::string ObjectFieldName(std::uint16_t offset);
/// The offset of the field named `name` in the table; nothing for a name the table does not hold.
std::optional<std::uint16_t> ObjectFieldOffset(const std::string& name);

/// An object definition (`OBJD` chunk): a 32-bit version, then 16-bit fields, three of which pair
/// up into 32-bit GUIDs.
///
/// The record keeps the chunk's bytes as read and reads and writes its fields in place, so a load
/// and store without a change gives the bytes back exactly, fields this program does not name
/// included.
class CObjectDefinition
{
public:
    static constexpr std::uint32_t kVersion = 142;
    static constexpr std::uint32_t kOlderVersion = 138;
    /// Up to the end of the GUID: anything shorter cannot say which object it is.
    static constexpr std::size_t kMinSize = 32;
    /// What a new definition of version 142 holds.
    static constexpr std::size_t kNewSize = 214;
    static constexpr std::uint16_t kGuidOffset = 28;
    static constexpr std::uint16_t kOriginalGuidOffset = 140;
    static constexpr std::uint16_t kSuitGuidOffset = 144;
    /// Where the 16-bit fields begin, after the version.
    static constexpr std::uint16_t kFirstFieldOffset = 4;

    /// A new definition: version 142, 214 bytes, every field 0.
    CObjectDefinition();

    /// Decodes the `OBJD` chunk `id`. Fails when it is missing, shorter than 32 bytes, of a version
    /// other than 142 and 138 or of odd length; the failure says which, and the fields are left as
    /// they were.
    [[nodiscard]] CRecordStatus Load(const CIffFile& container, std::uint16_t id);
    /// Decodes chunk data; same failures as Load.
    [[nodiscard]] CRecordStatus Decode(std::span<const std::uint8_t> data);
    /// The chunk data: the bytes as read with the changed fields written in.
    const std::vector<std::uint8_t>& Encode() const { return m_data; }
    /// Puts the definition as `OBJD` `id`, flags 0x0010, under the kept name.
    [[nodiscard]] CRecordStatus Store(CIffFile& container, std::uint16_t id) const;

    std::uint32_t Version() const;
    std::size_t Size() const { return m_data.size(); }
    /// Every field the definition holds, in offset order: the named ones and "field at byte N" for
    /// the rest; each GUID is one field.
    std::vector<CObjectField> Fields() const;
    /// The field that begins at `offset`; nothing when none does in this definition.
    std::optional<CObjectField> FieldAt(std::uint16_t offset) const;
    /// The field's value (16 or 32 bits); 0 when no field begins at `offset`.
    std::uint32_t Value(std::uint16_t offset) const;
    /// Why `value` cannot go into the field at `offset`, as a sentence; empty when it can. A 16-bit
    /// field takes -32768 to 65535 (a negative value as its two's complement), a GUID 0 to
    /// 4294967295.
    std::string ValueProblem(std::uint16_t offset, std::int64_t value) const;
    /// Sets the field; false, with nothing changed, when ValueProblem has one.
    bool SetValue(std::uint16_t offset, std::int64_t value);

    std::uint32_t Guid() const { return Value(kGuidOffset); }
    void SetGuid(std::uint32_t guid) { SetValue(kGuidOffset, guid); }

    const std::string& Name() const { return m_name; }
    void SetName(std::string name) { m_name = std::move(name); }
    /// The id of the chunk last loaded.
    std::uint16_t Id() const { return m_id; }

private:
    std::string m_name;
    std::uint16_t m_id = 0;

    CObjectField FieldBeginningAt(std::uint16_t offset) const;

    std::vector<std::uint8_t> m_data;
};

/// Every object definition of the file that loads, with its id, name and GUID, in directory order.
struct CObjectGuid
{
    std::uint16_t id = 0;
    std::string name;
    std::uint32_t guid = 0;
};
std::vector<CObjectGuid> ObjectGuids(const CIffFile& container);
/// The GUIDs alone, for drawing a new one that none of them is.
std::vector<std::uint32_t> UsedObjectGuids(const CIffFile& container);

/// Why object `id` of the file cannot take `guid`: another definition of the file uses it
/// ("GUID 0x00053216 is in use by OBJD #129 \"Chair\"."); empty when none does.
std::string ObjectGuidProblem(const CIffFile& container, std::uint16_t id, std::uint32_t guid);

/// The GUID as the editor and the CLI show it: "0x" and eight upper-case hexadecimal digits.
std::string GuidText(std::uint32_t guid);

/// A random GUID that is neither 0 nor in `used`.
std::uint32_t DrawObjectGuid(const std::vector<std::uint32_t>& used);
