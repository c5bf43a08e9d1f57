#include "RecordCheck.h"

#include "BhavScript.h"
#include "ConstantTable.h"
#include "InteractionTable.h"
#include "ObjectDefinition.h"
#include "ObjectFunctions.h"
#include "StringTable.h"
#include "containers/IffFile.h"

#include <algorithm>

namespace
{
CRecordFault FaultOf(const CRecordStatus& status)
{
    return status ? CRecordFault{} : status.Failure();
}
}

CRecordFault RecordLoadFault(const CIffFile& container, std::uint32_t type, std::uint16_t id, std::string& name)
{
    CIffChunk chunk;
    chunk.type = type;
    chunk.id = id;
    if (!container.FindChunk(chunk))
        return {ERecordFault::Missing};
    name = chunk.name;
    switch (type)
    {
    case kTypeBhav:
        return FaultOf(CBhavScript().Load(container, id));
    case kTypeStr:
    case kTypeTtas:
        return FaultOf(CStringTable().Load(container, type, id));
    case kTypeTtab:
        return FaultOf(CInteractionTable().Load(container, id));
    case kTypeBcon:
        return FaultOf(CConstantTable().Load(container, id));
    case kTypeObjd:
        return FaultOf(CObjectDefinition().Load(container, id));
    case kTypeObjf:
        return FaultOf(CObjectFunctions().Load(container, id));
    default:
        return {ERecordFault::UnknownFormat, 0};
    }
}

std::vector<std::uint16_t> ChunkIdsOfType(const CIffFile& container, std::uint32_t type)
{
    std::vector<std::uint16_t> ids;
    for (std::size_t position = container.FindFirstOfType(type); position != CIffFile::kNoPosition;)
    {
        const std::uint16_t id = container.NextOfType(position).id;
        if (std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
    }
    return ids;
}

CRecordCheck CheckRecords(const CIffFile& container)
{
    CRecordCheck check;
    for (const std::uint32_t type : kEditableTypes)
        for (const std::uint16_t id : ChunkIdsOfType(container, type))
        {
            ++check.records;
            CRecordRefusal refusal{type, id, {}, {}};
            refusal.fault = RecordLoadFault(container, type, id, refusal.name);
            if (refusal.fault)
                check.refused.push_back(std::move(refusal));
        }
    return check;
}
