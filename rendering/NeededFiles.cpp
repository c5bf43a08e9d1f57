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
    std::string nameCopy = name;
    m_containers.reserve(m_containers.size() + 1);
    m_names.reserve(m_names.size() + 1);
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
