#include "CompareCommands.h"
#include "CodePageText.h"
#include "OpenSources.h"

#include "analysis/RecordView.h"
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
}
