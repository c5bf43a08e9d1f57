#include "RecordEditing.h"

#include "BhavScript.h"
#include "ConstantTable.h"
#include "InteractionTable.h"
#include "ObjectDefinition.h"
#include "ObjectFunctions.h"
#include "RecordCheck.h"
#include "SemiGlobalReference.h"
#include "StringTable.h"
#include "containers/ChunkSnapshot.h"
#include "containers/IffTransaction.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"

#include <algorithm>

namespace
{
// An object's own scripts: a call to anything from the semi-global range up leaves the file.
constexpr std::uint16_t kFirstScriptId = kFirstPrivateScript;
constexpr std::uint16_t kLastScriptId = kFirstSemiGlobalScript - 1;
constexpr std::uint16_t kFirstTableId = 128;

bool HasChunk(const CIffFile& container, std::uint32_t type, std::uint16_t id)
{
    CIffChunk chunk;
    chunk.type = type;
    chunk.id = id;
    return container.FindChunk(chunk);
}

bool IdInUse(const CIffFile& container, ERecordKind kind, std::uint16_t id)
{
    const std::vector<std::uint32_t> types = RecordChunkTypes(kind);
    return std::any_of(types.begin(), types.end(), [&](std::uint32_t type) { return HasChunk(container, type, id); });
}

// A file whose tables are field-encoded gets another of that version, one whose tables are of
// version 10 another of version 10; otherwise the plain layout of version 8.
std::uint16_t NewTableVersion(const CIffFile& container)
{
    std::uint16_t version = 8;
    for (const std::uint16_t id : ChunkIdsOfType(container, kTypeTtab))
    {
        CInteractionTable table;
        if (!table.Load(container, id))
            continue;
        if (table.Version() == CInteractionTable::kFieldEncodedVersion)
            return table.Version();
        if (table.HasSecondFlags())
            version = table.Version();
    }
    return version;
}

bool Put(CIffFile& container, std::uint32_t type, std::uint16_t id, const std::string& name,
         const std::vector<std::uint8_t>& data)
{
    return bool(PutRecordChunk(container, type, id, name, data));
}

// Applies `change` in place and keeps it only when every step succeeded: a record of two chunks
// is never left half made.
template <typename TChange>
bool AllOrNothing(CIffFile& container, TChange change)
{
    CIffTransaction transaction(container);
    if (!change(container))
        return false;
    transaction.Keep();
    return true;
}

// Whether the file's own calls to script `id` reach the file's own script: private ids always, a
// semi-global id only in a file that names no semi-global file (the semi-global file itself). A
// call to a global id reaches the global file.
bool CallsReachFile(const CIffFile& container, std::uint16_t id)
{
    if (id < kFirstPrivateScript)
        return false;
    return id < kFirstSemiGlobalScript || ReadSemiGlobalName(container).empty();
}

// Changes one reference of `chunk`'s data to `newId`; false when the record does not decode or
// encode again.
bool FollowReference(CChunkSnapshot& chunk, const CRecordReference& reference, std::uint16_t newId)
{
    if (reference.type == kTypeBhav)
    {
        CBhavScript script;
        if (!script.Decode(chunk.data) || std::size_t(reference.line) >= script.Lines().size())
            return false;
        CBhavInstruction line = script.Lines()[std::size_t(reference.line)];
        line.opcode = newId;
        if (!script.SetLine(std::size_t(reference.line), line))
            return false;
        CRecordResult<std::vector<std::uint8_t>> encoded = script.Encode();
        if (!encoded)
            return false;
        chunk.data = std::move(*encoded);
        return true;
    }
    if (reference.type == kTypeTtab)
    {
        CInteractionTable table;
        if (!table.Decode(chunk.data) || std::size_t(reference.interaction) >= table.Interactions().size())
            return false;
        CInteraction interaction = table.Interactions()[std::size_t(reference.interaction)];
        (reference.checkTree ? interaction.checkTree : interaction.actionTree) = newId;
        if (!table.SetInteraction(std::size_t(reference.interaction), std::move(interaction)))
            return false;
        CRecordResult<std::vector<std::uint8_t>> encoded = table.Encode();
        if (!encoded)
            return false;
        chunk.data = std::move(encoded).Value();
        return true;
    }
    if (reference.type == kTypeObjd)
    {
        CObjectDefinition object;
        if (!object.Decode(chunk.data) || !object.SetValue(std::uint16_t(reference.field), newId))
            return false;
        chunk.data = object.Encode();
        return true;
    }
    if (reference.type == kTypeObjf)
    {
        CObjectFunctions functions;
        if (!functions.Decode(chunk.data) || std::size_t(reference.function) >= functions.Functions().size())
            return false;
        CObjectFunction function = functions.Functions()[std::size_t(reference.function)];
        (reference.checkTree ? function.check : function.action) = newId;
        (void)functions.SetFunction(std::size_t(reference.function), function);
        chunk.data = functions.Encode();
        return true;
    }
    return false;
}

// The referring chunks as they become with every reference changed to `newId`, each with its
// flags and name as they stand.
bool FollowedChunks(const CIffFile& container, const std::vector<CRecordReference>& references, std::uint16_t newId,
                    std::vector<CChunkSnapshot>& chunks)
{
    chunks.clear();
    for (const CRecordReference& reference : references)
    {
        auto chunk = std::find_if(chunks.begin(), chunks.end(), [&](const CChunkSnapshot& held) {
            return held.type == reference.type && held.id == reference.id;
        });
        if (chunk == chunks.end())
            chunk = chunks.insert(chunks.end(), TakeChunkSnapshot(container, reference.type, reference.id));
        if (!chunk->present || !FollowReference(*chunk, reference, newId))
            return false;
    }
    return true;
}

// The objects' fields that name a table of `kind` by id.
std::vector<std::uint16_t> TableFields(ERecordKind kind)
{
    std::vector<std::uint16_t> offsets;
    const auto add = [&](const char* name) { offsets.push_back(*ObjectFieldOffset(name)); };
    if (kind == ERecordKind::Interactions)
        add("interaction table");
    if (kind == ERecordKind::Strings)
    {
        add("animation table");
        add("body strings");
    }
    return offsets;
}
}

std::uint32_t ListedType(ERecordKind kind)
{
    switch (kind)
    {
    case ERecordKind::Script:
        return kTypeBhav;
    case ERecordKind::Strings:
        return kTypeStr;
    case ERecordKind::Interactions:
        return kTypeTtab;
    case ERecordKind::Constants:
        return kTypeBcon;
    case ERecordKind::Objects:
        return kTypeObjd;
    }
    return 0;
}

std::vector<std::uint32_t> RecordChunkTypes(ERecordKind kind)
{
    if (kind == ERecordKind::Interactions)
        return {kTypeTtab, kTypeTtas};
    if (kind == ERecordKind::Objects)
        return {kTypeObjd, kTypeObjf};
    if (kind == ERecordKind::Script)
        return {kTypeBhav, kTypeTree};
    return {ListedType(kind)};
}

const char* RecordKindName(ERecordKind kind)
{
    switch (kind)
    {
    case ERecordKind::Script:
        return "Script";
    case ERecordKind::Strings:
        return "String Table";
    case ERecordKind::Interactions:
        return "Interaction Table";
    case ERecordKind::Constants:
        return "Constant Table";
    case ERecordKind::Objects:
        return "Object";
    }
    return "";
}

std::optional<ERecordKind> KindOfListedType(std::uint32_t type)
{
    for (const ERecordKind kind : kRecordKinds)
        if (ListedType(kind) == type)
            return kind;
    return std::nullopt;
}

std::uint16_t FirstRecordId(ERecordKind kind)
{
    return kind == ERecordKind::Script ? kFirstScriptId : kFirstTableId;
}

std::uint16_t LastRecordId(ERecordKind kind)
{
    return kind == ERecordKind::Script ? kLastScriptId : 0xFFFF;
}

std::optional<std::uint16_t> NextFreeRecordId(const CIffFile& container, ERecordKind kind)
{
    for (std::uint32_t id = FirstRecordId(kind); id <= LastRecordId(kind); ++id)
        if (!IdInUse(container, kind, std::uint16_t(id)))
            return std::uint16_t(id);
    return std::nullopt;
}

std::string RecordIdProblem(const CIffFile& container, ERecordKind kind, std::int64_t id)
{
    const std::string kindName = RecordKindName(kind);
    if (id < FirstRecordId(kind) || id > LastRecordId(kind))
        return "Ids of " + kindName + "s go from " + std::to_string(FirstRecordId(kind)) + " to " +
               std::to_string(LastRecordId(kind)) + ".";
    if (IdInUse(container, kind, std::uint16_t(id)))
        return "#" + std::to_string(id) + " is in use by another " + kindName + ".";
    return {};
}

std::string RecordNameProblem(const std::string& name)
{
    if (name.size() > CIffFile::kMaxStoredNameLength)
        return "A name has at most 63 characters.";
    if (name.find('\0') != std::string::npos)
        return "A name cannot hold a NUL character.";
    return {};
}

std::string CopyName(const std::string& name)
{
    return ("copy of " + name).substr(0, CIffFile::kMaxStoredNameLength);
}

bool CreateRecord(CIffFile& container, ERecordKind kind, std::uint16_t id, const std::string& name)
{
    if (!RecordIdProblem(container, kind, id).empty() || !RecordNameProblem(name).empty())
        return false;
    std::vector<std::uint8_t> data;
    switch (kind)
    {
    case ERecordKind::Script:
    {
        CBhavScript script;
        CBhavInstruction line;
        line.trueTarget = kTargetTrue;
        line.falseTarget = kTargetFalse;
        script.AppendLine(line);
        CRecordResult<std::vector<std::uint8_t>> encoded = script.Encode();
        if (!encoded)
            return false;
        data = std::move(encoded).Value();
        break;
    }
    case ERecordKind::Strings:
    {
        CRecordResult<std::vector<std::uint8_t>> encoded = CStringTable().Encode(kTypeStr);
        if (!encoded)
            return false;
        data = std::move(encoded).Value();
        break;
    }
    case ERecordKind::Interactions:
    {
        const CRecordResult<std::vector<std::uint8_t>> table = CInteractionTable(NewTableVersion(container)).Encode();
        const CRecordResult<std::vector<std::uint8_t>> names = CStringTable().Encode(kTypeTtas);
        if (!table || !names)
            return false;
        return AllOrNothing(container, [&](CIffFile& changed) {
            return Put(changed, kTypeTtab, id, name, *table) && Put(changed, kTypeTtas, id, name, *names);
        });
    }
    case ERecordKind::Constants:
    {
        CRecordResult<std::vector<std::uint8_t>> encoded = CConstantTable().Encode();
        if (!encoded)
            return false;
        data = std::move(encoded).Value();
        break;
    }
    case ERecordKind::Objects:
        return CreateObject(container, id, name, DrawObjectGuid(UsedObjectGuids(container)), false);
    }
    return Put(container, ListedType(kind), id, name, data);
}

bool CreateObject(CIffFile& container, std::uint16_t id, const std::string& name, std::uint32_t guid,
                  bool withFunctions)
{
    if (!RecordIdProblem(container, ERecordKind::Objects, id).empty() || !RecordNameProblem(name).empty() ||
        !ObjectGuidProblem(container, id, guid).empty())
        return false;
    CObjectDefinition object;
    object.SetName(name);
    object.SetGuid(guid);
    if (!withFunctions)
        return object.Store(container, id).Ok();
    object.SetValue(*ObjectFieldOffset("uses function table"), 1);
    const CObjectFunctions functions(std::vector<CObjectFunction>(CObjectFunctions::kNamedFunctions), name);
    return AllOrNothing(container,
                        [&](CIffFile& changed) { return object.Store(changed, id) && functions.Store(changed, id); });
}

bool DuplicateRecord(CIffFile& container, ERecordKind kind, std::uint16_t from, std::uint16_t to,
                     const std::string& name, const std::vector<std::uint32_t>& usedGuids)
{
    if (!HasChunk(container, ListedType(kind), from) || !RecordIdProblem(container, kind, to).empty() ||
        !RecordNameProblem(name).empty())
        return false;
    // An object whose definition does not load cannot be given a GUID of its own.
    CObjectDefinition object;
    if (kind == ERecordKind::Objects)
    {
        if (!object.Load(container, from))
            return false;
        std::vector<std::uint32_t> used = UsedObjectGuids(container);
        used.insert(used.end(), usedGuids.begin(), usedGuids.end());
        object.SetGuid(DrawObjectGuid(used));
    }
    return AllOrNothing(container, [&](CIffFile& changed) {
        for (const std::uint32_t type : RecordChunkTypes(kind))
        {
            CChunkSnapshot chunk = TakeChunkSnapshot(container, type, from);
            if (!chunk.present)
                continue;
            chunk.id = to;
            if (type == ListedType(kind))
                chunk.name = name;
            if (type == kTypeObjd)
                chunk.data = object.Encode();
            if (!RestoreChunkSnapshot(changed, chunk))
                return false;
        }
        return true;
    });
}

bool RenameRecord(CIffFile& container, ERecordKind kind, std::uint16_t id, std::uint16_t newId,
                  const std::string& name, bool followReferences)
{
    if (!HasChunk(container, ListedType(kind), id) || !RecordNameProblem(name).empty() ||
        (newId != id && !RecordIdProblem(container, kind, newId).empty()))
        return false;
    std::vector<CChunkSnapshot> referring;
    if (followReferences && newId != id)
    {
        const CRecordRenumbering renumbering = RenumberingOf(container, kind, id, newId);
        if (!renumbering.problem.empty() || !FollowedChunks(container, renumbering.follow, newId, referring))
            return false;
    }
    return AllOrNothing(container, [&](CIffFile& changed) {
        // The references first: a script that calls itself then moves with its calls changed.
        for (const CChunkSnapshot& chunk : referring)
            if (!RestoreChunkSnapshot(changed, chunk))
                return false;
        for (const std::uint32_t type : RecordChunkTypes(kind))
        {
            CChunkSnapshot chunk = TakeChunkSnapshot(changed, type, id);
            if (!chunk.present)
                continue;
            if (type == ListedType(kind))
                chunk.name = name;
            if (newId != id)
            {
                CChunkSnapshot gone = chunk;
                gone.present = false;
                if (!RestoreChunkSnapshot(changed, gone))
                    return false;
                chunk.id = newId;
            }
            if (!RestoreChunkSnapshot(changed, chunk))
                return false;
        }
        return true;
    });
}

bool DeleteRecord(CIffFile& container, ERecordKind kind, std::uint16_t id)
{
    if (!HasChunk(container, ListedType(kind), id))
        return false;
    for (const std::uint32_t type : RecordChunkTypes(kind))
    {
        CIffChunk chunk;
        chunk.type = type;
        chunk.id = id;
        if (container.FindChunk(chunk))
            container.RemoveChunk(chunk);
    }
    return true;
}

bool CopyRecord(const CIffFile& from, CIffFile& to, ERecordKind kind, std::uint16_t id, bool replace)
{
    if (!HasChunk(from, ListedType(kind), id) || (IdInUse(to, kind, id) && !replace))
        return false;
    return AllOrNothing(to, [&](CIffFile& changed) {
        for (const std::uint32_t type : RecordChunkTypes(kind))
        {
            CChunkSnapshot chunk = TakeChunkSnapshot(from, type, id);
            if (!chunk.present)
                chunk.type = type;  // an absent companion is absent in the copy too
            if (!RestoreChunkSnapshot(changed, chunk))
                return false;
        }
        return true;
    });
}

bool CloneObjects(CIffFile& container, const std::vector<std::uint32_t>& usedGuids, std::vector<CGuidChange>& changes,
                  std::uint16_t& refused)
{
    changes.clear();
    std::vector<std::uint32_t> used = UsedObjectGuids(container);
    used.insert(used.end(), usedGuids.begin(), usedGuids.end());
    std::vector<CChunkSnapshot> chunks;
    for (const std::uint16_t id : ChunkIdsOfType(container, kTypeObjd))
    {
        CObjectDefinition object;
        if (!object.Load(container, id))
        {
            refused = id;
            changes.clear();
            return false;
        }
        const std::uint32_t guid = DrawObjectGuid(used);
        used.push_back(guid);
        changes.push_back({id, object.Guid(), guid});
        object.SetGuid(guid);
        chunks.push_back(TakeChunkSnapshot(container, kTypeObjd, id));
        chunks.back().data = object.Encode();
    }
    const bool done = AllOrNothing(container, [&](CIffFile& changed) {
        return std::all_of(chunks.begin(), chunks.end(),
                           [&](const CChunkSnapshot& chunk) { return RestoreChunkSnapshot(changed, chunk); });
    });
    if (!done)
        changes.clear();
    return done;
}

std::vector<CRecordReference> FindScriptReferences(const CIffFile& container, std::uint16_t id)
{
    std::vector<CRecordReference> references;
    for (const std::uint16_t caller : ChunkIdsOfType(container, kTypeBhav))
    {
        CBhavScript script;
        if (!script.Load(container, caller))
            continue;
        for (std::size_t line = 0; line < script.Lines().size(); ++line)
            if (script.Lines()[line].opcode == id)
                references.push_back({kTypeBhav, caller, script.Name(), int(line), -1, false});
    }
    for (const std::uint16_t tableId : ChunkIdsOfType(container, kTypeTtab))
    {
        CInteractionTable table;
        if (!table.Load(container, tableId))
            continue;
        for (std::size_t i = 0; i < table.Interactions().size(); ++i)
        {
            const CInteraction& interaction = table.Interactions()[i];
            if (interaction.actionTree == id)
                references.push_back({kTypeTtab, tableId, table.Name(), -1, int(i), false});
            if (interaction.checkTree == id)
                references.push_back({kTypeTtab, tableId, table.Name(), -1, int(i), true});
        }
    }
    // The entry points the game itself runs: a script named only here is no less in use.
    if (id == 0)
        return references;
    for (const std::uint16_t objectId : ChunkIdsOfType(container, kTypeObjd))
    {
        CObjectDefinition object;
        if (!object.Load(container, objectId))
            continue;
        for (const CObjectField& field : object.Fields())
            if (field.kind == EObjectFieldKind::Script && object.Value(field.offset) == id)
                references.push_back({kTypeObjd, objectId, object.Name(), -1, -1, false, field.offset, -1});
    }
    for (const std::uint16_t objectId : ChunkIdsOfType(container, kTypeObjf))
    {
        CObjectFunctions functions;
        if (!functions.Load(container, objectId))
            continue;
        for (std::size_t i = 0; i < functions.Functions().size(); ++i)
        {
            if (functions.Functions()[i].check == id)
                references.push_back({kTypeObjf, objectId, functions.Name(), -1, -1, true, -1, int(i)});
            if (functions.Functions()[i].action == id)
                references.push_back({kTypeObjf, objectId, functions.Name(), -1, -1, false, -1, int(i)});
        }
    }
    return references;
}

std::string RecordReferenceText(const CRecordReference& reference)
{
    const std::string record = TypeCodeText(reference.type) + " #" + std::to_string(reference.id);
    if (reference.type == kTypeObjd)
        return record + " \"" + reference.name + "\": " + ObjectFieldName(std::uint16_t(reference.field));
    if (reference.type == kTypeObjf)
        return record + ": " + (reference.checkTree ? "check" : "action") + " of \"" +
               ObjectFunctionName(std::size_t(reference.function)) + "\"";
    std::string text = TypeCodeText(reference.type) + " #" + std::to_string(reference.id) + " \"" + reference.name + "\"";
    if (reference.type == kTypeBhav)
        return text + ", line " + std::to_string(reference.line + 1);  // numbered as the script editor shows
    return text + ", interaction " + std::to_string(reference.interaction) +
           (reference.checkTree ? ", check tree" : ", action tree");
}

std::vector<CRecordReference> FindRecordReferences(const CIffFile& container, ERecordKind kind, std::uint16_t id)
{
    if (kind == ERecordKind::Script)
        return FindScriptReferences(container, id);
    std::vector<CRecordReference> references;
    const std::vector<std::uint16_t> offsets = TableFields(kind);
    if (offsets.empty())
        return references;
    for (const std::uint16_t objectId : ChunkIdsOfType(container, kTypeObjd))
    {
        CObjectDefinition object;
        if (!object.Load(container, objectId))
            continue;
        for (const std::uint16_t offset : offsets)
            if (object.Value(offset) == id)
                references.push_back({kTypeObjd, objectId, object.Name(), -1, -1, false, offset, -1});
    }
    return references;
}

CRecordRenumbering RenumberingOf(const CIffFile& container, ERecordKind kind, std::uint16_t id, std::uint16_t newId)
{
    CRecordRenumbering renumbering;
    std::vector<CRecordReference> references = FindRecordReferences(container, kind, id);
    if (kind == ERecordKind::Script && !CallsReachFile(container, id))
        renumbering.stay = std::move(references);
    else
        renumbering.follow = std::move(references);
    renumbering.calledFromOtherFiles =
        kind == ERecordKind::Script && id >= kFirstGlobalScript && !(id >= kFirstPrivateScript && id < kFirstSemiGlobalScript);
    if (newId == id)
        return renumbering;
    // A reference that moves must reach the record at its new id as it reached it at the old.
    if (kind == ERecordKind::Script && !renumbering.follow.empty() && !CallsReachFile(container, newId))
    {
        renumbering.problem = "#" + std::to_string(newId) + " is outside the file's own script ids: " +
                              std::to_string(renumbering.follow.size()) + " references could not follow.";
        return renumbering;
    }
    // Places that already name the new id (calls into nothing, say) would reach the record too.
    if (const std::size_t waiting = FindRecordReferences(container, kind, newId).size(); waiting > 0)
    {
        renumbering.problem = std::to_string(waiting) + " places of the file already refer to #" +
                              std::to_string(newId) + ": they would reach this record too.";
        return renumbering;
    }
    std::vector<CChunkSnapshot> chunks;
    if (!FollowedChunks(container, renumbering.follow, newId, chunks))
        renumbering.problem = "A record that refers to #" + std::to_string(id) + " could not be written again.";
    return renumbering;
}

std::vector<CRecordRefusal> UnreadReferrers(const CIffFile& container, ERecordKind kind)
{
    std::vector<std::uint32_t> referring;
    if (kind == ERecordKind::Script)
        referring = {kTypeBhav, kTypeTtab, kTypeObjd, kTypeObjf};
    else if (kind == ERecordKind::Interactions || kind == ERecordKind::Strings)
        referring = {kTypeObjd};
    std::vector<CRecordRefusal> unread;
    if (referring.empty())
        return unread;
    for (CRecordRefusal& refusal : CheckRecords(container).refused)
        if (std::find(referring.begin(), referring.end(), refusal.type) != referring.end())
            unread.push_back(std::move(refusal));
    return unread;
}

std::string UnreadReferrersText(const std::vector<CRecordRefusal>& unread)
{
    if (unread.empty())
        return {};
    std::string text =
        std::to_string(unread.size()) + " records of this file could not be read and may refer to it too:";
    for (const CRecordRefusal& refusal : unread)
        text += "\n" + RecordRefusalText(refusal.type, refusal.id, refusal.name, refusal.fault);
    return text;
}
