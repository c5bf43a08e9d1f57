#include "CliSupport.h"

int main(int argc, char** argv)
{
    CLI::App app{"treewright-cli: read, render and rewrite the game's IFF and FAR files", "treewright-cli"};
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Show the help of every command");

    CommandResult result = kExitOk;
    AddIffCommands(app, result);
    AddContainerCommands(app, result);
    AddRecordCommands(app, result);
    AddWorkbenchCommands(app, result);
    AddRenderCommands(app, result);
    AddIndexCommand(app, result);

    try
    {
        app.parse(argc, argv);
    }
    catch (const CLI::ParseError& error)
    {
        const int code = app.exit(error);
        return code == 0 ? kExitOk : kExitUsage;
    }
    catch (const CUsageError& error)
    {
        std::cerr << error.message << '\n' << app.help();
        return kExitUsage;
    }
    return result;
}
