#pragma once

#include "containers/IffFile.h"

#include <cstdint>
#include <string>
#include <vector>

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
/// their script names; all three lists run parallel, in load order.
class CNeededFiles
{
public:
    /// Empties all three lists.
    void Clear();
    /// Appends a copy of a container under its file's name part (not yet indexed).
    void Append(const CIffFile& container, const std::string& name);
    /// Appends a container that the caller no longer needs, without copying its image.
    void Append(CIffFile&& container, const std::string& name);
    /// Builds the index entry for the container and name appended last.
    void IndexLastFile();

    std::vector<CIffFile> m_containers;
    std::vector<std::string> m_names;
    std::vector<CFileScriptNames> m_index;
};
