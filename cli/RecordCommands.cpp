#include "CliSupport.h"
#include "CodePageText.h"

#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "containers/Windows1252.h"
#include "loading/ReadMessages.h"
#include "records/BhavScript.h"
#include "records/ConstantTable.h"
#include "records/InteractionTable.h"
#include "records/ObjectDefinition.h"
#include "records/ObjectFunctions.h"
#include "records/RecordCheck.h"
#include "records/SemiGlobalReference.h"
#include "records/StringTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <memory>
#include <sstream>

namespace
{
using Json = nlohmann::ordered_json;

const char kNameNotStored[] = "The semi-global name could not be stored.";

// The shortest text that reads back as the same float, so 0.02f shows as 0.02.
std::string FloatText(float value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

Json FloatJson(float value)
{
    if (!std::isfinite(value))
        return nullptr;
    return std::strtod(FloatText(value).c_str(), nullptr);
}

std::string Hex(unsigned value, int digits)
{
    std::ostringstream text;
    text << "0x" << std::uppercase << std::hex << std::setw(digits) << std::setfill('0') << value;
    return text.str();
}

CommandResult RunStrings(const std::string& path, const std::string& idText, const std::string& typeText, bool json,
               bool raw1252)
{
    const CResult<std::uint16_t, ECliUsage> idGiven = ParseCliId(idText);
    if (!idGiven)
        return idGiven.Failure();
    const std::uint16_t id = *idGiven;
    std::uint32_t type = kTypeStr;
    if (typeText == "TTAs")
        type = kTypeTtas;
    else if (typeText != "STR#")
        return UsageFault("--type: '" + typeText + "' is neither STR# nor TTAs");

    const CReport report(path, json);
    CIffFile container;
    if (!report.Read(path, container))
        return kExitFailed;
    CStringTable table;
    if (const CRecordStatus loaded = table.Load(container, type, id); !loaded)
        return ReportRefusal(report, type, id, table.Name(), loaded.Failure());
    // Each language's texts in its own code page, unless the caller asks for the bytes' one view.
    const auto shownInSlot = [raw1252, &table](const std::string& bytes, int slot) {
        return raw1252 ? Shown(bytes) : ShownInCodePage(bytes, table.CodePage(slot));
    };

    if (json)
    {
        Json document{{"file", path},
                      {"type", TypeCodeText(type)},
                      {"id", id},
                      {"name", Shown(table.Name())},
                      {"plain", table.IsPlain()},
                      {"format", table.Format()}};
        if (table.IsPlain())
        {
            Json strings = Json::array();
            for (const std::string& text : table.Strings())
                strings.push_back(Shown(text));
            document["strings"] = strings;
        }
        else
        {
            Json rows = Json::array();
            for (const CStringTable::CRow& row : table.Rows())
            {
                Json pairs = Json::array();
                for (int slot = 0; slot < CStringTable::kSlotCount; ++slot)
                {
                    const CStringPair& pair = row[std::size_t(slot)];
                    pairs.push_back(Json::array({shownInSlot(pair.text, slot), shownInSlot(pair.description, slot)}));
                }
                rows.push_back(pairs);
            }
            document["rows"] = rows;
            Json languages = Json::array();
            for (int slot = 0; slot < CStringTable::kSlotCount; ++slot)
                languages.push_back({{"code", CStringTable::CodeForSlot(slot)},
                                     {"name", CStringTable::SlotName(slot)},
                                     {"code_page", table.CodePage(slot)}});
            document["languages"] = languages;
        }
        PrintJson(document);
        return kExitOk;
    }

    std::cout << TypeCodeText(type) << " #" << id << " \"" << Shown(table.Name()) << "\", format "
              << Hex(table.Format(), 4) << ", ";
    if (table.IsPlain())
    {
        std::cout << "plain layout, " << table.Strings().size() << " strings\n";
        for (std::size_t i = 0; i < table.Strings().size(); ++i)
            std::cout << std::setw(5) << i << "  " << Shown(table.Strings()[i]) << '\n';
        return kExitOk;
    }
    std::cout << "language layout, " << table.Rows().size() << " rows\n";
    for (std::size_t r = 0; r < table.Rows().size(); ++r)
    {
        std::cout << "row " << r << '\n';
        for (int slot = 0; slot < CStringTable::kSlotCount; ++slot)
        {
            const CStringPair& pair = table.Rows()[r][std::size_t(slot)];
            if (pair.text.empty() && pair.description.empty())
                continue;
            const std::string name = CStringTable::SlotName(slot);
            const std::string language = name.empty() ? "code " + std::to_string(CStringTable::CodeForSlot(slot)) : name;
            std::cout << "  " << std::left << std::setw(20) << language << std::right << '"'
                      << shownInSlot(pair.text, slot) << '"';
            if (!pair.description.empty())
                std::cout << "  (" << shownInSlot(pair.description, slot) << ')';
            std::cout << '\n';
        }
    }
    return kExitOk;
}

CommandResult RunConstants(const std::string& path, const std::string& idText, bool json)
{
    const CResult<std::uint16_t, ECliUsage> idGiven = ParseCliId(idText);
    if (!idGiven)
        return idGiven.Failure();
    const std::uint16_t id = *idGiven;
    const CReport report(path, json);
    CIffFile container;
    if (!report.Read(path, container))
        return kExitFailed;
    CConstantTable table;
    if (const CRecordStatus loaded = table.Load(container, id); !loaded)
        return ReportRefusal(report, kTypeBcon, id, table.Name(), loaded.Failure());

    if (json)
    {
        Json values = Json::array();
        for (const std::int16_t value : table.Values())
            values.push_back(value);
        PrintJson({{"file", path}, {"id", id}, {"name", Shown(table.Name())}, {"flags", table.Flags()}, {"values", values}});
        return kExitOk;
    }
    std::cout << "BCON #" << id << " \"" << Shown(table.Name()) << "\", flags " << Hex(table.Flags(), 2) << ", "
              << table.Values().size() << " constants\n";
    for (std::size_t i = 0; i < table.Values().size(); ++i)
        std::cout << std::setw(5) << i << "  " << table.Values()[i] << '\n';
    return kExitOk;
}

CommandResult RunInteractions(const std::string& path, const std::string& idText, bool json)
{
    const CResult<std::uint16_t, ECliUsage> idGiven = ParseCliId(idText);
    if (!idGiven)
        return idGiven.Failure();
    const std::uint16_t id = *idGiven;
    const CReport report(path, json);
    CIffFile container;
    if (!report.Read(path, container))
        return kExitFailed;
    CInteractionTable table;
    if (const CRecordStatus loaded = table.Load(container, id); !loaded)
        return ReportRefusal(report, kTypeTtab, id, table.Name(), loaded.Failure());

    if (json)
    {
        Json interactions = Json::array();
        for (const CInteraction& interaction : table.Interactions())
        {
            Json motives = Json::array();
            for (const CMotiveEntry& entry : interaction.motives)
                motives.push_back(Json::array({entry.minimum, entry.maximum, entry.varyBy}));
            Json entry{{"action_tree", interaction.actionTree},
                       {"check_tree", interaction.checkTree},
                       {"motive_count", interaction.motiveCount},
                       {"flags", interaction.flags},
                       {"name_index", interaction.nameIndex},
                       {"attenuation_code", interaction.attenuationCode},
                       {"attenuation_value", FloatJson(interaction.attenuationValue)},
                       {"autonomy_threshold", interaction.autonomyThreshold},
                       {"extra_index", interaction.extraIndex},
                       {"motives", motives}};
            if (table.HasSecondFlags())
                entry["flags2"] = interaction.flags2;
            interactions.push_back(std::move(entry));
        }
        PrintJson({{"file", path}, {"id", id}, {"name", Shown(table.Name())}, {"version", table.Version()},
                   {"interactions", interactions}});
        return kExitOk;
    }

    std::cout << "TTAB #" << id << " \"" << Shown(table.Name()) << "\", version " << table.Version() << ", "
              << table.Interactions().size() << " interactions\n";
    for (std::size_t i = 0; i < table.Interactions().size(); ++i)
    {
        const CInteraction& interaction = table.Interactions()[i];
        std::cout << "interaction " << i << ": name index " << interaction.nameIndex << ", action tree "
                  << interaction.actionTree << ", check tree " << interaction.checkTree << '\n'
                  << "  flags " << Hex(interaction.flags, 8) << ", attenuation code " << interaction.attenuationCode
                  << ", attenuation value " << FloatText(interaction.attenuationValue) << ", autonomy threshold "
                  << interaction.autonomyThreshold << ", extra index " << interaction.extraIndex;
        if (table.HasSecondFlags())
            std::cout << ", flags 2 " << Hex(interaction.flags2, 8);
        std::cout << '\n'
                  << "  " << interaction.motiveCount << " motives (min, max, vary by):";
        for (const CMotiveEntry& entry : interaction.motives)
            std::cout << " (" << entry.minimum << ", " << entry.maximum << ", " << entry.varyBy << ')';
        std::cout << '\n';
    }
    return kExitOk;
}

int RunGlob(const std::string& path, bool json)
{
    const CReport report(path, json);
    CIffFile container;
    if (!report.Read(path, container))
        return kExitFailed;
    const std::string name = ReadSemiGlobalName(container);
    if (json)
        PrintJson({{"file", path}, {"semi_global", Shown(name)}});
    else
        std::cout << Shown(name) << '\n';
    return kExitOk;
}

int RunSetGlob(const std::string& in, const std::string& name, const std::string& out, bool json)
{
    const CReport report(in, json);
    CIffFile container;
    CCliPrompt prompt(false);
    if (!report.Read(in, container, prompt))
        return kExitFailed;
    const std::string bytes = Utf8ToWindows1252(name);
    if (const std::string problem = SemiGlobalNameProblem(bytes); !problem.empty())
        return report.Fail("name", problem);
    if (!StoreSemiGlobalName(container, bytes, ReadSemiGlobalName(container)))
        return report.Fail("store", kNameNotStored);
    if (!report.Write(out, container, prompt))
        return kExitFailed;
    if (json)
        PrintJson({{"file", in}, {"out", out}, {"semi_global", Shown(bytes)}});
    return kExitOk;
}

CommandResult RunOptimize(const std::string& in, const std::string& idText, const std::string& out, bool json)
{
    const CResult<std::uint16_t, ECliUsage> idGiven = ParseCliId(idText);
    if (!idGiven)
        return idGiven.Failure();
    const std::uint16_t id = *idGiven;
    const CReport report(in, json);
    CIffFile container;
    CCliPrompt prompt(false);
    if (!report.Read(in, container, prompt))
        return kExitFailed;
    CBhavScript script;
    if (const CRecordStatus loaded = script.Load(container, id); !loaded)
        return ReportRefusal(report, kTypeBhav, id, script.Name(), loaded.Failure());
    script.Optimize();
    if (const CRecordStatus stored = script.Store(container, id); !stored)
        return ReportRefusal(report, kTypeBhav, id, script.Name(), stored.Failure());
    if (!report.Write(out, container, prompt))
        return kExitFailed;
    if (json)
        PrintJson({{"file", in}, {"out", out}, {"id", id}, {"lines", script.Lines().size()}});
    return kExitOk;
}

// One record kind of `roundtrip`: how to load it and store it again under the same id.
struct CRoundTripKind
{
    std::uint32_t type;
    const char* what;
    bool (*roundTrip)(CIffFile& container, std::uint16_t id, bool& loaded);
};

template <typename TRecord, typename TLoad, typename TStore>
bool LoadAndStore(bool& loaded, TLoad load, TStore store)
{
    TRecord record;
    loaded = bool(load(record));
    return !loaded || bool(store(record));
}

const CRoundTripKind kRoundTripKinds[] = {
    {kTypeBhav, "behaviour script",
     [](CIffFile& c, std::uint16_t id, bool& loaded) {
         return LoadAndStore<CBhavScript>(loaded, [&](CBhavScript& r) { return r.Load(c, id); },
                                          [&](CBhavScript& r) { return r.Store(c, id); });
     }},
    {kTypeStr, "string table",
     [](CIffFile& c, std::uint16_t id, bool& loaded) {
         return LoadAndStore<CStringTable>(loaded, [&](CStringTable& r) { return r.Load(c, kTypeStr, id); },
                                           [&](CStringTable& r) { return r.Store(c, kTypeStr, id); });
     }},
    {kTypeTtas, "interaction-name table",
     [](CIffFile& c, std::uint16_t id, bool& loaded) {
         return LoadAndStore<CStringTable>(loaded, [&](CStringTable& r) { return r.Load(c, kTypeTtas, id); },
                                           [&](CStringTable& r) { return r.Store(c, kTypeTtas, id); });
     }},
    {kTypeBcon, "constant table",
     [](CIffFile& c, std::uint16_t id, bool& loaded) {
         return LoadAndStore<CConstantTable>(loaded, [&](CConstantTable& r) { return r.Load(c, id); },
                                             [&](CConstantTable& r) { return r.Store(c, id); });
     }},
    {kTypeTtab, "interaction table",
     [](CIffFile& c, std::uint16_t id, bool& loaded) {
         return LoadAndStore<CInteractionTable>(loaded, [&](CInteractionTable& r) { return r.Load(c, id); },
                                                [&](CInteractionTable& r) { return r.Store(c, id); });
     }},
    {kTypeObjd, "object definition",
     [](CIffFile& c, std::uint16_t id, bool& loaded) {
         return LoadAndStore<CObjectDefinition>(loaded, [&](CObjectDefinition& r) { return r.Load(c, id); },
                                                [&](CObjectDefinition& r) { return r.Store(c, id); });
     }},
    {kTypeObjf, "function table",
     [](CIffFile& c, std::uint16_t id, bool& loaded) {
         return LoadAndStore<CObjectFunctions>(loaded, [&](CObjectFunctions& r) { return r.Load(c, id); },
                                               [&](CObjectFunctions& r) { return r.Store(c, id); });
     }},
};

int RunCheck(const std::string& path, bool json)
{
    const CReport report(path, json);
    CIffFile container;
    if (!report.Read(path, container))
        return kExitFailed;
    const CRecordCheck check = CheckRecords(container);
    if (json)
    {
        PrintJson({{"file", path},
                   {"records", check.records},
                   {"refused", RefusalList(check.refused)},
                   {"unread_bytes", container.UnreadBytes()}});
    }
    else
    {
        for (const CRecordRefusal& refusal : check.refused)
            std::cout << Shown(RecordRefusalText(refusal.type, refusal.id, refusal.name, refusal.fault)) << '\n';
        if (container.UnreadBytes() > 0)
            std::cout << UnreadBytesMessage(container.UnreadBytes()) << '\n';
        std::cout << check.records << (check.records == 1 ? " record" : " records") << " tried, "
                  << check.refused.size() << " refused\n";
    }
    return check.refused.empty() && container.UnreadBytes() == 0 ? kExitOk : kExitFailed;
}

int RunRoundTrip(const std::string& in, const std::string& out, bool json)
{
    const CReport report(in, json);
    CIffFile container;
    CCliPrompt prompt(false);
    if (!report.Read(in, container, prompt))
        return kExitFailed;

    Json stored = Json::object();
    Json notLoaded = Json::object();
    for (const CRoundTripKind& kind : kRoundTripKinds)
    {
        // Loading and storing go by id, which reaches the first chunk of a type and id; a later
        // chunk with the same id is left as it stands.
        const std::vector<std::uint16_t> ids = ChunkIdsOfType(container, kind.type);
        int storedCount = 0;
        int notLoadedCount = 0;
        for (const std::uint16_t id : ids)
        {
            bool loaded = false;
            if (!kind.roundTrip(container, id, loaded))
                return report.Fail("store", std::string("The ") + kind.what + " #" + std::to_string(id) + " could not be stored.");
            if (loaded)
                ++storedCount;
            else
                ++notLoadedCount;
        }
        stored[TypeCodeText(kind.type)] = storedCount;
        notLoaded[TypeCodeText(kind.type)] = notLoadedCount;
    }
    if (!report.Write(out, container, prompt))
        return kExitFailed;

    if (json)
    {
        PrintJson({{"file", in}, {"out", out}, {"stored", stored}, {"not_loaded", notLoaded}});
        return kExitOk;
    }
    for (const CRoundTripKind& kind : kRoundTripKinds)
    {
        const std::string type = TypeCodeText(kind.type);
        std::cout << type << ": " << stored[type].get<int>() << " stored";
        if (notLoaded[type].get<int>() > 0)
            std::cout << ", " << notLoaded[type].get<int>() << " not loaded (left as they were)";
        std::cout << '\n';
    }
    return kExitOk;
}
}

void AddRecordCommands(CLI::App& app, CommandResult& result)
{
    struct COptions
    {
        std::string file, id, type = "STR#", name, in, out;
        bool json = false;
        bool raw1252 = false;
    };

    {
        auto* command = app.add_subcommand("strings", "Show a string table (STR# or TTAs)");
        auto options = std::make_shared<COptions>();
        command->add_option("FILE", options->file, "IFF file")->required();
        command->add_option("ID", options->id, "chunk id")->required();
        command->add_option("--type", options->type, "STR# (default) or TTAs");
        command->add_flag("--json", options->json, "Print JSON");
        command->add_flag("--raw-1252", options->raw1252,
                          "Show every text as windows-1252 instead of its language's code page");
        command->callback([&result, options] {
            result = RunStrings(options->file, options->id, options->type, options->json, options->raw1252);
        });
    }
    {
        auto* command = app.add_subcommand("constants", "Show a constant table (BCON)");
        auto options = std::make_shared<COptions>();
        command->add_option("FILE", options->file, "IFF file")->required();
        command->add_option("ID", options->id, "chunk id")->required();
        command->add_flag("--json", options->json, "Print JSON");
        command->callback([&result, options] { result = RunConstants(options->file, options->id, options->json); });
    }
    {
        auto* command = app.add_subcommand("interactions", "Show an interaction table (TTAB)");
        auto options = std::make_shared<COptions>();
        command->add_option("FILE", options->file, "IFF file")->required();
        command->add_option("ID", options->id, "chunk id")->required();
        command->add_flag("--json", options->json, "Print JSON");
        command->callback([&result, options] { result = RunInteractions(options->file, options->id, options->json); });
    }
    {
        auto* command = app.add_subcommand("glob", "Show the semi-global name as the main view reads it");
        auto options = std::make_shared<COptions>();
        command->add_option("FILE", options->file, "IFF file")->required();
        command->add_flag("--json", options->json, "Print JSON");
        command->callback([&result, options] { result = RunGlob(options->file, options->json); });
    }
    {
        auto* command = app.add_subcommand("set-glob", "Save a semi-global name (empty: remove the GLOB chunk)");
        auto options = std::make_shared<COptions>();
        command->add_option("IN", options->in, "IFF file to read")->required();
        command->add_option("NAME", options->name, "semi-global name")->required();
        command->add_option("OUT", options->out, "IFF file to write")->required();
        command->add_flag("--json", options->json, "Print JSON");
        command->callback([&result, options] {
            result = RunSetGlob(options->in, options->name, options->out, options->json);
        });
    }
    {
        auto* command = app.add_subcommand("optimize", "Optimise a behaviour script and write the container");
        auto options = std::make_shared<COptions>();
        command->add_option("IN", options->in, "IFF file to read")->required();
        command->add_option("ID", options->id, "BHAV chunk id")->required();
        command->add_option("OUT", options->out, "IFF file to write")->required();
        command->add_flag("--json", options->json, "Print JSON");
        command->callback([&result, options] {
            result = RunOptimize(options->in, options->id, options->out, options->json);
        });
    }
    {
        auto* command = app.add_subcommand("check", "List every record that the editor would refuse to open, and why");
        auto options = std::make_shared<COptions>();
        command->add_option("FILE", options->file, "IFF file")->required();
        command->add_flag("--json", options->json, "Print JSON");
        command->callback([&result, options] { result = RunCheck(options->file, options->json); });
    }
    {
        auto* command = app.add_subcommand("roundtrip", "Load and store every record, then write the container");
        auto options = std::make_shared<COptions>();
        command->add_option("IN", options->in, "IFF file to read")->required();
        command->add_option("OUT", options->out, "IFF file to write")->required();
        command->add_flag("--json", options->json, "Print JSON");
        command->callback([&result, options] { result = RunRoundTrip(options->in, options->out, options->json); });
    }
}
