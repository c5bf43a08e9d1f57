#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CIffFile;
class CNeededFiles;

// The scripts an object names as its entry points, found where a call from the object's file
// would find them.

/// Where the script of an entry point lives.
enum class EScriptHome
{
    None,        // the id is 0: no script
    File,        // a script of the object's own file
    Global,      // below 4096: the global file
    SemiGlobal,  // 8192 and up, in a file that names a semi-global file
    Missing,     // an id the object's own file should hold but does not
};

/// "file", "global", "semi-global", "missing"; empty for None.
const char* ScriptHomeWord(EScriptHome home);

/// The script an entry point names: where it lives and its name (empty when the loaded files do
/// not hold it, and for None and Missing).
struct CEntryPointScript
{
    EScriptHome home = EScriptHome::None;
    std::string name;
};

/// The script `id` as a call from `container` reaches it: its own scripts from 4096 on, and from
/// 8192 on too when `semiGlobalName` is empty; global and semi-global names from `files`.
CEntryPointScript EntryPointScript(const CIffFile& container, const CNeededFiles& files,
                                   const std::string& semiGlobalName, std::uint16_t id);

/// The GUIDs of every object definition in the loaded files.
std::vector<std::uint32_t> LoadedObjectGuids(const CNeededFiles& files);
