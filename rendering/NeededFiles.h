#pragma once

#include "containers/IffFile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// The global file's name part: calls below 4096 go to its scripts.
inline constexpr std::string_view kGlobalFileName = "Global.iff";
/// File names compared as Windows compares them, without regard to case.
bool SameFileName(std::string_view a, std::string_view b);
/// The file a semi-global name from a `GLOB` chunk stands for: the chunk usually names it without
/// its extension, so ".IFF" is added when the name has no dot (an empty name too).
std::string SemiGlobalFileName(const std::string& semiGlobalName);

class CNeededFiles;
/// What opening a file says when the semi-global file its `GLOB` chunk names (windows-1252 bytes)
/// is not among the global files loaded: "The semi-global file NAME is not in the game's folder;
/// its calls show as numbers." (UTF-8). Empty when it was loaded, when the file names none, or when
/// no global file was loaded at all (then no call shows by name, and that is said already).
std::string MissingSemiGlobalMessage(const CNeededFiles& globalFiles, const std::string& semiGlobalName);

/// One behaviour script of a loaded file: its chunk id and chunk name.
struct CScriptNameEntry
{
    std::uint16_t id = 0;
    std::string name;
};

/// The behaviour scripts of one loaded file, in directory order.
struct CFileScriptNames
{
    std::string fileName;
    std::vector<CScriptNameEntry> scripts;
};

/// Every loaded global container and the open file's own, their name parts, and the index of
/// their script names; all three lists run parallel, in load order, and only these operations
/// change them, so they always do.
class CNeededFiles
{
public:
    /// Empties all three lists.
    void Clear();
    /// Appends a container under its file's name part and indexes its scripts. A failure to
    /// allocate (std::bad_alloc) leaves the three lists as they were.
    void Add(CIffFile&& container, const std::string& name);
    /// The same with a copy of the container.
    void Add(const CIffFile& container, const std::string& name);

    const std::vector<CIffFile>& Containers() const { return m_containers; }
    const std::vector<std::string>& Names() const { return m_names; }
    const std::vector<CFileScriptNames>& Index() const { return m_index; }

private:
    std::vector<CIffFile> m_containers;
    std::vector<std::string> m_names;
    std::vector<CFileScriptNames> m_index;
};
