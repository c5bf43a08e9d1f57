#include "CliSupport.h"
#include "OpenSources.h"

#include "containers/AsciiText.h"
#include "containers/AtomicFileWriter.h"
#include "containers/NumberText.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "containers/Windows1252.h"
#ifdef TREEWRIGHT_HAVE_GRAPHVIZ
#include "graph/GraphLayout.h"
#endif
#include "records/BhavScript.h"
#include "records/RecordEditing.h"
#include "records/RecordFault.h"
#include "records/SemiGlobalReference.h"
#include "rendering/CodeTextRenderer.h"
#include "rendering/NeededFiles.h"
#include "loading/NeededFilesLoader.h"
#include "rendering/OperandVocabulary.h"
#include "rendering/PlainTextRenderer.h"
#include "rendering/ScriptGraph.h"
#include "rendering/ScriptListing.h"
#include "rendering/ScriptReferences.h"

#include <array>
#include <cctype>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace
{

// Opens the file and loads its script `id`: nothing when both worked, else the exit code of the
// failure, which is reported.
std::optional<int> OpenScript(const std::string& path, std::uint16_t id, const CRenderSources& sources,
                              const CReport& report, COpenFile& open, CBhavScript& script)
{
    if (!OpenFile(path, sources, report, open))
        return kExitFailed;
    if (const CRecordStatus loaded = script.Load(open.container, id); !loaded)
        return ReportRefusal(report, kTypeBhav, id, script.Name(), loaded.Failure());
    return std::nullopt;
}

CommandResult RunScript(const std::string& path, const std::string& idText, const CRenderSources& sources, bool json)
{
    const CResult<std::uint16_t, ECliUsage> idGiven = ParseCliId(idText);
    if (!idGiven)
        return idGiven.Failure();
    const std::uint16_t id = *idGiven;
    const CReport report(path, json);

    COpenFile open;
    CBhavScript script;
    if (const std::optional<int> failed = OpenScript(path, id, sources, report, open, script))
        return *failed;

    const CPlainTextRenderer renderer(open.files, NamePart(path), open.semiGlobalName);

    if (json)
    {
        nlohmann::ordered_json lines = nlohmann::ordered_json::array();
        for (std::size_t i = 0; i < script.Lines().size(); ++i)
        {
            const CBhavInstruction& instruction = script.Lines()[i];
            const auto& p = instruction.params;
            lines.push_back({{"line", i + 1},
                             {"opcode", instruction.opcode},
                             {"true", instruction.trueTarget},
                             {"false", instruction.falseTarget},
                             {"params", {p[0], p[1], p[2], p[3]}},
                             {"description", Shown(DescribeLine(renderer, instruction))},
                             {"code", FormatCodeInstruction(instruction.opcode, p[0], p[1], p[2], p[3])},
                             {"success", FormatTargetText(instruction.trueTarget)},
                             {"failure", FormatTargetText(instruction.falseTarget)}});
        }
        PrintJson({{"file", path},
                   {"id", script.Id()},
                   {"name", Shown(script.Name())},
                   {"header", ScriptHeaderHex(script.Header())},
                   {"lines", std::move(lines)}});
        return kExitOk;
    }

    std::cout << FormatScriptListing(script, renderer);
    return kExitOk;
}

// What Find references lists for script ID of the file: the places in the file, and with the game
// data in the loaded files, whose calls or trees reach that script.
CommandResult RunReferences(const std::string& path, const std::string& idText, const CRenderSources& sources, bool json)
{
    const CResult<std::uint16_t, ECliUsage> idGiven = ParseCliId(idText);
    if (!idGiven)
        return idGiven.Failure();
    const std::uint16_t id = *idGiven;
    const CReport report(path, json);

    COpenFile open;
    if (!OpenFile(path, sources, report, open))
        return kExitFailed;
    const CRecordResult<CIffChunk> found = FindRecordChunk(open.container, kTypeBhav, id);
    if (!found)
        return ReportRefusal(report, kTypeBhav, id, std::string(), found.Failure());
    const CIffChunk& chunk = *found;

    const std::string fileName = NamePart(path);
    const std::vector<CScriptReference> references =
        FindScriptReferences(ReferenceSources(open.files, open.container, fileName, open.semiGlobalName), open.files,
                             fileName, id);
    const std::vector<CRecordRefusal> unread = UnreadReferrers(open.container, ERecordKind::Script);

    if (json)
    {
        nlohmann::ordered_json places = nlohmann::ordered_json::array();
        for (const CScriptReference& reference : references)
        {
            const CRecordReference& place = reference.place;
            nlohmann::ordered_json entry{{"file", reference.fileName},
                                         {"type", TypeCodeText(place.type)},
                                         {"id", place.id},
                                         {"name", Shown(place.name)}};
            AddPlaceKeys(entry, place);
            if (place.type == kTypeBhav)
                entry["description"] = Shown(reference.text);
            else if (place.type == kTypeTtab)
                entry["interaction_name"] = Shown(reference.text);
            places.push_back(std::move(entry));
        }
        PrintJson({{"file", path},
                   {"id", id},
                   {"name", Shown(chunk.name)},
                   {"references", std::move(places)},
                   {"unread", RefusalList(unread)}});
        return kExitOk;
    }

    std::cout << "References to BHAV #" << id << " \"" << OneLine(Shown(chunk.name)) << "\": " << references.size()
              << '\n';
    for (const CScriptReference& reference : references)
    {
        std::cout << reference.fileName << ": " << OneLine(Shown(RecordReferenceText(reference.place)));
        // An entry point has no line or interaction to describe; its place says all.
        if (reference.place.type == kTypeBhav || reference.place.type == kTypeTtab)
            std::cout << ": " << OneLine(Shown(reference.text));
        std::cout << '\n';
    }
    if (!unread.empty())
        std::cout << Shown(UnreadReferrersText(unread)) << '\n';
    return kExitOk;
}

struct CGraphOptions
{
    std::string format = "dot";
    std::string out;  // empty: standard output
};

CommandResult RunGraph(const std::string& path, const std::string& idText, const CRenderSources& sources,
             const CGraphOptions& options, bool json)
{
    const CResult<std::uint16_t, ECliUsage> idGiven = ParseCliId(idText);
    if (!idGiven)
        return idGiven.Failure();
    const std::uint16_t id = *idGiven;
#ifndef TREEWRIGHT_HAVE_GRAPHVIZ
    static_cast<void>(sources);
    static_cast<void>(options);
    static_cast<void>(id);
    return CReport(path, json).Fail("graph", kGraphNeedsGraphviz);
#else
    const EGraphFormat format = options.format == "svg"   ? EGraphFormat::Svg
                                : options.format == "png" ? EGraphFormat::Png
                                                          : EGraphFormat::Dot;
    // The document has no room for a picture's bytes.
    if (json && options.out.empty() && format == EGraphFormat::Png)
        return UsageFault("--json with --format png needs -o OUT");
    const CReport report(path, json);

    COpenFile open;
    CBhavScript script;
    if (const std::optional<int> failed = OpenScript(path, id, sources, report, open, script))
        return *failed;

    const CPlainTextRenderer renderer(open.files, NamePart(path), open.semiGlobalName);
    const CScriptGraph graph = CScriptGraph::Build(script, renderer);
    const CResult<std::string, EGraphFailure> drawn =
        RenderGraph(graph, format, "#" + std::to_string(script.Id()) + ": " + Shown(script.Name()));
    if (!drawn)
        return report.Fail("graph", GraphFailureText(drawn.Failure()));
    const std::string& output = *drawn;
    if (!options.out.empty())
    {
        const auto write = [&output](CByteStream& stream) { return stream.Write(output.data(), output.size()); };
        if (const CStatus<EFileWrite> written = WriteFileAtomically(options.out, write); !written)
            return report.FailFor(options.out, "write", FileWriteFailureText(written.Failure()));
    }

    if (json)
    {
        nlohmann::ordered_json document = {{"file", path},
                                           {"id", script.Id()},
                                           {"name", Shown(script.Name())},
                                           {"format", options.format},
                                           {"out", options.out.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(options.out)},
                                           {"nodes", graph.Nodes().size()},
                                           {"edges", graph.Edges().size()}};
        if (options.out.empty())
            document["graph"] = output;
        PrintJson(document);
    }
    else if (options.out.empty())
    {
        std::cout.write(output.data(), static_cast<std::streamsize>(output.size()));
        std::cout.flush();
    }
    else
    {
        std::cout << "Wrote " << options.out << ": " << graph.Nodes().size() << " boxes, " << graph.Edges().size()
                  << " jumps\n";
    }
    return kExitOk;
#endif
}

// One request of the render command, split into its words.
class CRequestLine
{
public:
    explicit CRequestLine(std::string_view line)
    {
        std::size_t i = 0;
        while (i < line.size())
        {
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
                ++i;
            const std::size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t')
                ++i;
            if (i > start)
                m_words.push_back(line.substr(start, i - start));
        }
    }

    const std::vector<std::string_view>& Words() const { return m_words; }

private:
    std::vector<std::string_view> m_words;
};

// A number within [min, max], read as on the command line.
bool ParseNumber(std::string_view text, std::int64_t min, std::int64_t max, std::int64_t& value)
{
    const CResult<std::int64_t, ENumberText> number = ParseInteger(text, min, max, ENumberForm::DecimalOrHex);
    if (number)
        value = *number;
    return number.Ok();
}

// A 16-bit field may be given as the unsigned value or as the signed decimal the plain text prints.
bool ParseWord(std::string_view text, std::uint16_t& word)
{
    std::int64_t value = 0;
    if (!ParseNumber(text, -32768, 65535, value))
        return false;
    word = static_cast<std::uint16_t>(value & 0xFFFF);
    return true;
}

bool ParseByte(std::string_view text, std::uint8_t& byte)
{
    std::int64_t value = 0;
    if (!ParseNumber(text, 0, 255, value))
        return false;
    byte = static_cast<std::uint8_t>(value);
    return true;
}

bool SameWord(std::string_view a, std::string_view b)
{
    return EqualIgnoringAsciiCase(a, b);
}

// Appends the answer to one request; false with `error` set when the request is malformed.
bool AnswerRequest(const CPlainTextRenderer& renderer, std::string_view line, std::string& answer, std::string& error)
{
    const CRequestLine request(line);
    const auto& words = request.Words();
    if (SameWord(words[0], "operand"))
    {
        std::uint8_t scope = 0;
        std::uint16_t data = 0;
        if (words.size() != 3 || !ParseByte(words[1], scope) || !ParseWord(words[2], data))
        {
            error = "expected: operand SCOPE DATA (SCOPE 0 to 255, DATA 16-bit)";
            return false;
        }
        AppendPlainOperand(answer, scope, data);
        answer += '\t';
        AppendCodeOperand(answer, scope, data);
        return true;
    }
    if (SameWord(words[0], "target"))
    {
        std::uint8_t target = 0;
        if (words.size() != 2 || !ParseByte(words[1], target))
        {
            error = "expected: target T (0 to 255)";
            return false;
        }
        answer += FormatTargetText(target);
        return true;
    }
    std::uint16_t values[5] = {};
    bool valid = words.size() == 5;
    for (std::size_t i = 0; valid && i < 5; ++i)
        valid = ParseWord(words[i], values[i]);
    if (!valid)
    {
        error = "expected: OPCODE P0 P1 P2 P3 (16-bit numbers), operand SCOPE DATA or target T";
        return false;
    }
    CBhavInstruction instruction;
    instruction.opcode = values[0];
    instruction.params = {values[1], values[2], values[3], values[4]};
    answer += OneLine(Shown(DescribeLine(renderer, instruction)));
    answer += '\t';
    AppendCodeInstruction(answer, values[0], values[1], values[2], values[3], values[4]);
    return true;
}

int RunRender(const CRenderSources& sources)
{
    CNeededFiles files;
    CIffFile open;
    std::string semiGlobalName;
    if (!LoadSources(sources, CReport(sources.openPath, false), files, open, semiGlobalName))
        return kExitFailed;
    const CPlainTextRenderer renderer(files, sources.openPath.empty() ? std::string() : NamePart(sources.openPath),
                                      semiGlobalName);

    std::ios::sync_with_stdio(false);
    std::string line;
    std::string output;
    std::string error;
    std::size_t lineNumber = 0;
    std::size_t failures = 0;
    constexpr std::size_t kFlushSize = 1 << 16;
    while (std::getline(std::cin, line))
    {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // A blank request gets a blank answer, so that the answers stay aligned with the input.
        if (line.find_first_not_of(" \t") != std::string::npos)
        {
            const std::size_t answerStart = output.size();
            if (!AnswerRequest(renderer, line, output, error))
            {
                // The answer line says what went wrong, for a reader of the output alone.
                output.resize(answerStart);
                output += "error: ";
                output += error;
                std::cerr << "render: line " << lineNumber << ": " << error << ": " << line << '\n';
                ++failures;
            }
        }
        output += '\n';
        if (output.size() >= kFlushSize)
        {
            std::cout.write(output.data(), static_cast<std::streamsize>(output.size()));
            output.clear();
        }
    }
    std::cout.write(output.data(), static_cast<std::streamsize>(output.size()));
    std::cout.flush();
    if (failures > 0)
    {
        std::cerr << "render: " << failures << (failures == 1 ? " line was" : " lines were") << " not understood\n";
        return kExitFailed;
    }
    return kExitOk;
}

void AddSourceOptions(CLI::App* command, const std::shared_ptr<CRenderSources>& sources)
{
    command->add_option("--game-data", sources->gameData,
                        "The game's data folder: its GameData/Global files are loaded and indexed first");
    command->add_option_function<std::string>(
        "--semi-global", [sources](const std::string& name) { sources->semiGlobalName = name; },
        "The semi-global file's name (default: the one in the file's GLOB chunk)");
}

}  // namespace

void AddRenderCommands(CLI::App& app, CommandResult& result)
{
    {
        auto* command = app.add_subcommand("script", "The script editor's lines for one behaviour script");
        auto sources = std::make_shared<CRenderSources>();
        auto file = std::make_shared<std::string>();
        auto id = std::make_shared<std::string>();
        auto json = std::make_shared<bool>(false);
        command->add_option("FILE", *file, "The IFF file")->required();
        command->add_option("ID", *id, "The BHAV chunk's id")->required();
        AddSourceOptions(command, sources);
        command->add_flag("--json", *json, "Print one JSON document");
        command->callback([&result, sources, file, id, json] { result = RunScript(*file, *id, *sources, *json); });
    }
    {
        auto* command = app.add_subcommand(
            "references", "Every line that calls one behaviour script and every interaction naming it as a tree");
        auto sources = std::make_shared<CRenderSources>();
        auto file = std::make_shared<std::string>();
        auto id = std::make_shared<std::string>();
        auto json = std::make_shared<bool>(false);
        command->add_option("FILE", *file, "The IFF file the script is in")->required();
        command->add_option("ID", *id, "The BHAV chunk's id")->required();
        command->add_option("--game-data", sources->gameData,
                            "The game's data folder: its GameData/Global files are searched too");
        command->add_flag("--json", *json, "Print one JSON document");
        command->callback([&result, sources, file, id, json] { result = RunReferences(*file, *id, *sources, *json); });
    }
    {
        auto* command = app.add_subcommand("graph", "One behaviour script's control flow as a graph");
        auto sources = std::make_shared<CRenderSources>();
        auto options = std::make_shared<CGraphOptions>();
        auto file = std::make_shared<std::string>();
        auto id = std::make_shared<std::string>();
        auto json = std::make_shared<bool>(false);
        command->add_option("FILE", *file, "The IFF file")->required();
        command->add_option("ID", *id, "The BHAV chunk's id")->required();
        AddSourceOptions(command, sources);
        command->add_option("--format", options->format, "dot (the graph, default), svg or png (laid out and drawn)")
            ->check(CLI::IsMember({"dot", "svg", "png"}));
        command->add_option("-o,--out", options->out, "The file to write (default: standard output)");
        command->add_flag("--json", *json, "Print one JSON document");
        command->callback([&result, sources, options, file, id, json] {
            result = RunGraph(*file, *id, *sources, *options, *json);
        });
    }
    {
        auto* command = app.add_subcommand(
            "render", "Render requests from standard input, one answer line per input line:\n"
                      "  OPCODE P0 P1 P2 P3  -> description <tab> code-style text\n"
                      "  operand SCOPE DATA  -> plain operand <tab> code-style operand\n"
                      "  target T            -> target text");
        auto sources = std::make_shared<CRenderSources>();
        AddSourceOptions(command, sources);
        command->add_option("--open", sources->openPath,
                            "The open file: indexed after the global files; its name part names private calls");
        command->callback([&result, sources] { result = RunRender(*sources); });
    }
}
