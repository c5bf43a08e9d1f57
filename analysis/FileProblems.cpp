#include "FileProblems.h"

#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "containers/Windows1252.h"
#include "records/BhavScript.h"
#include "records/InteractionTable.h"
#include "records/ObjectDefinition.h"
#include "records/ObjectFunctions.h"
#include "records/RecordCheck.h"
#include "records/StringTable.h"
#include "rendering/NeededFiles.h"
#include "rendering/ScriptReferences.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace
{
// What the checks share: the file, and where each script id a call names can be looked up.
class CProblemFinder
{
public:
    CProblemFinder(const CIffFile& file, const std::string& fileName, const std::string& semiGlobalName,
                   const CNeededFiles& loaded)
        : m_file(file), m_source{fileName, &file, semiGlobalName}, m_loaded(loaded)
    {
        for (const std::uint16_t id : ChunkIdsOfType(file, kTypeBhav))
            m_ownScripts.insert(id);
    }

    void CheckScripts();
    void CheckInteractions();
    void CheckObjects();
    void CheckTranslations();
    void CheckUnusedScripts();

    std::vector<CProblem> Take() { return std::move(m_problems); }

private:
    CProblem& Add(EProblemSeverity severity, EProblemKind kind, std::uint32_t type, std::uint16_t id,
                  const std::string& name, std::string message)
    {
        CProblem problem;
        problem.severity = severity;
        problem.kind = kind;
        problem.place.type = type;
        problem.place.id = id;
        problem.place.name = name;
        problem.message = std::move(message);
        m_problems.push_back(std::move(problem));
        return m_problems.back();
    }
    void Refused(std::uint32_t type, std::uint16_t id, const std::string& name, const CRecordFault& fault);
    /// Where the script a call or entry point `id` names should be, as the sentence says it; empty
    /// when it is there or when that file is not loaded, so nothing can be said.
    std::string MissingScriptWhere(std::uint16_t id) const;
    void Uses(std::uint16_t id, std::uint32_t type, std::uint16_t from)
    {
        if (type != kTypeBhav || id != from)
            m_used.insert(id);
    }

    const CIffFile& m_file;
    CReferenceSource m_source;
    const CNeededFiles& m_loaded;
    std::unordered_set<std::uint16_t> m_ownScripts;
    std::unordered_set<std::uint16_t> m_used;  // ids of scripts something other than themselves names
    std::vector<CProblem> m_problems;
};

std::string ScriptNumber(std::uint16_t id)
{
    return "script #" + std::to_string(id);
}

std::string Quoted(const std::string& bytes)
{
    return '"' + Windows1252ToUtf8(bytes) + '"';
}

void CProblemFinder::Refused(std::uint32_t type, std::uint16_t id, const std::string& name, const CRecordFault& fault)
{
    Add(EProblemSeverity::Warning, EProblemKind::RefusedRecord, type, id, name,
        "This record does not load (" + RecordFaultText(type, fault) + "), so it was not checked.");
}

std::string CProblemFinder::MissingScriptWhere(std::uint16_t id) const
{
    if (id < kFirstGlobalScript)
        return {};
    const std::string home = CalledScriptFile(m_source, id);
    if (SameFileName(home, m_source.fileName))
        return m_ownScripts.count(id) ? std::string() : "this file does not hold";
    for (const CFileScriptNames& names : m_loaded.Index())
    {
        if (!SameFileName(names.fileName, home) || SameFileName(names.fileName, m_source.fileName))
            continue;
        const bool there = std::any_of(names.scripts.begin(), names.scripts.end(),
                                       [id](const CScriptNameEntry& entry) { return entry.id == id; });
        return there ? std::string() : Windows1252ToUtf8(std::string(names.fileName)) + " does not hold";
    }
    return {};
}

void CProblemFinder::CheckScripts()
{
    for (const std::uint16_t id : ChunkIdsOfType(m_file, kTypeBhav))
    {
        CBhavScript script;
        if (const CRecordStatus loaded = script.Load(m_file, id); !loaded)
        {
            Refused(kTypeBhav, id, script.Name(), loaded.Failure());
            continue;
        }
        const std::vector<CBhavInstruction>& lines = script.Lines();
        const std::size_t count = lines.size();
        std::vector<bool> reached(count, false);
        std::vector<std::size_t> pending;
        if (count > 0)
            pending.push_back(0), reached[0] = true;
        while (!pending.empty())
        {
            const std::size_t line = pending.back();
            pending.pop_back();
            for (const std::uint8_t target : {lines[line].trueTarget, lines[line].falseTarget})
                if (IsLineTarget(target) && target < count && !reached[target])
                    reached[target] = true, pending.push_back(target);
        }
        for (std::size_t i = 0; i < count; ++i)
        {
            const CBhavInstruction& line = lines[i];
            for (const bool success : {true, false})
            {
                const std::uint8_t target = success ? line.trueTarget : line.falseTarget;
                if (!IsLineTarget(target) || target < count)
                    continue;
                Add(EProblemSeverity::Error, EProblemKind::MissingLine, kTypeBhav, id, script.Name(),
                    "Line " + std::to_string(i + 1) + " goes to line " + std::to_string(target + 1) + " on " +
                        (success ? "success" : "failure") + ", but the script has " + std::to_string(count) +
                        (count == 1 ? " line." : " lines."))
                    .place.line = int(i);
            }
            if (line.opcode >= kFirstGlobalScript)
            {
                Uses(line.opcode, kTypeBhav, id);
                if (const std::string where = MissingScriptWhere(line.opcode); !where.empty())
                    Add(EProblemSeverity::Error, EProblemKind::MissingCall, kTypeBhav, id, script.Name(),
                        "Line " + std::to_string(i + 1) + " calls " + ScriptNumber(line.opcode) + ", which " + where +
                            ".")
                        .place.line = int(i);
            }
        }
        // Each run of lines never reached is one finding, at its first line.
        for (std::size_t i = 0; i < count;)
        {
            if (reached[i])
            {
                ++i;
                continue;
            }
            std::size_t end = i;
            while (end + 1 < count && !reached[end + 1])
                ++end;
            const std::string lines = end == i ? "Line " + std::to_string(i + 1) + " is"
                                               : "Lines " + std::to_string(i + 1) + " to " + std::to_string(end + 1) + " are";
            Add(EProblemSeverity::Warning, EProblemKind::UnreachableLines, kTypeBhav, id, script.Name(),
                lines + " never reached from line 1.")
                .place.line = int(i);
            i = end + 1;
        }
    }
}

void CProblemFinder::CheckInteractions()
{
    const std::vector<std::uint16_t> tables = ChunkIdsOfType(m_file, kTypeTtab);
    for (const std::uint16_t id : ChunkIdsOfType(m_file, kTypeTtas))
        if (std::find(tables.begin(), tables.end(), id) == tables.end())
        {
            CStringTable names;
            (void)names.Load(m_file, kTypeTtas, id);
            Add(EProblemSeverity::Warning, EProblemKind::NamesWithoutTable, kTypeTtas, id, names.Name(),
                "These interaction names have no interaction table (TTAB #" + std::to_string(id) + ").");
        }
    for (const std::uint16_t id : tables)
    {
        CInteractionTable table;
        if (const CRecordStatus loaded = table.Load(m_file, id); !loaded)
        {
            Refused(kTypeTtab, id, table.Name(), loaded.Failure());
            continue;
        }
        CStringTable names;
        CIffChunk namesChunk;
        namesChunk.type = kTypeTtas;
        namesChunk.id = id;
        const bool hasNames = m_file.FindChunk(namesChunk);
        bool namesLoaded = false;
        if (!hasNames)
            Add(EProblemSeverity::Error, EProblemKind::TableWithoutNames, kTypeTtab, id, table.Name(),
                "The interaction table has no names (TTAs #" + std::to_string(id) + ").");
        else if (const CRecordStatus loaded = names.Load(m_file, kTypeTtas, id); !(namesLoaded = bool(loaded)))
            Refused(kTypeTtas, id, namesChunk.name, loaded.Failure());
        for (std::size_t i = 0; i < table.Interactions().size(); ++i)
        {
            const CInteraction& interaction = table.Interactions()[i];
            const std::string which = "Interaction " + std::to_string(i);
            for (const bool check : {false, true})
            {
                const std::uint16_t tree = check ? interaction.checkTree : interaction.actionTree;
                if (tree == 0)
                    continue;
                Uses(tree, kTypeTtab, id);
                if (const std::string where = MissingScriptWhere(tree); !where.empty())
                {
                    CProblem& problem =
                        Add(EProblemSeverity::Error, EProblemKind::MissingTree, kTypeTtab, id, table.Name(),
                            which + " names " + ScriptNumber(tree) + " as its " + (check ? "check" : "action") +
                                " tree, which " + where + ".");
                    problem.place.interaction = int(i);
                    problem.place.checkTree = check;
                }
            }
            if (!namesLoaded)
                continue;
            std::string problem;
            EProblemSeverity severity = EProblemSeverity::Error;
            if (interaction.nameIndex >= names.LineCount())
                problem = which + " names string " + std::to_string(interaction.nameIndex) + ", but its names hold " +
                          std::to_string(names.LineCount()) + ".";
            else if ((names.IsPlain() ? names.Strings()[interaction.nameIndex] : names.Rows()[interaction.nameIndex][0].text)
                         .empty())
            {
                problem = which + " has an empty name: string " + std::to_string(interaction.nameIndex) +
                          " of its names has no USEnglish text.";
                severity = EProblemSeverity::Warning;
            }
            if (!problem.empty())
                Add(severity, EProblemKind::MissingName, kTypeTtab, id, table.Name(), problem).place.interaction = int(i);
        }
    }
}

void CProblemFinder::CheckObjects()
{
    // Every GUID of the loaded files, with the first object that has it.
    struct COwner
    {
        std::string file;
        std::uint16_t id;
        std::string name;
    };
    std::unordered_map<std::uint32_t, COwner> loadedGuids;
    for (const CFileScriptNames& loaded : m_loaded.Index())
        if (!SameFileName(loaded.fileName, m_source.fileName))
            for (const CObjectGuid& object : ObjectGuids(*loaded.container))
                loadedGuids.emplace(object.guid, COwner{std::string(loaded.fileName), object.id, object.name});
    const std::vector<CObjectGuid> ownGuids = ObjectGuids(m_file);

    for (const std::uint16_t id : ChunkIdsOfType(m_file, kTypeObjd))
    {
        CObjectDefinition object;
        if (const CRecordStatus loaded = object.Load(m_file, id); !loaded)
        {
            Refused(kTypeObjd, id, object.Name(), loaded.Failure());
            continue;
        }
        const std::string guid = GuidText(object.Guid());
        for (const CObjectGuid& other : ownGuids)
            if (other.id != id && other.guid == object.Guid())
            {
                Add(EProblemSeverity::Error, EProblemKind::SharedGuid, kTypeObjd, id, object.Name(),
                    "GUID " + guid + " is used by OBJD #" + std::to_string(other.id) + ' ' + Quoted(other.name) +
                        " too.")
                    .place.field = CObjectDefinition::kGuidOffset;
                break;
            }
        if (const auto owner = loadedGuids.find(object.Guid()); owner != loadedGuids.end())
            Add(EProblemSeverity::Error, EProblemKind::SharedGuid, kTypeObjd, id, object.Name(),
                "GUID " + guid + " is used by OBJD #" + std::to_string(owner->second.id) + ' ' +
                    Quoted(owner->second.name) + " of " + Windows1252ToUtf8(owner->second.file) + " too.")
                .place.field = CObjectDefinition::kGuidOffset;
        for (const CObjectField& field : object.Fields())
        {
            const std::uint32_t value = object.Value(field.offset);
            if (field.kind != EObjectFieldKind::Script || value == 0)
                continue;
            Uses(std::uint16_t(value), kTypeObjd, id);
            if (const std::string where = MissingScriptWhere(std::uint16_t(value)); !where.empty())
                Add(EProblemSeverity::Error, EProblemKind::MissingTree, kTypeObjd, id, object.Name(),
                    "The " + field.name + " is " + ScriptNumber(std::uint16_t(value)) + ", which " + where + ".")
                    .place.field = field.offset;
        }
    }
    for (const std::uint16_t id : ChunkIdsOfType(m_file, kTypeObjf))
    {
        CObjectFunctions functions;
        if (const CRecordStatus loaded = functions.Load(m_file, id); !loaded)
        {
            Refused(kTypeObjf, id, functions.Name(), loaded.Failure());
            continue;
        }
        for (std::size_t i = 0; i < functions.Functions().size(); ++i)
            for (const bool check : {true, false})
            {
                const std::uint16_t script = check ? functions.Functions()[i].check : functions.Functions()[i].action;
                if (script == 0)
                    continue;
                Uses(script, kTypeObjf, id);
                if (const std::string where = MissingScriptWhere(script); !where.empty())
                {
                    CProblem& problem =
                        Add(EProblemSeverity::Error, EProblemKind::MissingTree, kTypeObjf, id, functions.Name(),
                            std::string("The ") + (check ? "check" : "action") + " of \"" + ObjectFunctionName(i) +
                                "\" is " + ScriptNumber(script) + ", which " + where + ".");
                    problem.place.function = int(i);
                    problem.place.checkTree = check;
                }
            }
    }
}

void CProblemFinder::CheckTranslations()
{
    for (const std::uint32_t type : {kTypeStr, kTypeTtas})
        for (const std::uint16_t id : ChunkIdsOfType(m_file, type))
        {
            CStringTable table;
            if (const CRecordStatus loaded = table.Load(m_file, type, id); !loaded)
            {
                if (type == kTypeStr)  // the names are refused with their interaction table
                    Refused(type, id, table.Name(), loaded.Failure());
                continue;
            }
            if (table.IsPlain())
                continue;
            // Only the languages the table has at all: a table in USEnglish alone is no omission.
            std::vector<int> languages;
            for (int slot = 1; slot < CStringTable::kSlotCount; ++slot)
                if (std::any_of(table.Rows().begin(), table.Rows().end(),
                                [slot](const CStringTable::CRow& row) { return !row[std::size_t(slot)].text.empty(); }))
                    languages.push_back(slot);
            for (std::size_t r = 0; r < table.Rows().size(); ++r)
            {
                const CStringTable::CRow& row = table.Rows()[r];
                if (row[0].text.empty())
                    continue;
                std::string missing;
                for (const int slot : languages)
                    if (row[std::size_t(slot)].text.empty())
                    {
                        const std::string name = *CStringTable::SlotName(slot)
                                                     ? CStringTable::SlotName(slot)
                                                     : "code " + std::to_string(CStringTable::CodeForSlot(slot));
                        missing += (missing.empty() ? "" : ", ") + name;
                    }
                if (!missing.empty())
                    Add(EProblemSeverity::Note, EProblemKind::UntranslatedText, type, id, table.Name(),
                        "Row " + std::to_string(r) + " has a USEnglish text but none in " + missing + ".")
                        .row = int(r);
            }
        }
}

void CProblemFinder::CheckUnusedScripts()
{
    for (const std::uint16_t id : ChunkIdsOfType(m_file, kTypeBhav))
    {
        if (id < kFirstPrivateScript || id >= kFirstSemiGlobalScript || m_used.count(id))
            continue;
        CIffChunk chunk;
        chunk.type = kTypeBhav;
        chunk.id = id;
        (void)m_file.FindChunk(chunk);
        Add(EProblemSeverity::Note, EProblemKind::UnusedScript, kTypeBhav, id, chunk.name,
            "Nothing in this file calls this private script or names it as an entry point or tree.");
    }
}
}

const char* ProblemSeverityWord(EProblemSeverity severity)
{
    switch (severity)
    {
    case EProblemSeverity::Error:
        return "error";
    case EProblemSeverity::Warning:
        return "warning";
    case EProblemSeverity::Note:
        return "note";
    }
    return "";
}

const char* ProblemKindWord(EProblemKind kind)
{
    switch (kind)
    {
    case EProblemKind::MissingLine:
        return "missing-line";
    case EProblemKind::UnreachableLines:
        return "unreachable";
    case EProblemKind::MissingCall:
        return "missing-call";
    case EProblemKind::MissingTree:
        return "missing-script";
    case EProblemKind::MissingName:
        return "missing-name";
    case EProblemKind::TableWithoutNames:
        return "no-names";
    case EProblemKind::NamesWithoutTable:
        return "no-table";
    case EProblemKind::SharedGuid:
        return "guid";
    case EProblemKind::UntranslatedText:
        return "untranslated";
    case EProblemKind::UnusedScript:
        return "unused-script";
    case EProblemKind::RefusedRecord:
        return "refused";
    }
    return "";
}

std::vector<CProblem> FindFileProblems(const CIffFile& file, const std::string& fileName,
                                       const std::string& semiGlobalName, const CNeededFiles& loaded)
{
    CProblemFinder finder(file, fileName, semiGlobalName, loaded);
    finder.CheckScripts();
    finder.CheckInteractions();
    finder.CheckObjects();
    finder.CheckTranslations();
    finder.CheckUnusedScripts();
    std::vector<CProblem> problems = finder.Take();

    // In the order of the records in the directory, then by place.
    std::map<std::pair<std::uint32_t, std::uint16_t>, std::size_t> position;
    for (std::size_t i = 0; i < file.Chunks().size(); ++i)
        position.emplace(std::pair(file.Chunks()[i].type, file.Chunks()[i].id), i);
    const auto key = [&position](const CProblem& p) {
        return std::tuple(position[{p.place.type, p.place.id}], p.place.line, p.place.interaction, p.place.field,
                          p.place.function, p.row);
    };
    std::stable_sort(problems.begin(), problems.end(),
                     [&key](const CProblem& a, const CProblem& b) { return key(a) < key(b); });
    return problems;
}

std::string ProblemPlaceText(const CProblem& problem)
{
    const CRecordReference& place = problem.place;
    std::string text = TypeCodeText(place.type) + " #" + std::to_string(place.id) + ' ' + Quoted(place.name);
    if (place.line >= 0)
        return text + ", line " + std::to_string(place.line + 1);
    if (place.interaction >= 0)
        return text + ", interaction " + std::to_string(place.interaction);
    if (place.field >= 0)
        return text + ": " + ObjectFieldName(std::uint16_t(place.field));
    if (place.function >= 0)
        return text + ": " + (place.checkTree ? "check" : "action") + " of \"" +
               ObjectFunctionName(std::size_t(place.function)) + '"';
    if (problem.row >= 0)
        return text + ", row " + std::to_string(problem.row);
    return text;
}
