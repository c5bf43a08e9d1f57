#pragma once

#include "RecordFault.h"
#include "containers/TypeCodes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CIffFile;

/// The chunk types whose records the editor opens, in the order they are checked.
inline constexpr std::uint32_t kEditableTypes[] = {kTypeBhav, kTypeStr, kTypeTtas, kTypeTtab, kTypeBcon,
                                                     kTypeObjd, kTypeObjf};

/// A record that does not open, and why.
struct CRecordRefusal
{
    std::uint32_t type = 0;
    std::uint16_t id = 0;
    std::string name;  // the chunk's name, windows-1252 bytes
    CRecordFault fault;
};

struct CRecordCheck
{
    std::size_t records = 0;  // records tried
    std::vector<CRecordRefusal> refused;
};

/// Loads the record of `type` and `id` as the editor opens it and says why it does not load
/// (kind None when it does). `name` gets the chunk's name when the chunk exists.
CRecordFault RecordLoadFault(const CIffFile& container, std::uint32_t type, std::uint16_t id, std::string& name);

/// Loads every record of an editable type, once per type and id (the first chunk of a type and id
/// is the one the editor reaches), and lists those that do not load.
CRecordCheck CheckRecords(const CIffFile& container);

/// The distinct ids of a type's chunks, in directory order.
std::vector<std::uint16_t> ChunkIdsOfType(const CIffFile& container, std::uint32_t type);
