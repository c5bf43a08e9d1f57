#include "CliSupport.h"

void AddRecordCommands(CLI::App&, CommandResult&)
{
}
