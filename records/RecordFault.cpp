#include "RecordFault.h"

#include "containers/ByteReader.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"

#include <cstdio>

namespace
{
std::string Formatted(const char* pattern, std::uint64_t value)
{
    char text[128];
    std::snprintf(text, sizeof text, pattern, unsigned(value));
    return text;
}
}

std::string RecordFaultText(std::uint32_t type, const CRecordFault& fault)
{
    const char* record = type == kTypeBhav ? "script" : type == kTypeObjd ? "object definition" : "table";
    switch (fault.what)
    {
    case ERecordFault::None:
        return {};
    case ERecordFault::Missing:
        return std::string("the ") + record + " is not in the file";
    case ERecordFault::NoMemory:
        return "there is not enough memory to open it";
    case ERecordFault::Damaged:
        return std::string("the ") + record + " is damaged: it promises more than its data hold";
    case ERecordFault::UnknownFormat:
        return Formatted("format 0x%04X is not one this program can edit", fault.value);
    case ERecordFault::UnknownVersion:
        return Formatted("version %u is not one this program can edit", fault.value);
    case ERecordFault::UnknownLanguage:
        return Formatted("language code %u is not one this program knows", fault.value);
    case ERecordFault::LayoutMismatch:
        return Formatted("its interactions do not fill it as version %u is laid out here, so it cannot be "
                         "edited without changing it",
                         fault.value);
    case ERecordFault::TooManyEntries:
        return Formatted("it holds more entries than its layout can count (at most %u)", fault.value);
    case ERecordFault::AmbiguousCount:
        return Formatted("a plain string table of %u strings would read back as a table of languages; "
                         "add or remove a string",
                         fault.value);
    case ERecordFault::NotStored:
        return "the file cannot grow to hold it";
    case ERecordFault::TrailingBytes:
        return Formatted("%u bytes follow the end of its layout, which storing it would not keep", fault.value);
    case ERecordFault::InvalidText:
        return Formatted("a text of language set %u is not valid UTF-8", fault.value);
    case ERecordFault::UncarriedText:
        return Formatted("a text of language set %u holds a character above U+00FF where its code page's bytes "
                         "belong",
                         fault.value);
    case ERecordFault::OverlongLength:
        return "a text length is written in more bytes than it needs, so it cannot be stored unchanged";
    case ERecordFault::UnstorableSet:
        return Formatted("language set %u has another number of entries than set 0, or only empty texts, so it "
                         "cannot be stored unchanged",
                         fault.value);
    case ERecordFault::ReservedByte:
        return Formatted("its header holds 0x%02X where its layout has 0", fault.value);
    case ERecordFault::TooShort:
        return Formatted("it is shorter than the %u bytes its layout needs", fault.value);
    case ERecordFault::OddLength:
        return Formatted("its length of %u bytes is odd, so its last field is cut in half", fault.value);
    case ERecordFault::BadMagic:
        return std::string("it does not begin as a function table does (eight zero bytes, then \"fJBO\")");
    case ERecordFault::CountMismatch:
        return Formatted("its count of %u functions does not fit its length", fault.value);
    }
    return {};
}

std::string RecordRefusalText(std::uint32_t type, std::uint16_t id, const std::string& name, const CRecordFault& fault)
{
    std::string text = TypeCodeText(type) + " #" + std::to_string(id);
    if (!name.empty())
        text += " \"" + name + "\"";
    return text + ": " + RecordFaultText(type, fault);
}

CRecordResult<CIffChunk> FindRecordChunk(const CIffFile& container, std::uint32_t type, std::uint16_t id)
{
    CIffChunk chunk;
    chunk.type = type;
    chunk.id = id;
    if (container.FindChunk(chunk))
        return chunk;
    return Fail(ERecordFault::Missing).InRecord(type, id);
}

CRecordStatus PutRecordChunk(CIffFile& container, std::uint32_t type, std::uint16_t id, const std::string& name,
                             std::span<const std::uint8_t> data)
{
    CIffChunk entry;
    entry.type = type;
    entry.id = id;
    entry.flags = kStoredChunkFlags;
    entry.name = name;
    if (container.PutChunk(entry, data))
        return {};
    return Fail(ERecordFault::NotStored).InRecord(type, id);
}

CRecordStatus PutEncodedRecord(CIffFile& container, std::uint32_t type, std::uint16_t id, const std::string& name,
                               const CRecordResult<std::vector<std::uint8_t>>& data)
{
    if (!data)
        return CRecordFault(data.Failure()).InRecord(type, id);
    return PutRecordChunk(container, type, id, name, *data);
}

CRecordFault Damaged(const CByteReader& reader)
{
    return Fail(ERecordFault::Damaged).AtOffset(reader.Position());
}
