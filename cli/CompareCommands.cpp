#include "CompareCommands.h"
#include "CodePageText.h"
#include "OpenSources.h"

#include "analysis/FileComparison.h"
#include "analysis/FileProblems.h"
#include "analysis/RecordView.h"
#include "containers/TypeCodes.h"
#include "records/ObjectDefinition.h"
#include "records/ObjectFunctions.h"
#include "containers/IffFile.h"
#include "rendering/PlainTextRenderer.h"

#include <memory>

// Commands for mods kept under version control: a text of a whole file for line diffs, the
// records two files differ in, and the problems of a file found before the game finds them.

namespace
{
using Json = nlohmann::ordered_json;

std::string ShownInOwnCodePage(const std::string& bytes, const std::string& codePage)
{
    return ShownInCodePage(bytes, codePage);
}

CommandResult RunTextconv(const std::string& path, bool json)
{
    const CReport report(path, json);
    COpenFile open;
    if (!OpenFile(path, {}, report, open))
        return kExitFailed;
    const CPlainTextRenderer renderer(open.files, NamePart(path), open.semiGlobalName);
    const std::string text = FormatFileText(open.container, renderer, ShownInOwnCodePage);
    if (json)
        PrintJson({{"file", path}, {"text", text}});
    else
        std::cout << text;
    return kExitOk;
}

Json PartsJson(const std::vector<CEntryPart>& parts, bool there)
{
    if (!there)
        return nullptr;
    Json object = Json::object();
    for (const CEntryPart& part : parts)
        object[part.key] = part.value;
    return object;
}

Json RecordJson(const CRecordKey& record)
{
    return {{"type", TypeCodeText(record.type)}, {"id", record.id}, {"name", record.name}};
}

std::string RecordLine(const CRecordKey& record)
{
    return TypeCodeText(record.type) + " #" + std::to_string(record.id) + " \"" + record.name + '"';
}

CommandResult RunDiff(const std::string& pathA, const std::string& pathB, bool json)
{
    COpenFile a, b;
    if (!OpenFile(pathA, {}, CReport(pathA, json), a) || !OpenFile(pathB, {}, CReport(pathB, json), b))
        return kExitFailed;
    const CPlainTextRenderer rendererA(a.files, NamePart(pathA), a.semiGlobalName);
    const CPlainTextRenderer rendererB(b.files, NamePart(pathB), b.semiGlobalName);
    const CFileComparison comparison = CompareFiles(a.container, rendererA, b.container, rendererB, ShownInOwnCodePage);
    const int status = comparison.Same() ? kExitOk : kExitFailed;
    if (json)
    {
        Json added = Json::array(), removed = Json::array(), changed = Json::array();
        for (const CRecordKey& record : comparison.added)
            added.push_back(RecordJson(record));
        for (const CRecordKey& record : comparison.removed)
            removed.push_back(RecordJson(record));
        for (const CRecordDifference& difference : comparison.changed)
        {
            Json changes = Json::array();
            for (const CEntryChange& change : difference.changes)
            {
                Json entry{{"place", change.place}};
                if (change.line > 0)
                    entry["line"] = change.line;
                entry["fields"] = change.fields;
                entry["old"] = PartsJson(change.old, change.before);
                entry["new"] = PartsJson(change.now, change.after);
                changes.push_back(std::move(entry));
            }
            Json record = RecordJson(difference.record);
            record["changes"] = std::move(changes);
            changed.push_back(std::move(record));
        }
        // `file` as on every command that takes a file: the first one named.
        PrintJson({{"file", pathA}, {"a", pathA}, {"b", pathB}, {"added", added}, {"removed", removed},
                   {"changed", changed}});
        return status;
    }
    for (const CRecordKey& record : comparison.added)
        std::cout << "added " << RecordLine(record) << '\n';
    for (const CRecordKey& record : comparison.removed)
        std::cout << "removed " << RecordLine(record) << '\n';
    for (const CRecordDifference& difference : comparison.changed)
    {
        std::cout << "changed " << RecordLine(difference.record) << '\n';
        for (const CEntryChange& change : difference.changes)
            std::cout << "  " << FormatEntryChange(change) << '\n';
    }
    if (comparison.Same())
        std::cout << "The files hold the same records.\n";
    return status;
}

// The keys that say where in its record a problem is; none for a problem of the whole record.
void AddProblemPlace(Json& entry, const CProblem& problem)
{
    const CRecordReference& place = problem.place;
    if (place.line >= 0)
        entry["line"] = place.line + 1;  // as the script editor and `script` number lines
    if (place.interaction >= 0)
    {
        entry["interaction"] = place.interaction;
        if (problem.kind == EProblemKind::MissingTree)
            entry["tree"] = place.checkTree ? "check" : "action";
    }
    if (place.field >= 0)
    {
        entry["field"] = ObjectFieldName(std::uint16_t(place.field));
        entry["offset"] = place.field;
    }
    if (place.function >= 0)
    {
        entry["index"] = place.function;
        entry["function"] = ObjectFunctionName(std::size_t(place.function));
        entry["role"] = place.checkTree ? "check" : "action";
    }
    if (problem.row >= 0)
        entry["row"] = problem.row;
}

CommandResult RunLint(const std::string& path, const std::string& gameData, bool json)
{
    const CReport report(path, json);
    CRenderSources sources;
    sources.gameData = gameData;
    COpenFile open;
    if (!OpenFile(path, sources, report, open))
        return kExitFailed;
    const std::vector<CProblem> problems =
        FindFileProblems(open.container, NamePart(path), open.semiGlobalName, open.files);
    std::size_t counts[3] = {};
    for (const CProblem& problem : problems)
        ++counts[std::size_t(problem.severity)];
    const int status = counts[std::size_t(EProblemSeverity::Error)] > 0 ? kExitFailed : kExitOk;
    if (json)
    {
        Json list = Json::array();
        for (const CProblem& problem : problems)
        {
            Json entry{{"severity", ProblemSeverityWord(problem.severity)},
                       {"kind", ProblemKindWord(problem.kind)},
                       {"type", TypeCodeText(problem.place.type)},
                       {"id", problem.place.id},
                       {"name", Shown(problem.place.name)}};
            AddProblemPlace(entry, problem);
            entry["message"] = problem.message;
            list.push_back(std::move(entry));
        }
        PrintJson({{"file", path}, {"problems", list}, {"errors", counts[0]}, {"warnings", counts[1]}, {"notes", counts[2]}});
        return status;
    }
    for (const CProblem& problem : problems)
        std::cout << ProblemSeverityWord(problem.severity) << ": " << ProblemPlaceText(problem) << ": "
                  << problem.message << '\n';
    const auto counted = [](std::size_t n, const char* word) {
        return std::to_string(n) + ' ' + word + (n == 1 ? "" : "s");
    };
    std::cout << counted(counts[0], "error") << ", " << counted(counts[1], "warning") << ", "
              << counted(counts[2], "note") << '\n';
    return status;
}
}

void AddCompareCommands(CLI::App& app, CommandResult& result)
{
    {
        auto* command = app.add_subcommand("textconv", "A stable text of a whole file, for line diffs (git's textconv)");
        auto file = std::make_shared<std::string>();
        auto json = std::make_shared<bool>(false);
        command->add_option("FILE", *file, "The IFF file")->required();
        command->add_flag("--json", *json, "Print one JSON document");
        command->callback([&result, file, json] { result = RunTextconv(*file, *json); });
    }
    {
        auto* command = app.add_subcommand(
            "diff", "The records two files differ in: added, removed and changed (exit 0 same, 1 different)");
        auto a = std::make_shared<std::string>();
        auto b = std::make_shared<std::string>();
        auto json = std::make_shared<bool>(false);
        command->add_option("A", *a, "The first IFF file")->required();
        command->add_option("B", *b, "The second IFF file")->required();
        command->add_flag("--json", *json, "Print one JSON document");
        command->callback([&result, a, b, json] { result = RunDiff(*a, *b, *json); });
    }
    {
        auto* command = app.add_subcommand(
            "lint", "The problems of a file the game would show by misbehaving (exit 1 when one is an error)");
        auto file = std::make_shared<std::string>();
        auto gameData = std::make_shared<std::string>();
        auto json = std::make_shared<bool>(false);
        command->add_option("FILE", *file, "The IFF file")->required();
        command->add_option("--game-data", *gameData,
                            "The game's data folder: calls and GUIDs are checked against its GameData/Global files");
        command->add_flag("--json", *json, "Print one JSON document");
        command->callback([&result, file, gameData, json] { result = RunLint(*file, *gameData, *json); });
    }
}
