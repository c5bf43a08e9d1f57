#pragma once

#include "RecordCheck.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CIffFile;

// Whole-record commands of the workbench: create, duplicate, rename, delete and copy records, and
// find what refers to a script. The editor's main view and the CLI call the same functions.

/// A record as the main view lists it. An interaction table is two chunks: the `TTAB` and the
/// `TTAs` names of the same id, always created, renamed, copied and deleted together. A script
/// takes along the flowchart layout (`TREE`) some files keep under its id, bytes unchanged.
enum class ERecordKind
{
    Script,
    Strings,
    Interactions,
    Constants,
    Objects,  // an object definition and its function table of the same id, if it has one
};

/// Every kind, in the order of the main view's lists.
inline constexpr ERecordKind kRecordKinds[] = {ERecordKind::Script, ERecordKind::Strings, ERecordKind::Interactions,
                                               ERecordKind::Constants, ERecordKind::Objects};

/// The chunk type the main view lists the kind by.
std::uint32_t ListedType(ERecordKind kind);
/// Every chunk type of one record of the kind.
std::vector<std::uint32_t> RecordChunkTypes(ERecordKind kind);
/// The kind as the user reads it in commands and questions ("Script", "String Table", ...).
const char* RecordKindName(ERecordKind kind);
/// The kind listed by `type`; nothing for a type the main view does not list.
std::optional<ERecordKind> KindOfListedType(std::uint32_t type);

/// The ids the game expects for an object's own records: scripts 4096 to 8191 (a call to 8192 or
/// above goes to the semi-global file), tables and objects 128 and up.
std::uint16_t FirstRecordId(ERecordKind kind);
std::uint16_t LastRecordId(ERecordKind kind);
/// The lowest id in the kind's range that no chunk of the record's types uses; nothing when the
/// range is full.
std::optional<std::uint16_t> NextFreeRecordId(const CIffFile& container, ERecordKind kind);
/// Why `id` cannot take a new record of the kind, as a sentence; empty when it can.
std::string RecordIdProblem(const CIffFile& container, ERecordKind kind, std::int64_t id);
/// Why `name` (windows-1252 bytes) cannot be a chunk name; empty when it can.
std::string RecordNameProblem(const std::string& name);

/// The name proposed for a copy of a record named `name`: "copy of <name>", cut to what a chunk
/// name holds.
std::string CopyName(const std::string& name);

/// A new, empty record: a script of format 0x8002 with one line (opcode 0, returning TRUE on
/// success and FALSE on failure), a string table of format 0xFFFD without rows, an interaction
/// table of version 9 when the file already has one and version 8 otherwise, with its empty names,
/// a constant table without constants, or an object as CreateObject makes it with a GUID that no
/// object of the file uses and no function table. False, with nothing changed, when the id or the
/// name has a problem or the container cannot grow.
[[nodiscard]] bool CreateRecord(CIffFile& container, ERecordKind kind, std::uint16_t id, const std::string& name);
/// A new object: a definition of version 142 and 214 bytes whose fields are 0 but its GUID and,
/// when `withFunctions`, "uses function table" (1), with a function table of the 30 named
/// functions, each naming no script. Same failures as CreateRecord; a GUID that another object of
/// the file uses is refused too.
[[nodiscard]] bool CreateObject(CIffFile& container, std::uint16_t id, const std::string& name, std::uint32_t guid,
                  bool withFunctions);
/// The record `from` again under `to` and `name`, chunk for chunk. A copy of an object takes a new
/// GUID, which neither an object of the file nor one of `usedGuids` has: two objects of one GUID
/// clash in the game.
[[nodiscard]] bool DuplicateRecord(CIffFile& container, ERecordKind kind, std::uint16_t from, std::uint16_t to,
                     const std::string& name, const std::vector<std::uint32_t>& usedGuids = {});
/// Gives the record a new name and, when `newId` differs, a new (free) id; data and flags stay.
/// With `followReferences`, every reference RenumberingOf finds follows to the new id in the same
/// change; all or nothing, and refused with nothing changed when RenumberingOf has a problem.
[[nodiscard]] bool RenameRecord(CIffFile& container, ERecordKind kind, std::uint16_t id, std::uint16_t newId,
                                const std::string& name, bool followReferences = false);
/// Removes every chunk of the record.
[[nodiscard]] bool DeleteRecord(CIffFile& container, ERecordKind kind, std::uint16_t id);
/// Copies the record `id` of `from` into `to` under the same id, name and flags. An id in use in
/// `to` is refused unless `replace`, which first removes the record there.
[[nodiscard]] bool CopyRecord(const CIffFile& from, CIffFile& to, ERecordKind kind, std::uint16_t id, bool replace);

/// One object's GUID before and after a clone.
struct CGuidChange
{
    std::uint16_t id = 0;
    std::uint32_t before = 0;
    std::uint32_t after = 0;
};
/// Gives every object of the file a new GUID that no object of the file, none of `usedGuids` and
/// no other new one has, changing nothing else: not a byte of the definitions beyond their GUIDs,
/// nor their chunks' flags. False, with nothing changed, when a definition does not load (`refused`
/// then names it) or the container cannot grow.
[[nodiscard]] bool CloneObjects(CIffFile& container, const std::vector<std::uint32_t>& usedGuids, std::vector<CGuidChange>& changes,
                  std::uint16_t& refused);

/// A place in the file that refers to a script.
struct CRecordReference
{
    /// BHAV: a line calls it; TTAB: an interaction names it; OBJD: a script field names it as an
    /// entry point; OBJf: a function names it as check or action.
    std::uint32_t type = 0;
    std::uint16_t id = 0;
    std::string name;        // the referring chunk's name
    int line = -1;           // BHAV: the calling line, from 0
    int interaction = -1;    // TTAB: the interaction, from 0
    bool checkTree = false;  // TTAB: named as check tree (else as action tree); OBJf: as check
    int field = -1;          // OBJD: the script field's byte offset
    int function = -1;       // OBJf: the function's index
};
/// Every line of the file's scripts that calls script `id`, every interaction naming it as action
/// or check tree, every script field of an object definition and every check or action of a
/// function table naming it, in that order, each in directory and line, interaction, offset or
/// function order. Records that do not load are passed over.
std::vector<CRecordReference> FindScriptReferences(const CIffFile& container, std::uint16_t id);
/// One reference as a line of text, lines numbered from 1 as the script editor shows them:
/// "BHAV #4097 \"main\", line 3", "TTAB #128 \"...\", interaction 0, action tree",
/// "OBJD #128 \"Chair\": main script" or "OBJf #128: action of \"user placement\"".
std::string RecordReferenceText(const CRecordReference& reference);

/// The places of the file that name record `id` of the kind: for a script what
/// FindScriptReferences finds; for an interaction table the objects' "interaction table" fields,
/// for a string table their "body strings" and "animation table" fields. Other kinds: none.
std::vector<CRecordReference> FindRecordReferences(const CIffFile& container, ERecordKind kind, std::uint16_t id);

/// What giving record `id` the id `newId` does to the places that name it.
struct CRecordRenumbering
{
    /// The references that reach this record and change with it.
    std::vector<CRecordReference> follow;
    /// References in the file to a script id that reaches another file (a global id, or a
    /// semi-global one when the file names its semi-global file): they do not reach this record.
    std::vector<CRecordReference> stay;
    /// True when other files can call the record (its old id is global or semi-global): their
    /// calls cannot be changed from here.
    bool calledFromOtherFiles = false;
    /// Why the renumbering with its references is refused (a reference would leave the file's
    /// own ids, places already name the new id, a referring record cannot be written again);
    /// empty when it can go.
    std::string problem;
};
CRecordRenumbering RenumberingOf(const CIffFile& container, ERecordKind kind, std::uint16_t id, std::uint16_t newId);

/// The records of the file that could name a record of the kind but do not load, so that what they
/// name is not known: for a script, the refused scripts, interaction tables, object definitions and
/// function tables; for an interaction or string table, the refused object definitions. Other
/// kinds: none. In directory order, as CheckRecords lists them.
std::vector<CRecordRefusal> UnreadReferrers(const CIffFile& container, ERecordKind kind);
/// What the delete and renumber questions add about them: "N records of this file could not be
/// read and may refer to it too:", then one line per record with its reason; empty for none.
std::string UnreadReferrersText(const std::vector<CRecordRefusal>& unread);
