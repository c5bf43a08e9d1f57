#include "ObjectDefinition.h"

#include "containers/ByteOrder.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "RecordCheck.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace
{
struct CNamedField
{
    std::uint16_t offset;
    const char* name;
    EObjectFieldKind kind;
};

constexpr EObjectFieldKind kNumber = EObjectFieldKind::Number;
constexpr EObjectFieldKind kScript = EObjectFieldKind::Script;
constexpr EObjectFieldKind kGuid = EObjectFieldKind::Guid;

// The fields as measured on real files; every other 16-bit field is "field at byte N".
constexpr CNamedField kNamedFields[] = {
    {4, "initial stack size", kNumber},
    {6, "base graphic", kNumber},
    {8, "number of graphics", kNumber},
    {10, "main script", kScript},
    {12, "gardening script", kScript},
    {14, "interaction table", kNumber},
    {16, "interaction group", kNumber},
    {18, "object type", kNumber},
    {20, "master id", kNumber},
    {22, "sub index", kNumber},
    {24, "wash hands script", kScript},
    {26, "animation table", kNumber},
    {28, "GUID", kGuid},
    {32, "disabled", kNumber},
    {34, "portal script", kScript},
    {36, "price", kNumber},
    {38, "body strings", kNumber},
    {40, "slot table", kNumber},
    {42, "allow intersection script", kScript},
    {44, "uses function table", kNumber},
    {48, "prepare food script", kScript},
    {50, "cook script", kScript},
    {52, "place on surface script", kScript},
    {54, "dispose script", kScript},
    {56, "eat script", kScript},
    {58, "pickup from slot script", kScript},
    {60, "wash dish script", kScript},
    {62, "eating surface script", kScript},
    {64, "sit script", kScript},
    {66, "stand script", kScript},
    {68, "sale price", kNumber},
    {70, "initial depreciation", kNumber},
    {72, "daily depreciation", kNumber},
    {74, "self depreciating", kNumber},
    {76, "depreciation limit", kNumber},
    {78, "room flags", kNumber},
    {80, "function flags", kNumber},
    {82, "catalog strings", kNumber},
    {84, "global", kNumber},
    {86, "init script", kScript},
    {88, "place script", kScript},
    {90, "user pickup script", kScript},
    {92, "wall style", kNumber},
    {94, "load script", kScript},
    {96, "user place script", kScript},
    {98, "object version", kNumber},
    {100, "room change script", kScript},
    {102, "motive effects", kNumber},
    {104, "cleanup script", kScript},
    {106, "level info request script", kScript},
    {108, "catalog popup", kNumber},
    {110, "serving surface script", kScript},
    {112, "level offset", kNumber},
    {114, "shadow", kNumber},
    {116, "number of attributes", kNumber},
    {118, "clean script", kScript},
    {120, "queue skipped script", kScript},
    {122, "front direction", kNumber},
    {124, "wall adjacency changed script", kScript},
    {126, "lead object", kNumber},
    {128, "dynamic sprite base id", kNumber},
    {130, "number of dynamic sprites", kNumber},
    {132, "chair entry flags", kNumber},
    {134, "tile width", kNumber},
    {136, "inhibit suit copying", kNumber},
    {138, "build mode type", kNumber},
    {140, "original GUID", kGuid},
    {144, "suit GUID", kGuid},
    {148, "pickup script", kScript},
    {150, "thumbnail graphic", kNumber},
    {152, "shadow flags", kNumber},
    {154, "footprint mask", kNumber},
    {156, "dynamic multi-tile update script", kScript},
    {158, "shadow brightness", kNumber},
    {160, "repair script", kScript},
};

const CNamedField* NamedFieldAt(std::uint16_t offset)
{
    for (const CNamedField& field : kNamedFields)
        if (field.offset == offset)
            return &field;
    return nullptr;
}

// The offset a GUID's second half lies at belongs to that GUID, not to a field of its own.
bool InsideGuid(std::uint16_t offset)
{
    const CNamedField* field = offset >= 2 ? NamedFieldAt(std::uint16_t(offset - 2)) : nullptr;
    return field != nullptr && field->kind == kGuid;
}
}

std::string ObjectFieldName(std::uint16_t offset)
{
    if (const CNamedField* field = NamedFieldAt(offset))
        return field->name;
    return "field at byte " + std::to_string(offset);
}

std::optional<std::uint16_t> ObjectFieldOffset(const std::string& name)
{
    for (const CNamedField& field : kNamedFields)
        if (name == field.name)
            return field.offset;
    return std::nullopt;
}

CObjectDefinition::CObjectDefinition() : m_data(kNewSize, 0)
{
    WriteLE32(m_data.data(), kVersion);
}

CRecordStatus CObjectDefinition::Load(const CIffFile& container, std::uint16_t id)
{
    return LoadRecordChunk(container, kTypeObjd, id, [&](const CIffChunk& chunk, std::span<const std::uint8_t> data) {
        m_name = chunk.name;
        m_id = id;
        return Decode(data);
    });
}

CRecordStatus CObjectDefinition::Decode(std::span<const std::uint8_t> data)
{
    // Another version may place its fields elsewhere, and a field cut in half cannot be shown or
    // written back as a number: either would put wrong values into the editor.
    if (data.size() < kMinSize)
        return Fail(ERecordFault::TooShort, kMinSize).AtOffset(data.size());
    if (const std::uint32_t version = ReadLE32(data.data()); version != kVersion && version != kOlderVersion)
        return Fail(ERecordFault::UnknownVersion, version).AtOffset(0);
    if (data.size() % 2 != 0)
        return Fail(ERecordFault::OddLength, std::uint32_t(data.size())).AtOffset(data.size() - 1);
    m_data.assign(data.begin(), data.end());
    return {};
}

CRecordStatus CObjectDefinition::Store(CIffFile& container, std::uint16_t id) const
{
    return PutEncodedRecord(container, kTypeObjd, id, m_name, m_data);
}

std::uint32_t CObjectDefinition::Version() const
{
    return ReadLE32(m_data.data());
}

CObjectField CObjectDefinition::FieldBeginningAt(std::uint16_t offset) const
{
    const CNamedField* named = NamedFieldAt(offset);
    // A GUID that the data cut in half is shown as the 16-bit field that remains.
    const EObjectFieldKind kind =
        named == nullptr || (named->kind == kGuid && std::size_t(offset) + 4 > m_data.size()) ? kNumber : named->kind;
    return {offset, ObjectFieldName(offset), kind};
}

std::vector<CObjectField> CObjectDefinition::Fields() const
{
    std::vector<CObjectField> fields;
    for (std::size_t offset = kFirstFieldOffset; offset + 2 <= m_data.size(); offset += fields.back().Size())
        fields.push_back(FieldBeginningAt(std::uint16_t(offset)));
    return fields;
}

std::optional<CObjectField> CObjectDefinition::FieldAt(std::uint16_t offset) const
{
    if (offset < kFirstFieldOffset || offset % 2 != 0 || std::size_t(offset) + 2 > m_data.size() || InsideGuid(offset))
        return std::nullopt;
    return FieldBeginningAt(offset);
}

std::uint32_t CObjectDefinition::Value(std::uint16_t offset) const
{
    const std::optional<CObjectField> field = FieldAt(offset);
    if (!field)
        return 0;
    return field->kind == kGuid ? ReadLE32(m_data.data() + offset) : ReadLE16(m_data.data() + offset);
}

std::string CObjectDefinition::ValueProblem(std::uint16_t offset, std::int64_t value) const
{
    const std::optional<CObjectField> field = FieldAt(offset);
    if (!field)
        return "No field of this object definition begins at byte " + std::to_string(offset) + ".";
    if (field->kind == kGuid)
        return value < 0 || value > 0xFFFFFFFFll ? "The " + field->name + " takes a number from 0 to 4294967295."
                                                 : std::string();
    if (field->kind == kScript)
        return value < 0 || value > 0xFFFF ? "The " + field->name + " takes a script id from 0 to 65535."
                                           : std::string();
    return value < -32768 || value > 0xFFFF ? "The " + field->name + " takes a number from -32768 to 65535."
                                            : std::string();
}

bool CObjectDefinition::SetValue(std::uint16_t offset, std::int64_t value)
{
    if (!ValueProblem(offset, value).empty())
        return false;
    if (FieldAt(offset)->kind == kGuid)
        WriteLE32(m_data.data() + offset, std::uint32_t(value));
    else
        WriteLE16(m_data.data() + offset, std::uint16_t(value));
    return true;
}

std::vector<CObjectGuid> ObjectGuids(const CIffFile& container)
{
    std::vector<CObjectGuid> guids;
    for (const std::uint16_t id : ChunkIdsOfType(container, kTypeObjd))
    {
        CObjectDefinition object;
        if (object.Load(container, id))
            guids.push_back({id, object.Name(), object.Guid()});
    }
    return guids;
}

std::vector<std::uint32_t> UsedObjectGuids(const CIffFile& container)
{
    std::vector<std::uint32_t> guids;
    for (const CObjectGuid& object : ObjectGuids(container))
        guids.push_back(object.guid);
    return guids;
}

std::string ObjectGuidProblem(const CIffFile& container, std::uint16_t id, std::uint32_t guid)
{
    for (const CObjectGuid& other : ObjectGuids(container))
        if (other.id != id && other.guid == guid)
            return "GUID " + GuidText(guid) + " is in use by OBJD #" + std::to_string(other.id) + " \"" + other.name +
                   "\".";
    return {};
}

std::string GuidText(std::uint32_t guid)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", unsigned(guid));
    return text;
}

std::uint32_t DrawObjectGuid(const std::vector<std::uint32_t>& used)
{
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::uint32_t> draw(1, 0xFFFFFFFFu);
    for (;;)
    {
        const std::uint32_t guid = draw(generator);
        if (std::find(used.begin(), used.end(), guid) == used.end())
            return guid;
    }
}
