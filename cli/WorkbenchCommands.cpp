#include "CliSupport.h"

#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "containers/Windows1252.h"
#include "records/ObjectDefinition.h"
#include "records/RecordEditing.h"

#include <memory>
#include <optional>

// The workbench's record commands for batch work: each reads its file, changes it through the same
// functions as the main view's Edit menu and writes the result, or writes nothing and says why.

namespace
{
using Json = nlohmann::ordered_json;

struct CKindWord
{
    const char* word;
    ERecordKind kind;
};

constexpr CKindWord kKindWords[] = {
    {"script", ERecordKind::Script},
    {"strings", ERecordKind::Strings},
    {"interactions", ERecordKind::Interactions},
    {"constants", ERecordKind::Constants},
    {"objects", ERecordKind::Objects},
};

CResult<ERecordKind, ECliUsage> ParseKind(const std::string& text)
{
    for (const CKindWord& word : kKindWords)
        if (text == word.word || text == TypeCodeText(ListedType(word.kind)))
            return word.kind;
    return UsageFault("KIND: '" + text + "' is none of script, strings, interactions, constants, objects (or BHAV, STR#, TTAB, BCON, OBJD)");
}

// The id of --id, when it was given.
CResult<std::optional<std::uint16_t>, ECliUsage> ParseOptionalId(const std::string& text)
{
    if (text.empty())
        return std::optional<std::uint16_t>();
    const CResult<std::uint16_t, ECliUsage> id = ParseCliId(text, "--id");
    if (!id)
        return id.Failure();
    return std::optional<std::uint16_t>(*id);
}

// The record a command names by its KIND and ID arguments.
struct CNamedRecord
{
    ERecordKind kind;
    std::uint16_t id;
};

CResult<CNamedRecord, ECliUsage> ParseNamedRecord(const std::string& kindText, const std::string& idText)
{
    const CResult<ERecordKind, ECliUsage> kind = ParseKind(kindText);
    if (!kind)
        return kind.Failure();
    const CResult<std::uint16_t, ECliUsage> id = ParseCliId(idText, "ID");
    if (!id)
        return id.Failure();
    return CNamedRecord{*kind, *id};
}

std::string RecordText(ERecordKind kind, std::uint16_t id)
{
    return TypeCodeText(ListedType(kind)) + " #" + std::to_string(id);
}

std::optional<CIffChunk> ListedChunk(const CIffFile& container, ERecordKind kind, std::uint16_t id)
{
    CIffChunk chunk;
    chunk.type = ListedType(kind);
    chunk.id = id;
    if (!container.FindChunk(chunk))
        return std::nullopt;
    return chunk;
}

Json ChunkTypes(const CIffFile& container, ERecordKind kind, std::uint16_t id)
{
    Json types = Json::array();
    for (const std::uint32_t type : RecordChunkTypes(kind))
    {
        CIffChunk chunk;
        chunk.type = type;
        chunk.id = id;
        if (container.FindChunk(chunk))
            types.push_back(TypeCodeText(type));
    }
    return types;
}

// The name as the file holds it, windows-1252 bytes; nothing when the text cannot be a chunk name.
std::optional<std::string> NameBytes(const std::string& text, std::string& problem)
{
    const std::string bytes = Utf8ToWindows1252(text);
    if (Windows1252ToUtf8(bytes) != text)
    {
        problem = "A name holds only characters of windows-1252.";
        return std::nullopt;
    }
    problem = RecordNameProblem(bytes);
    if (!problem.empty())
        return std::nullopt;
    return bytes;
}

Json ReferenceJson(const CRecordReference& reference)
{
    Json entry{{"type", TypeCodeText(reference.type)}, {"id", reference.id}, {"name", Shown(reference.name)}};
    AddPlaceKeys(entry, reference);
    return entry;
}

struct CNewOptions
{
    std::string in, kind, out, id, name;
    bool withFunctions = false;
    bool json = false;
};

// The GUID of an object record, for the documents of the commands that make one.
void AddGuid(Json& document, const CIffFile& container, ERecordKind kind, std::uint16_t id)
{
    CObjectDefinition object;
    if (kind == ERecordKind::Objects && object.Load(container, id))
        document["guid"] = GuidText(object.Guid());
}

CommandResult RunNewRecord(const CNewOptions& options)
{
    const CResult<ERecordKind, ECliUsage> kindGiven = ParseKind(options.kind);
    if (!kindGiven)
        return kindGiven.Failure();
    const ERecordKind kind = *kindGiven;
    if (options.withFunctions && kind != ERecordKind::Objects)
        return UsageFault("--with-functions: only objects have a function table");
    const CResult<std::optional<std::uint16_t>, ECliUsage> wantedIdGiven = ParseOptionalId(options.id);
    if (!wantedIdGiven)
        return wantedIdGiven.Failure();
    const std::optional<std::uint16_t> wantedId = *wantedIdGiven;
    const CReport report(options.in, options.json);
    CIffFile container;
    if (!report.Read(options.in, container))
        return kExitFailed;

    std::string problem;
    const std::optional<std::string> name = NameBytes(options.name, problem);
    if (!name)
        return report.Fail("name", problem);
    const std::optional<std::uint16_t> id = wantedId ? wantedId : NextFreeRecordId(container, kind);
    if (!id)
        return report.Fail("id", std::string("No id is free for another ") + RecordKindName(kind) + ".");
    if (problem = RecordIdProblem(container, kind, *id); !problem.empty())
        return report.Fail("id", problem);
    const bool created =
        kind == ERecordKind::Objects
            ? CreateObject(container, *id, *name, DrawObjectGuid(UsedObjectGuids(container)), options.withFunctions)
            : CreateRecord(container, kind, *id, *name);
    if (!created)
        return report.Fail("store", RecordText(kind, *id) + " could not be created.");
    if (!report.Write(options.out, container))
        return kExitFailed;
    if (report.Json())
    {
        Json document{{"file", options.in}, {"out", options.out}, {"type", TypeCodeText(ListedType(kind))},
                      {"id", *id}, {"name", Shown(*name)}, {"chunks", ChunkTypes(container, kind, *id)}};
        AddGuid(document, container, kind, *id);
        PrintJson(document);
    }
    else
        std::cout << "created " << RecordText(kind, *id) << " \"" << Shown(*name) << "\"\n";
    return kExitOk;
}

struct CChangeOptions
{
    std::string in, kind, id, out, newId, name;
    bool keepReferences = false;
    bool json = false;
};

Json ReferenceList(const std::vector<CRecordReference>& references)
{
    Json list = Json::array();
    for (const CRecordReference& reference : references)
        list.push_back(ReferenceJson(reference));
    return list;
}

void PrintReferences(const char* heading, const std::vector<CRecordReference>& references)
{
    if (!references.empty())
        std::cout << heading << '\n';
    for (const CRecordReference& reference : references)
        std::cout << "  " << Shown(RecordReferenceText(reference)) << '\n';
}

// Duplicate and rename take the same arguments; they differ in what becomes of the old record and
// in what they assume when --id or --name is not given.
CommandResult RunDuplicateRecord(const CChangeOptions& options, bool nameGiven)
{
    const CResult<CNamedRecord, ECliUsage> named = ParseNamedRecord(options.kind, options.id);
    if (!named)
        return named.Failure();
    const ERecordKind kind = named->kind;
    const std::uint16_t from = named->id;
    const CResult<std::optional<std::uint16_t>, ECliUsage> wantedIdGiven = ParseOptionalId(options.newId);
    if (!wantedIdGiven)
        return wantedIdGiven.Failure();
    const std::optional<std::uint16_t> wantedId = *wantedIdGiven;
    const CReport report(options.in, options.json);
    CIffFile container;
    if (!report.Read(options.in, container))
        return kExitFailed;

    const std::optional<CIffChunk> source = ListedChunk(container, kind, from);
    if (!source)
        return report.Fail("no-record", RecordText(kind, from) + ": no such record");
    std::string problem;
    // The proposed name is cut to what a chunk holds rather than refused: the user asked for none.
    const std::optional<std::string> name =
        nameGiven ? NameBytes(options.name, problem)
                  : std::optional(CopyName(source->name));
    if (!name)
        return report.Fail("name", problem);
    const std::optional<std::uint16_t> to = wantedId ? wantedId : NextFreeRecordId(container, kind);
    if (!to)
        return report.Fail("id", std::string("No id is free for another ") + RecordKindName(kind) + ".");
    if (problem = RecordIdProblem(container, kind, *to); !problem.empty())
        return report.Fail("id", problem);
    if (!DuplicateRecord(container, kind, from, *to, *name))
        return report.Fail("store", RecordText(kind, from) + " could not be duplicated.");
    if (!report.Write(options.out, container))
        return kExitFailed;
    if (report.Json())
    {
        Json document{{"file", options.in}, {"out", options.out}, {"type", TypeCodeText(ListedType(kind))},
                      {"from", from}, {"id", *to}, {"name", Shown(*name)}, {"chunks", ChunkTypes(container, kind, *to)}};
        AddGuid(document, container, kind, *to);
        PrintJson(document);
    }
    else
        std::cout << "duplicated " << RecordText(kind, from) << " as #" << *to << " \"" << Shown(*name) << "\"\n";
    return kExitOk;
}

CommandResult RunRenameRecord(const CChangeOptions& options, bool nameGiven)
{
    const CResult<CNamedRecord, ECliUsage> named = ParseNamedRecord(options.kind, options.id);
    if (!named)
        return named.Failure();
    const ERecordKind kind = named->kind;
    const std::uint16_t id = named->id;
    if (!nameGiven && options.newId.empty())
        return UsageFault("rename-record: give --name, --id or both");
    const CResult<std::optional<std::uint16_t>, ECliUsage> newIdGiven = ParseOptionalId(options.newId);
    if (!newIdGiven)
        return newIdGiven.Failure();
    const std::uint16_t newId = newIdGiven->value_or(id);
    const CReport report(options.in, options.json);
    CIffFile container;
    if (!report.Read(options.in, container))
        return kExitFailed;

    const std::optional<CIffChunk> record = ListedChunk(container, kind, id);
    if (!record)
        return report.Fail("no-record", RecordText(kind, id) + ": no such record");
    std::string problem;
    const std::optional<std::string> name = nameGiven ? NameBytes(options.name, problem) : std::optional(record->name);
    if (!name)
        return report.Fail("name", problem);
    if (newId != id)
        if (problem = RecordIdProblem(container, kind, newId); !problem.empty())
            return report.Fail("id", problem);
    CRecordRenumbering renumbering = RenumberingOf(container, kind, id, newId);
    const bool follow = newId != id && !options.keepReferences;
    if (follow && !renumbering.problem.empty())
        return report.Fail("references", renumbering.problem);
    if (!follow)
    {
        // Nothing moves with the record: every reference stays where it points.
        renumbering.stay.insert(renumbering.stay.end(), renumbering.follow.begin(), renumbering.follow.end());
        renumbering.follow.clear();
    }
    if (!RenameRecord(container, kind, id, newId, *name, follow))
        return report.Fail("store", RecordText(kind, id) + " could not be renamed.");
    if (!report.Write(options.out, container))
        return kExitFailed;
    if (report.Json())
    {
        Json document{{"file", options.in}, {"out", options.out}, {"type", TypeCodeText(ListedType(kind))},
                      {"old_id", id}, {"old_name", Shown(record->name)}, {"id", newId}, {"name", Shown(*name)},
                      {"chunks", ChunkTypes(container, kind, newId)}};
        if (newId != id)
        {
            document["updated"] = ReferenceList(renumbering.follow);
            document["not_updated"] = ReferenceList(renumbering.stay);
            document["called_from_other_files"] = renumbering.calledFromOtherFiles;
        }
        PrintJson(document);
        return kExitOk;
    }
    std::cout << "renamed " << RecordText(kind, id) << " \"" << Shown(record->name) << "\" to #" << newId << " \""
              << Shown(*name) << "\"\n";
    if (newId == id)
        return kExitOk;
    PrintReferences("references updated:", renumbering.follow);
    PrintReferences("references left as they were:", renumbering.stay);
    if (renumbering.calledFromOtherFiles)
        std::cout << "calls from other files to #" << id << " cannot be updated\n";
    return kExitOk;
}

CommandResult RunDeleteRecord(const CChangeOptions& options)
{
    const CResult<CNamedRecord, ECliUsage> named = ParseNamedRecord(options.kind, options.id);
    if (!named)
        return named.Failure();
    const ERecordKind kind = named->kind;
    const std::uint16_t id = named->id;
    const CReport report(options.in, options.json);
    CIffFile container;
    if (!report.Read(options.in, container))
        return kExitFailed;

    const std::optional<CIffChunk> record = ListedChunk(container, kind, id);
    if (!record)
        return report.Fail("no-record", RecordText(kind, id) + ": no such record");
    const Json chunks = ChunkTypes(container, kind, id);
    // What the editor lists before asking: the record goes all the same, but the user learns what
    // now calls into nothing.
    const std::vector<CRecordReference> references = FindRecordReferences(container, kind, id);
    const std::vector<CRecordRefusal> unread = UnreadReferrers(container, kind);
    if (!DeleteRecord(container, kind, id))
        return report.Fail("store", RecordText(kind, id) + " could not be deleted.");
    if (!report.Write(options.out, container))
        return kExitFailed;
    if (report.Json())
    {
        PrintJson({{"file", options.in}, {"out", options.out}, {"type", TypeCodeText(ListedType(kind))},
                   {"id", id}, {"name", Shown(record->name)}, {"chunks", chunks},
                   {"references", ReferenceList(references)}, {"unread", RefusalList(unread)}});
        return kExitOk;
    }
    std::cout << "deleted " << RecordText(kind, id) << " \"" << Shown(record->name) << "\"\n";
    PrintReferences("still referred to by:", references);
    if (!unread.empty())
        std::cout << Shown(UnreadReferrersText(unread)) << '\n';
    return kExitOk;
}

struct CCopyOptions
{
    std::string from, kind, id, into, out;
    bool replace = false;
    bool json = false;
};

CommandResult RunCopyRecord(const CCopyOptions& options)
{
    const CResult<CNamedRecord, ECliUsage> named = ParseNamedRecord(options.kind, options.id);
    if (!named)
        return named.Failure();
    const ERecordKind kind = named->kind;
    const std::uint16_t id = named->id;
    const CReport report(options.from, options.json);
    CIffFile from;
    CIffFile into;
    if (!report.Read(options.from, from) || !report.Read(options.into, into))
        return kExitFailed;

    const std::optional<CIffChunk> record = ListedChunk(from, kind, id);
    if (!record)
        return report.FailFor(options.from, "no-record", RecordText(kind, id) + ": no such record");
    const bool inUse = !ChunkTypes(into, kind, id).empty();
    if (inUse && !options.replace)
        return report.FailFor(options.into, "id",
                             "#" + std::to_string(id) + " is in use by another " + RecordKindName(kind) +
                                 ". Give --replace to replace it.");
    if (!CopyRecord(from, into, kind, id, options.replace))
        return report.FailFor(options.into, "store", RecordText(kind, id) + " could not be copied.");
    if (!report.Write(options.out, into))
        return kExitFailed;
    if (report.Json())
        PrintJson({{"from", options.from}, {"into", options.into}, {"out", options.out},
                   {"type", TypeCodeText(ListedType(kind))}, {"id", id}, {"name", Shown(record->name)},
                   {"replaced", inUse}, {"chunks", ChunkTypes(into, kind, id)}});
    else
        std::cout << (inUse ? "replaced " : "copied ") << RecordText(kind, id) << " \"" << Shown(record->name)
                  << "\"\n";
    return kExitOk;
}

int RunNewFile(const std::string& out, bool json)
{
    // What File > New and Save give: a 2.5 container without chunks but its resource map.
    const CReport report(out, json);
    CIffFile container;
    if (!report.Write(out, container))
        return kExitFailed;
    if (json)
        PrintJson({{"file", out}, {"version", container.Version()}});
    return kExitOk;
}

constexpr const char* kKindHelp =
    "script, strings, interactions, constants or objects (or BHAV, STR#, TTAB, BCON, OBJD)";

// IN KIND ID OUT: the operands of every command that changes one record of a container.
void AddRecordOperands(CLI::App* command, CChangeOptions& options, const char* idHelp)
{
    command->add_option("IN", options.in, "IFF file to read")->required();
    command->add_option("KIND", options.kind, kKindHelp)->required();
    command->add_option("ID", options.id, idHelp)->required();
    command->add_option("OUT", options.out, "IFF file to write")->required();
}
}

void AddWorkbenchCommands(CLI::App& app, CommandResult& result)
{
    {
        auto* command = app.add_subcommand("new-file", "Write an empty container, as File > New and Save do");
        auto out = std::make_shared<std::string>();
        auto json = std::make_shared<bool>(false);
        command->add_option("OUT", *out, "IFF file to write")->required();
        command->add_flag("--json", *json, "Print JSON");
        command->callback([&result, out, json] { result = RunNewFile(*out, *json); });
    }
    {
        auto* command = app.add_subcommand("new-record", "Create an empty record and write the container");
        auto options = std::make_shared<CNewOptions>();
        command->add_option("IN", options->in, "IFF file to read")->required();
        command->add_option("KIND", options->kind, kKindHelp)->required();
        command->add_option("OUT", options->out, "IFF file to write")->required();
        command->add_option("--id", options->id, "chunk id (default: the next free one)");
        command->add_option("--name", options->name, "chunk name (default: empty)");
        command->add_flag("--with-functions", options->withFunctions, "objects: with a function table (OBJf)");
        command->add_flag("--json", options->json, "Print JSON");
        command->callback([&result, options] { result = RunNewRecord(*options); });
    }
    {
        auto* command = app.add_subcommand("duplicate-record", "Copy a record under a new id within the container");
        auto options = std::make_shared<CChangeOptions>();
        AddRecordOperands(command, *options, "id of the record to duplicate");
        command->add_option("--id", options->newId, "id of the copy (default: the next free one)");
        auto* name = command->add_option("--name", options->name, "name of the copy (default: \"copy of <name>\")");
        command->add_flag("--json", options->json, "Print JSON");
        command->callback([&result, options, name] { result = RunDuplicateRecord(*options, name->count() > 0); });
    }
    {
        auto* command = app.add_subcommand("rename-record", "Give a record a new name, a new id or both");
        auto options = std::make_shared<CChangeOptions>();
        AddRecordOperands(command, *options, "id of the record");
        command->add_option("--id", options->newId, "new id (a free one)");
        auto* name = command->add_option("--name", options->name, "new name");
        command->add_flag("--keep-references", options->keepReferences,
                          "leave the references to the old id as they are (default: they follow the new id)");
        command->add_flag("--json", options->json, "Print JSON");
        command->callback([&result, options, name] { result = RunRenameRecord(*options, name->count() > 0); });
    }
    {
        auto* command = app.add_subcommand("delete-record", "Remove a record and write the container");
        auto options = std::make_shared<CChangeOptions>();
        AddRecordOperands(command, *options, "id of the record");
        command->add_flag("--json", options->json, "Print JSON");
        command->callback([&result, options] { result = RunDeleteRecord(*options); });
    }
    {
        auto* command = app.add_subcommand("copy-record", "Copy a record from one container into another");
        auto options = std::make_shared<CCopyOptions>();
        command->add_option("FROM", options->from, "IFF file to copy from")->required();
        command->add_option("KIND", options->kind, kKindHelp)->required();
        command->add_option("ID", options->id, "id of the record")->required();
        command->add_option("INTO", options->into, "IFF file to copy into")->required();
        command->add_option("OUT", options->out, "IFF file to write")->required();
        command->add_flag("--replace", options->replace, "Replace a record of the same id in INTO");
        command->add_flag("--json", options->json, "Print JSON");
        command->callback([&result, options] { result = RunCopyRecord(*options); });
    }
}
