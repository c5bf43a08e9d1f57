#include "NeededFiles.h"

#include "containers/TypeCodes.h"

void CNeededFiles::Clear()
{
    m_containers.clear();
    m_names.clear();
    m_index.clear();
}

void CNeededFiles::Append(const CIffFile& container, const std::string& name)
{
    Append(CIffFile(container), name);
}

void CNeededFiles::Append(CIffFile&& container, const std::string& name)
{
    // Everything that can fail to allocate happens before either list grows, so that the lists
    // never end up of different lengths.
    // The lists grow by half again when full: growing by exactly one (the way to make room
    // before either push) made every append move the whole list, 11% of loading 1,768 files.
    std::string nameCopy = name;
    if (m_containers.size() == m_containers.capacity())
        m_containers.reserve(m_containers.size() + m_containers.size() / 2 + 8);
    if (m_names.size() == m_names.capacity())
        m_names.reserve(m_names.size() + m_names.size() / 2 + 8);
    m_containers.push_back(std::move(container));
    m_names.push_back(std::move(nameCopy));
}

void CNeededFiles::IndexLastFile()
{
    if (m_containers.empty() || m_names.empty())
        return;
    const CIffFile& container = m_containers.back();
    CFileScriptNames entry;
    entry.fileName = m_names.back();
    std::size_t position = container.FindFirstOfType(kTypeBhav);
    while (position != CIffFile::kNoPosition)
    {
        const CIffChunk chunk = container.NextOfType(position);
        entry.scripts.push_back({chunk.id, chunk.name});
    }
    m_index.push_back(std::move(entry));
}
