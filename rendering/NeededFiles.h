#pragma once

#include "containers/IffFile.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <span>
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

/// The behaviour scripts of one loaded file, in directory order. The list belongs to the loaded
/// container, which every name of the same bytes shares.
struct CFileScriptNames
{
    std::string fileName;
    std::span<const CScriptNameEntry> scripts;
};

/// The loaded containers in load order, one for each name; names of the same bytes reach the same
/// container.
class CContainerList
{
public:
    class CIterator
    {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = CIffFile;
        using difference_type = std::ptrdiff_t;
        using pointer = const CIffFile*;
        using reference = const CIffFile&;

        CIterator() = default;
        explicit CIterator(const CIffFile* const* at) : m_at(at) {}
        reference operator*() const { return **m_at; }
        pointer operator->() const { return *m_at; }
        CIterator& operator++()
        {
            ++m_at;
            return *this;
        }
        CIterator operator++(int)
        {
            CIterator before = *this;
            ++m_at;
            return before;
        }
        difference_type operator-(const CIterator& other) const { return m_at - other.m_at; }
        bool operator==(const CIterator&) const = default;

    private:
        const CIffFile* const* m_at = nullptr;
    };

    std::size_t size() const { return m_items.size(); }
    bool empty() const { return m_items.empty(); }
    const CIffFile& operator[](std::size_t i) const { return *m_items[i]; }
    const CIffFile& back() const { return *m_items.back(); }
    CIterator begin() const { return CIterator(m_items.data()); }
    CIterator end() const { return CIterator(m_items.data() + m_items.size()); }

private:
    friend class CNeededFiles;
    std::vector<const CIffFile*> m_items;
};

/// Every loaded global container and the open file's own, their name parts, and the index of
/// their script names; all three lists run parallel, in load order, and only these operations
/// change them, so they always do. A container and its script list are held once however many
/// names share them: an archive may list one member under thousands of names.
class CNeededFiles
{
    struct CLoaded;

public:
    /// A container with its script names listed, ready to be added. Made on any thread (loading
    /// does the listing beside the reading); added by the thread that owns the lists.
    class CPrepared
    {
    private:
        friend class CNeededFiles;
        std::shared_ptr<CLoaded> m_loaded;
    };
    static CPrepared Prepare(CIffFile&& container);

    /// Empties all three lists.
    void Clear();
    /// Appends a container under its file's name part and indexes its scripts. A failure to
    /// allocate (std::bad_alloc) leaves the three lists as they were.
    void Add(CIffFile&& container, const std::string& name);
    /// The same with a copy of the container.
    void Add(const CIffFile& container, const std::string& name);
    /// Appends a prepared container under a name; the preparation is used up.
    void Add(CPrepared&& prepared, const std::string& name);
    /// Appends `name` for the container listed at `position`, sharing it and its script list.
    void AddSameAs(std::size_t position, const std::string& name);

    const CContainerList& Containers() const { return m_containers; }
    const std::vector<std::string>& Names() const { return m_names; }
    const std::vector<CFileScriptNames>& Index() const { return m_index; }

private:
    struct CLoaded
    {
        CIffFile container;
        std::vector<CScriptNameEntry> scripts;
    };

    void Append(std::size_t which, const std::shared_ptr<const CLoaded>& loaded, const std::string& name);

    // One per distinct container; the lists below point into them.
    std::vector<std::shared_ptr<const CLoaded>> m_loaded;
    std::vector<std::size_t> m_loadedOf;  // for each name, its container's place in m_loaded
    CContainerList m_containers;
    std::vector<std::string> m_names;
    std::vector<CFileScriptNames> m_index;
};
