#include "NeededFiles.h"

#include "containers/Windows1252.h"

#include "containers/TypeCodes.h"

#include <algorithm>
#include <stdexcept>

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

namespace
{
// Lists grow by half again when full: growing by exactly one made every append move the whole
// list, 11% of loading 1,768 files.
template <class List>
void MakeRoom(List& list)
{
    if (list.size() == list.capacity())
        list.reserve(list.size() + list.size() / 2 + 8);
}
}

void CNeededFiles::Clear()
{
    m_loaded.clear();
    m_loadedOf.clear();
    m_containers.m_items.clear();
    m_names.clear();
    m_index.clear();
}

void CNeededFiles::Add(const CIffFile& container, const std::string& name)
{
    Add(CIffFile(container), name);
}

CNeededFiles::CPrepared CNeededFiles::Prepare(CIffFile&& container)
{
    // The directory is read in place: taking each entry as a copy copied every name twice.
    auto loaded = std::make_shared<CLoaded>();
    const std::vector<CIffChunk>& chunks = container.Chunks();
    loaded->scripts.reserve(std::size_t(std::count_if(chunks.begin(), chunks.end(),
                                                      [](const CIffChunk& chunk) { return chunk.type == kTypeBhav; })));
    for (const CIffChunk& chunk : chunks)
        if (chunk.type == kTypeBhav)
            loaded->scripts.push_back({chunk.id, chunk.name});
    loaded->container = std::move(container);
    CPrepared prepared;
    prepared.m_loaded = std::move(loaded);
    return prepared;
}

void CNeededFiles::Add(CIffFile&& container, const std::string& name)
{
    Add(Prepare(std::move(container)), name);
}

void CNeededFiles::Add(CPrepared&& prepared, const std::string& name)
{
    if (!prepared.m_loaded)
        throw std::invalid_argument("CNeededFiles::Add: the preparation was used up");
    // Room first, so that nothing below can fail once a list has grown.
    MakeRoom(m_loaded);
    Append(m_loaded.size(), prepared.m_loaded, name);
    m_loaded.push_back(std::move(prepared.m_loaded));
}

void CNeededFiles::AddSameAs(std::size_t position, const std::string& name)
{
    const std::size_t shared = m_loadedOf.at(position);
    Append(shared, m_loaded[shared], name);
}

void CNeededFiles::Append(std::size_t which, const std::shared_ptr<const CLoaded>& loaded, const std::string& name)
{
    // Everything that can fail to allocate happens before any list grows, so that the lists
    // never end up of different lengths.
    CFileScriptNames entry{name, loaded->scripts};
    std::string nameCopy = name;
    MakeRoom(m_containers.m_items);
    MakeRoom(m_names);
    MakeRoom(m_index);
    MakeRoom(m_loadedOf);
    m_containers.m_items.push_back(&loaded->container);
    m_loadedOf.push_back(which);
    m_names.push_back(std::move(nameCopy));
    m_index.push_back(std::move(entry));
}
