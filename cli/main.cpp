#include "CliSupport.h"
#include "CompareCommands.h"

#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace
{
// The command the user chose, when the parse got that far; the top level otherwise.
const CLI::App& ChosenCommand(const CLI::App& app)
{
    const auto chosen = app.get_subcommands();
    return chosen.empty() ? app : *chosen.back();
}

// The command's first positional argument as given (its file, or the folder of `index`).
nlohmann::ordered_json GivenFile(const CLI::App& command)
{
    for (const CLI::Option* option : command.get_options())
        if (option->get_positional())
            return option->count() > 0 ? nlohmann::ordered_json(option->results().front()) : nullptr;
    return nullptr;
}

// Every usage error ends the same way: the message and the chosen command's own help on stderr,
// exit 2, and with --json the error document, whether the parser or the command found the fault.
int UsageError(const CLI::App& app, int argc, char** argv, const std::string& message)
{
    std::cerr << message << '\n' << app.help();  // the chosen command's help, when one was chosen
    // The parse may have stopped before reaching --json, so the words themselves are looked at.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--json") == 0)
        {
            PrintJson({{"file", GivenFile(ChosenCommand(app))}, {"error", "usage"}, {"message", message}});
            break;
        }
    return kExitUsage;
}
}

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Windows hands main its arguments in the ANSI code page, which cannot hold most file names;
    // the program's paths and texts are UTF-8, taken from the UTF-16 command line.
    std::vector<std::string> utf8Arguments;
    std::vector<char*> utf8Pointers;
    int wideCount = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &wideCount); wide != nullptr)
    {
        for (int i = 0; i < wideCount; ++i)
        {
            const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
            std::string argument(bytes > 0 ? static_cast<std::size_t>(bytes) : 1, '\0');
            if (bytes > 0)
                WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, argument.data(), bytes, nullptr, nullptr);
            argument.resize(argument.size() - 1);
            utf8Arguments.push_back(std::move(argument));
        }
        LocalFree(wide);
        for (std::string& argument : utf8Arguments)
            utf8Pointers.push_back(argument.data());
        utf8Pointers.push_back(nullptr);
        argc = wideCount;
        argv = utf8Pointers.data();
    }
    // What the program prints is UTF-8, as on other systems; the console is told so.
    SetConsoleOutputCP(CP_UTF8);
#endif
    CLI::App app{"treewright-cli: read, render and rewrite the game's IFF and FAR files", "treewright-cli"};
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Show the help of every command");

    CommandResult result = kExitOk;
    AddIffCommands(app, result);
    AddContainerCommands(app, result);
    AddRecordCommands(app, result);
    AddWorkbenchCommands(app, result);
    AddObjectCommands(app, result);
    AddRenderCommands(app, result);
    AddIndexCommand(app, result);
    AddCompareCommands(app, result);

    try
    {
        app.parse(argc, argv);
    }
    catch (const CLI::Success& help)  // --help and --help-all
    {
        return app.exit(help);
    }
    catch (const CLI::ParseError& error)
    {
        return UsageError(app, argc, argv, error.what());
    }
    if (!result)
        return UsageError(app, argc, argv, result.Failure().detail);
    return *result;
}
