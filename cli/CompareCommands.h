#pragma once

#include "CliSupport.h"

/// The commands for files under version control: textconv, diff and lint.
void AddCompareCommands(CLI::App& app, CommandResult& result);
