#include "CliSupport.h"

void AddRenderCommands(CLI::App&, CommandResult&)
{
}
