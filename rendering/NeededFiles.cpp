#include "NeededFiles.h"

#include "containers/TypeCodes.h"

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
    CFileScriptNames entry;
    entry.fileName = name;
    for (std::size_t position = container.FindFirstOfType(kTypeBhav); position != CIffFile::kNoPosition;)
    {
        const CIffChunk chunk = container.NextOfType(position);
        entry.scripts.push_back({chunk.id, chunk.name});
    }
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
