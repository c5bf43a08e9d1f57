#include "CliSupport.h"

#include "containers/FilePath.h"
#include "loading/NeededFilesLoader.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace
{
// Keeps every message the loader would show, in order; the loader never asks a question.
class CCollectingPrompt : public CUserPrompt
{
public:
    void ShowMessage(const std::string& text, const std::string&) override { m_messages.push_back(text); }
    bool AskYesNo(const std::string&, const std::string&) override { return false; }

    const std::vector<std::string>& Messages() const { return m_messages; }

private:
    std::vector<std::string> m_messages;
};

bool IsUtf8(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size())
    {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t follow = 0;
        std::uint32_t least = 0;
        if (lead < 0x80)
            follow = 0;
        else if (lead >= 0xC2 && lead <= 0xDF)
            follow = 1, least = 0x80;
        else if (lead >= 0xE0 && lead <= 0xEF)
            follow = 2, least = 0x800;
        else if (lead >= 0xF0 && lead <= 0xF4)
            follow = 3, least = 0x10000;
        else
            return false;
        if (text.size() - i <= follow)
            return false;
        std::uint32_t code = follow == 0 ? lead : lead & (0x3F >> follow);
        for (std::size_t k = 1; k <= follow; ++k)
        {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += follow + 1;
    }
    return true;
}

// File names come from two places: a loose file's name is the file system's (UTF-8 here), a
// member's name is the archive's windows-1252 bytes. Only the latter needs converting, and
// windows-1252 text outside ASCII is almost never valid UTF-8.
std::string ShownName(const std::string& name)
{
    return IsUtf8(name) ? name : Shown(name);
}

int RunIndex(const std::string& gameData, bool json)
{
    // The loader takes a missing folder for an empty one; a user who mistyped the path should hear so.
    const CReport report(gameData, json);
    std::error_code error;
    if (!std::filesystem::is_directory(PathFromUtf8(gameData), error))
        return report.Fail("folder", "There is no folder " + gameData + ".");
    const std::string global = GlobalFolderPath(gameData);
    if (!std::filesystem::is_directory(PathFromUtf8(global), error))
        return report.Fail("folder", "The folder " + gameData + " has no global folder " + global + ".");

    CNeededFiles files;
    const struct CLeaveFiles
    {
        CNeededFiles& files;
        ~CLeaveFiles() { LeaveToProcessExit(std::move(files)); }
    } leave{files};
    CCollectingPrompt prompt;
    std::vector<int> positions;
    CLoadProgress progress;
    progress.SetFiles(&files);
    progress.SetFileHandledHook([&](int position) { positions.push_back(position); });
    RunNeededFilesLoad(progress, gameData, prompt);

    if (json)
    {
        nlohmann::ordered_json fileList = nlohmann::ordered_json::array();
        for (const CFileScriptNames& entry : files.Index())
        {
            nlohmann::ordered_json scripts = nlohmann::ordered_json::array();
            for (const CScriptNameEntry& script : entry.scripts)
                scripts.push_back({{"id", script.id}, {"name", Shown(script.name)}});
            fileList.push_back({{"name", ShownName(std::string(entry.fileName))}, {"scripts", scripts}});
        }
        nlohmann::ordered_json messages = nlohmann::ordered_json::array();
        for (const std::string& message : prompt.Messages())
            messages.push_back(ShownName(message));
        PrintJson({{"files", fileList}, {"messages", messages}, {"positions", positions}});
        return kExitOk;
    }

    std::cout << "Global folder: " << ShownName(GlobalFolderPath(gameData)) << '\n';
    std::cout << "Files (" << files.Index().size() << ", in load order):\n";
    // The list is written in blocks of text: a stream insertion per field was a tenth of indexing
    // 442 files of 28,000 scripts, and one text for the whole list grew to megabytes.
    constexpr std::size_t kBlockSize = 1 << 13;
    std::string list;
    list.reserve(2 * kBlockSize);
    for (const CFileScriptNames& entry : files.Index())
    {
        if (list.size() >= kBlockSize)
        {
            std::cout << list;
            list.clear();
        }
        list += "  " + ShownName(std::string(entry.fileName)) + " (" + std::to_string(entry.scripts.size()) + " scripts)\n";
        for (const CScriptNameEntry& script : entry.scripts)
        {
            list += "    ";
            list += std::to_string(script.id);
            list += "  ";
            list += Shown(script.name);
            list += '\n';
        }
    }
    std::cout << list;
    std::cout << "Messages (" << prompt.Messages().size() << "):\n";
    for (const std::string& message : prompt.Messages())
        std::cout << "  " << ShownName(message) << '\n';
    std::cout << "Positions:";
    for (const int position : positions)
        std::cout << ' ' << position;
    std::cout << '\n';
    return kExitOk;
}
}

void AddIndexCommand(CLI::App& app, CommandResult& result)
{
    auto* command = app.add_subcommand("index", "Load and index the global folder's IFF files as the editor does");
    auto gameData = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    command->add_option("GAMEDATA", *gameData, "The game's data folder (GameData/Global is searched below it)")
        ->required();
    command->add_flag("--json", *json, "Print one JSON document");
    command->callback([&result, gameData, json] { result = RunIndex(*gameData, *json); });
}
