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
