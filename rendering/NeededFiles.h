#pragma once

#include "containers/FarDirectory.h"
#include "containers/IffFile.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

/// The global file's name part: calls below 4096 go to its scripts.
inline constexpr std::string_view kGlobalFileName = "Global.iff";
/// File names compared as Windows compares them, without regard to case.
bool SameFileName(std::string_view a, std::string_view b);
/// The file a semi-global name from a `GLOB` chunk stands for: the chunk usually names it without
/// its extension, so ".IFF" is added when the name has no dot (an empty name too).
std::string SemiGlobalFileName(const std::string& semiGlobalName);

/// The name part of an archive member's name: what follows its last backslash, or slash.
std::string_view MemberNamePart(std::string_view memberName);

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

/// One name of the needed files, with its container and the container's behaviour scripts in
/// directory order. Container and list are shared by every name of the same bytes; the name may
/// point into an archive's directory. All stay valid as long as the needed files they came from.
struct CFileScriptNames
{
    std::string_view fileName;
    std::span<const CScriptNameEntry> scripts;
    const CIffFile* container = nullptr;
};

class CNeededFiles;

/// Walks the names of the needed files in load order. An archive's names are read from its
/// directory as the walk passes them, so a step costs no more than reading one entry.
class CNeededFilesWalk
{
public:
    CNeededFilesWalk() = default;
    CNeededFilesWalk(const CNeededFiles* files, std::size_t position);
    CFileScriptNames Current() const;
    void Next();
    bool operator==(const CNeededFilesWalk& other) const { return m_position == other.m_position; }

private:
    void EnterRun();
    void SeekListed(std::size_t entry, bool fromHere);

    const CNeededFiles* m_files = nullptr;
    std::size_t m_position = 0;
    std::size_t m_run = 0;
    std::size_t m_entry = 0;  // in an archive's run: the directory entry at the walk
    CFarDirectory::CCursor m_cursor;
};

/// A read-only list over the needed files' names, in load order: `Project` makes each element
/// from a listed file. Walking it is cheap; indexing finds the name from the nearest mark of its
/// archive's directory.
template <class Value, Value (*Project)(const CFileScriptNames&)>
class CNeededFilesList
{
public:
    class CIterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::remove_cvref_t<Value>;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = Value;

        CIterator() = default;
        explicit CIterator(CNeededFilesWalk walk) : m_walk(walk) {}
        Value operator*() const { return Project(m_walk.Current()); }
        CIterator& operator++()
        {
            m_walk.Next();
            return *this;
        }
        CIterator operator++(int)
        {
            CIterator before = *this;
            m_walk.Next();
            return before;
        }
        bool operator==(const CIterator& other) const { return m_walk == other.m_walk; }

    private:
        CNeededFilesWalk m_walk;
    };

    explicit CNeededFilesList(const CNeededFiles* files) : m_files(files) {}
    std::size_t size() const;
    bool empty() const { return size() == 0; }
    Value operator[](std::size_t i) const { return Project(CNeededFilesWalk(m_files, i).Current()); }
    Value front() const { return (*this)[0]; }
    Value back() const { return (*this)[size() - 1]; }
    CIterator begin() const { return CIterator(CNeededFilesWalk(m_files, 0)); }
    CIterator end() const { return CIterator(CNeededFilesWalk(m_files, size())); }

private:
    const CNeededFiles* m_files;
};

inline std::string_view ListedName(const CFileScriptNames& file) { return file.fileName; }
inline const CIffFile& ListedContainer(const CFileScriptNames& file) { return *file.container; }
inline CFileScriptNames ListedFile(const CFileScriptNames& file) { return file; }

using CNameList = CNeededFilesList<std::string_view, ListedName>;
using CContainerList = CNeededFilesList<const CIffFile&, ListedContainer>;
using CIndexList = CNeededFilesList<CFileScriptNames, ListedFile>;

/// Every loaded global container and the open file's own, with their name parts and the index of
/// their script names, in load order. A container and its script list are held once however many
/// names share them, and an archive's names are not copied out of its directory: an archive may
/// list one member under thousands of names, and what it costs stays close to its own bytes.
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

    /// A range of an archive's bytes that its directory names, with the container read from it.
    struct CArchiveMember
    {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
        CPrepared prepared;
    };

    /// Empties the lists.
    void Clear();
    /// Appends a container under its file's name part and indexes its scripts. A failure to
    /// allocate (std::bad_alloc) leaves the lists as they were.
    void Add(CIffFile&& container, const std::string& name);
    /// The same with a copy of the container.
    void Add(const CIffFile& container, const std::string& name);
    /// Appends a prepared container under a name; the preparation is used up.
    void Add(CPrepared&& prepared, const std::string& name);
    /// Appends the entries of an archive's directory that `listed` marks (bit i%64 of word i/64
    /// for entry i), in directory order, each under its name part and naming the member of its
    /// range. `directory` walks `archive`, which is kept. Members that no listed entry names are
    /// dropped. Throws std::invalid_argument, changing nothing, where a listed entry's range has
    /// no member or the marks do not fit the directory; std::bad_alloc leaves the lists as they
    /// were.
    void AddArchive(std::shared_ptr<const CImageBytes> archive, const CFarDirectory& directory,
                    std::vector<std::uint64_t> listed, std::vector<CArchiveMember> members);

    std::size_t Count() const { return m_count; }
    CContainerList Containers() const { return CContainerList(this); }
    CNameList Names() const { return CNameList(this); }
    CIndexList Index() const { return CIndexList(this); }

private:
    friend class CNeededFilesWalk;

    struct CLoaded
    {
        CIffFile container;
        std::vector<CScriptNameEntry> scripts;
    };
    struct CArchiveNames;
    // A run of names: one name given by a caller, or the listed entries of one archive.
    struct CRun
    {
        std::size_t start = 0;  // the position of its first name
        std::size_t count = 0;
        std::string name;
        std::size_t loaded = 0;  // a single name's container, in m_loaded
        std::shared_ptr<const CArchiveNames> archive;
    };

    CFileScriptNames ListedOf(const CRun& run, const CFarDirectoryEntry* entry) const;
    std::size_t RunAt(std::size_t position) const;

    // One per distinct container.
    std::vector<std::shared_ptr<const CLoaded>> m_loaded;
    std::vector<CRun> m_runs;
    std::size_t m_count = 0;
};

template <class Value, Value (*Project)(const CFileScriptNames&)>
std::size_t CNeededFilesList<Value, Project>::size() const
{
    return m_files->Count();
}
