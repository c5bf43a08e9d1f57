#pragma once

#include <optional>
#include <string>

class wxString;

// The game's data folder: where the loader looks for GameData/Global. Windows names it in the
// game's registry key; elsewhere the command line, the program's own setting or the registry of a
// Wine prefix the game was installed into.

/// The folder in force for the process; empty, or ending with a folder separator.
const std::string& GameDataFolder();
void SetGameDataFolder(const std::string& folder);

/// `folder` with one folder separator at its end; an empty folder stays empty.
std::string WithTrailingSeparator(const std::string& folder);

/// The string value `valueName` of `keyPath` (below HKEY_LOCAL_MACHINE, backslashes single) in the
/// text of a Wine prefix's system.reg; names compare without regard to case.
std::optional<std::string> FindWineRegistryString(const std::string& registryText, const std::string& keyPath,
                                                  const std::string& valueName);

/// The host path of a Windows path inside a Wine prefix: its drive letter through the prefix's
/// dosdevices links, then each folder matched without regard to case where it exists. Empty for
/// a path without a drive letter.
std::string MapWinePath(const std::string& prefix, const std::string& windowsPath);

/// The game's data folder as the game's key in the Wine prefix's registry names it, mapped to a
/// host path with a trailing separator; empty when the prefix holds no such key.
std::string GameDataFolderFromWine(const std::string& prefix);

/// The Wine prefix in use: $WINEPREFIX, or ~/.wine.
std::string DefaultWinePrefix();

/// Finds the folder at start-up, first match winning: `commandLineFolder` when not empty, the
/// program's setting "SIMS_DATA", then the game's registry key (on Windows its own registry, on
/// other systems that of the Wine prefix). The result ends with a separator when not empty.
std::string FindGameDataFolder(const wxString& commandLineFolder);

/// Stores the user's choice as the program's setting and puts it in force.
void StoreGameDataFolder(const wxString& folder);
