#include "CliSupport.h"

#include "containers/NumberText.h"

#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/ObjectDefinition.h"
#include "records/ObjectFunctions.h"
#include "records/RecordCheck.h"
#include "records/RecordEditing.h"
#include "records/SemiGlobalReference.h"
#include "rendering/NeededFiles.h"
#include "loading/NeededFilesLoader.h"
#include "rendering/ObjectEntryPoints.h"

#include <memory>
#include <optional>
#include <vector>

// The object commands: an object's definition with its entry points, the change of its fields and
// GUID, and the new GUIDs of a clone.

namespace
{
using Json = nlohmann::ordered_json;

// The file and, with a game data folder, the loaded files whose scripts and GUIDs count too.
struct CObjectFile
{
    CIffFile container;
    CNeededFiles files;
    std::string semiGlobalName;
};

bool ReadObjectFile(const std::string& path, const std::string& gameData, const CReport& report, CObjectFile& file)
{
    CCliPrompt prompt;
    if (!report.Read(path, file.container, prompt))
        return false;
    if (!gameData.empty())
        LoadNeededFiles(file.files, gameData, prompt);
    file.semiGlobalName = ReadSemiGlobalName(file.container);
    return true;
}

// Every GUID a new one must avoid: the file's and the loaded files'.
std::vector<std::uint32_t> UsedGuids(const CObjectFile& file)
{
    std::vector<std::uint32_t> guids = UsedObjectGuids(file.container);
    const std::vector<std::uint32_t> loaded = LoadedObjectGuids(file.files);
    guids.insert(guids.end(), loaded.begin(), loaded.end());
    return guids;
}

Json ObjectJson(const CObjectFile& file, std::uint16_t id)
{
    Json document{{"type", "OBJD"}, {"id", id}};
    CObjectDefinition object;
    if (const CRecordStatus loaded = object.Load(file.container, id); !loaded)
    {
        document["name"] = Shown(object.Name());
        document["reason"] = RecordFaultText(kTypeObjd, loaded.Failure());
        return document;
    }
    const auto script = [&](std::uint16_t scriptId) {
        return EntryPointScript(file.container, file.files, file.semiGlobalName, scriptId);
    };
    Json fields = Json::array();
    Json entryPoints = Json::array();
    for (const CObjectField& field : object.Fields())
    {
        const std::uint32_t value = object.Value(field.offset);
        fields.push_back({{"offset", field.offset}, {"name", field.name}, {"value", value}});
        if (field.kind != EObjectFieldKind::Script || value == 0)
            continue;
        const CEntryPointScript named = script(std::uint16_t(value));
        entryPoints.push_back({{"field", field.name},
                               {"offset", field.offset},
                               {"id", value},
                               {"script", Shown(named.name)},
                               {"where", ScriptHomeWord(named.home)}});
    }
    Json functions = Json::array();
    CObjectFunctions table;
    const CRecordStatus tableLoaded = table.Load(file.container, id);
    const bool hasTable = bool(tableLoaded);
    if (hasTable)
        for (std::size_t i = 0; i < table.Functions().size(); ++i)
        {
            const CObjectFunction& function = table.Functions()[i];
            functions.push_back({{"index", i},
                                 {"function", ObjectFunctionName(i)},
                                 {"check", function.check},
                                 {"action", function.action},
                                 {"check_script", Shown(script(function.check).name)},
                                 {"action_script", Shown(script(function.action).name)}});
        }
    document["name"] = Shown(object.Name());
    document["version"] = object.Version();
    document["guid"] = GuidText(object.Guid());
    document["fields"] = std::move(fields);
    document["entry_points"] = std::move(entryPoints);
    document["functions"] = std::move(functions);
    if (!hasTable && tableLoaded.Failure().what != ERecordFault::Missing)
        document["functions_reason"] = RecordFaultText(kTypeObjf, tableLoaded.Failure());
    return document;
}

std::string ScriptText(const Json& id, const Json& name, const Json& where)
{
    std::string text = std::to_string(id.get<int>());
    if (!name.get<std::string>().empty())
        text += " \"" + name.get<std::string>() + "\"";
    if (!where.get<std::string>().empty())
        text += " (" + where.get<std::string>() + ")";
    return text;
}

void PrintObject(const Json& object)
{
    std::cout << "OBJD #" << object["id"].get<int>() << " \"" << object["name"].get<std::string>() << "\"";
    if (object.contains("reason"))
    {
        std::cout << ": " << object["reason"].get<std::string>() << '\n';
        return;
    }
    std::cout << ", version " << object["version"].get<int>() << ", GUID " << object["guid"].get<std::string>() << '\n';
    std::cout << "  entry points:\n";
    for (const Json& entry : object["entry_points"])
        std::cout << "    " << entry["field"].get<std::string>() << ": "
                  << ScriptText(entry["id"], entry["script"], entry["where"]) << '\n';
    if (!object["functions"].empty())
        std::cout << "  functions (check, action):\n";
    for (const Json& function : object["functions"])
        std::cout << "    " << function["index"].get<int>() << " " << function["function"].get<std::string>() << ": "
                  << ScriptText(function["check"], function["check_script"], Json("")) << ", "
                  << ScriptText(function["action"], function["action_script"], Json("")) << '\n';
    if (object.contains("functions_reason"))
        std::cout << "  OBJf: " << object["functions_reason"].get<std::string>() << '\n';
    std::cout << "  fields:\n";
    for (const Json& field : object["fields"])
        std::cout << "    " << field["offset"].get<int>() << " " << field["name"].get<std::string>() << ": "
                  << field["value"].get<std::uint32_t>() << '\n';
}

int RunObjects(const std::string& path, const std::string& gameData, bool json)
{
    const CReport report(path, json);
    CObjectFile file;
    if (!ReadObjectFile(path, gameData, report, file))
        return kExitFailed;
    Json objects = Json::array();
    for (const std::uint16_t id : ChunkIdsOfType(file.container, kTypeObjd))
        objects.push_back(ObjectJson(file, id));
    if (json)
        PrintJson({{"file", path}, {"objects", std::move(objects)}});
    else
        for (const Json& object : objects)
            PrintObject(object);
    return kExitOk;
}

// One --set FIELD=VALUE, read before any file is: the field by name or byte offset, the value as
// the tool reads every number.
struct CFieldSetting
{
    std::string field;
    std::uint16_t offset = 0;
    std::int64_t value = 0;
};

CResult<CFieldSetting, ECliUsage> ParseSetting(const std::string& text)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos)
        return UsageFault("--set: '" + text + "' is not FIELD=VALUE");
    CFieldSetting setting;
    setting.field = text.substr(0, equals);
    if (const std::optional<std::uint16_t> named = ObjectFieldOffset(setting.field))
        setting.offset = *named;
    else if (const auto offset = ParseInteger(setting.field, 0, 0xFFFF, ENumberForm::DecimalOrHex))
        setting.offset = std::uint16_t(*offset);
    else
        return UsageFault("--set: '" + setting.field + "' is neither a field's name nor a byte offset");
    const auto value = ParseInteger(text.substr(equals + 1), INT64_MIN, INT64_MAX, ENumberForm::DecimalOrHex);
    if (!value)
        return UsageFault("--set: '" + text.substr(equals + 1) + "' is not a number");
    setting.value = *value;
    return setting;
}

struct CSetObjectOptions
{
    std::string in, id, out, guid, gameData;
    std::vector<std::string> settings;
    bool json = false;
};

CommandResult RunSetObject(const CSetObjectOptions& options)
{
    const CResult<std::uint16_t, ECliUsage> idGiven = ParseCliId(options.id, "ID");
    if (!idGiven)
        return idGiven.Failure();
    const std::uint16_t id = *idGiven;
    std::vector<CFieldSetting> settings;
    for (const std::string& text : options.settings)
    {
        CResult<CFieldSetting, ECliUsage> setting = ParseSetting(text);
        if (!setting)
            return setting.Failure();
        settings.push_back(*setting);
    }
    const bool newGuid = options.guid == "new";
    std::optional<std::uint32_t> guid;
    if (!options.guid.empty() && !newGuid)
    {
        const CResult<std::int64_t, ECliUsage> given = ParseCliNumber(options.guid, 0, 0xFFFFFFFFll, "--guid");
        if (!given)
            return given.Failure();
        guid = std::uint32_t(*given);
    }
    if (settings.empty() && options.guid.empty())
        return UsageFault("set-object: give --set, --guid or both");

    const CReport report(options.in, options.json);
    CObjectFile file;
    if (!ReadObjectFile(options.in, options.gameData, report, file))
        return kExitFailed;
    CObjectDefinition object;
    if (const CRecordStatus loaded = object.Load(file.container, id); !loaded)
        return ReportRefusal(report, kTypeObjd, id, object.Name(), loaded.Failure());
    const CObjectDefinition before = object;
    for (const CFieldSetting& setting : settings)
        if (const std::string problem = object.ValueProblem(setting.offset, setting.value); !problem.empty())
            return report.Fail("field", setting.field + ": " + problem);
        else
            object.SetValue(setting.offset, setting.value);
    if (newGuid)
        object.SetGuid(DrawObjectGuid(UsedGuids(file)));
    else if (guid)
        object.SetGuid(*guid);
    if (object.Guid() != before.Guid())
        if (const std::string problem = ObjectGuidProblem(file.container, id, object.Guid()); !problem.empty())
            return report.Fail("guid", Shown(problem));
    if (const CRecordStatus stored = object.Store(file.container, id); !stored)
        return ReportRefusal(report, kTypeObjd, id, object.Name(), stored.Failure());
    if (!report.Write(options.out, file.container))
        return kExitFailed;

    Json changed = Json::array();
    for (const CObjectField& field : object.Fields())
        if (object.Value(field.offset) != before.Value(field.offset))
            changed.push_back({{"offset", field.offset},
                               {"field", field.name},
                               {"old", before.Value(field.offset)},
                               {"new", object.Value(field.offset)}});
    if (report.Json())
        PrintJson({{"file", options.in}, {"out", options.out}, {"id", id}, {"name", Shown(object.Name())},
                   {"guid", GuidText(object.Guid())}, {"changed", std::move(changed)}});
    else
        for (const Json& change : changed)
            std::cout << change["field"].get<std::string>() << ": " << change["old"].get<std::uint32_t>() << " -> "
                      << change["new"].get<std::uint32_t>() << '\n';
    return kExitOk;
}

int RunClone(const std::string& in, const std::string& out, const std::string& gameData, bool json)
{
    const CReport report(in, json);
    CObjectFile file;
    if (!ReadObjectFile(in, gameData, report, file))
        return kExitFailed;
    std::vector<CGuidChange> changes;
    std::uint16_t refused = 0;
    if (!CloneObjects(file.container, LoadedObjectGuids(file.files), changes, refused))
    {
        CObjectDefinition object;
        if (const CRecordStatus loaded = object.Load(file.container, refused); !loaded)
            return ReportRefusal(report, kTypeObjd, refused, object.Name(), loaded.Failure());
        return report.Fail("store", "The new GUIDs could not be stored.");
    }
    if (!report.Write(out, file.container))
        return kExitFailed;
    Json guids = Json::array();
    for (const CGuidChange& change : changes)
        guids.push_back({{"id", change.id}, {"old", GuidText(change.before)}, {"new", GuidText(change.after)}});
    if (json)
        PrintJson({{"file", in}, {"out", out}, {"guids", std::move(guids)}});
    else
        for (const CGuidChange& change : changes)
            std::cout << "OBJD #" << change.id << ": " << GuidText(change.before) << " -> " << GuidText(change.after)
                      << '\n';
    return kExitOk;
}
}  // namespace

void AddObjectCommands(CLI::App& app, CommandResult& result)
{
    {
        auto* command = app.add_subcommand("objects", "Every object definition with its entry points and functions");
        auto file = std::make_shared<std::string>();
        auto gameData = std::make_shared<std::string>();
        auto json = std::make_shared<bool>(false);
        command->add_option("FILE", *file, "IFF file")->required();
        command->add_option("--game-data", *gameData,
                            "The game's data folder: global and semi-global scripts are named from its files");
        command->add_flag("--json", *json, "Print JSON");
        command->callback([&result, file, gameData, json] { result = RunObjects(*file, *gameData, *json); });
    }
    {
        auto* command = app.add_subcommand("set-object", "Change fields or the GUID of an object definition");
        auto options = std::make_shared<CSetObjectOptions>();
        command->add_option("IN", options->in, "IFF file to read")->required();
        command->add_option("ID", options->id, "OBJD chunk id")->required();
        command->add_option("OUT", options->out, "IFF file to write")->required();
        command->add_option("--set", options->settings, "FIELD=VALUE: a field by name or byte offset")
            ->allow_extra_args(false);
        command->add_option("--guid", options->guid, "A GUID, or 'new' for a random one no object uses");
        command->add_option("--game-data", options->gameData,
                            "The game's data folder: a new GUID avoids those of its objects too");
        command->add_flag("--json", options->json, "Print JSON");
        command->callback([&result, options] { result = RunSetObject(*options); });
    }
    {
        auto* command = app.add_subcommand("clone", "Give every object of a file a new GUID, changing nothing else");
        auto in = std::make_shared<std::string>();
        auto out = std::make_shared<std::string>();
        auto gameData = std::make_shared<std::string>();
        auto json = std::make_shared<bool>(false);
        command->add_option("IN", *in, "IFF file to read")->required();
        command->add_option("OUT", *out, "IFF file to write")->required();
        command->add_option("--game-data", *gameData, "The game's data folder: new GUIDs avoid those of its objects");
        command->add_flag("--json", *json, "Print JSON");
        command->callback([&result, in, out, gameData, json] { result = RunClone(*in, *out, *gameData, *json); });
    }
}
