#include "NeededFiles.h"

#include "containers/Windows1252.h"

#include "containers/TypeCodes.h"

#include <algorithm>
#include <bit>
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

std::string_view MemberNamePart(std::string_view memberName)
{
    // Archives name their members with backslashes; a slash is taken too, for archives packed by
    // tools that wrote the other kind. Searched by hand: a search for either of two characters
    // scanned the pair for every character, half of checking 10,000 names.
    for (std::size_t i = memberName.size(); i > 0; --i)
        if (memberName[i - 1] == '\\' || memberName[i - 1] == '/')
            return memberName.substr(i);
    return memberName;
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
    for (const std::string_view name : globalFiles.Names())
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
void MakeRoom(List& list, std::size_t more = 1)
{
    if (list.size() + more > list.capacity())
        list.reserve(std::max(list.size() + more, list.size() + list.size() / 2 + 8));
}

constexpr std::size_t kWordBits = 64;
}

// An archive's names: its directory where it lies in the archive's bytes, one bit per entry for
// those listed, and the containers of the ranges they name. Nothing is kept per name beyond the
// bits and a count per 64 entries.
struct CNeededFiles::CArchiveNames
{
    struct CRange
    {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
        std::size_t loaded = 0;  // in m_loaded
        bool operator<(const CRange& other) const
        {
            return offset != other.offset ? offset < other.offset : length < other.length;
        }
    };

    std::shared_ptr<const CImageBytes> bytes;
    CFarDirectory directory;
    std::vector<std::uint64_t> listed;
    std::vector<std::size_t> listedBefore;  // for each word of `listed`, the listed entries before it
    std::vector<CRange> ranges;             // sorted

    // The first listed entry at or after `entry`; the directory's size when none is.
    std::size_t NextListed(std::size_t entry) const
    {
        std::size_t word = entry / kWordBits;
        if (word >= listed.size())
            return directory.Size();
        std::uint64_t bits = listed[word] & (~std::uint64_t(0) << (entry % kWordBits));
        while (bits == 0)
        {
            if (++word == listed.size())
                return directory.Size();
            bits = listed[word];
        }
        return word * kWordBits + std::size_t(std::countr_zero(bits));
    }

    // The entry of the k-th listed name (from 0).
    std::size_t Select(std::size_t k) const
    {
        const auto after = std::upper_bound(listedBefore.begin(), listedBefore.end(), k);
        const std::size_t word = std::size_t(after - listedBefore.begin()) - 1;
        std::uint64_t bits = listed[word];
        for (std::size_t skip = k - listedBefore[word]; skip > 0; --skip)
            bits &= bits - 1;
        return word * kWordBits + std::size_t(std::countr_zero(bits));
    }

    const CRange* RangeOf(std::uint32_t offset, std::uint32_t length) const
    {
        const CRange key{offset, length, 0};
        const auto found = std::lower_bound(ranges.begin(), ranges.end(), key);
        return found != ranges.end() && found->offset == offset && found->length == length ? &*found : nullptr;
    }
};

void CNeededFiles::Clear()
{
    m_loaded.clear();
    m_runs.clear();
    m_count = 0;
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
    // Everything that can fail to allocate happens before any list grows, so that the lists
    // never end up out of step.
    CRun run;
    run.start = m_count;
    run.count = 1;
    run.name = name;
    run.loaded = m_loaded.size();
    MakeRoom(m_loaded);
    MakeRoom(m_runs);
    m_loaded.push_back(std::move(prepared.m_loaded));
    m_runs.push_back(std::move(run));
    ++m_count;
}

void CNeededFiles::AddArchive(std::shared_ptr<const CImageBytes> archive, const CFarDirectory& directory,
                              std::vector<std::uint64_t> listed, std::vector<CArchiveMember> members)
{
    const std::size_t entries = directory.Size();
    const std::size_t words = (entries + kWordBits - 1) / kWordBits;
    if (listed.size() != words || (entries % kWordBits != 0 && words > 0 &&
                                   (listed.back() >> (entries % kWordBits)) != 0))
        throw std::invalid_argument("CNeededFiles::AddArchive: the marks do not fit the directory");
    for (const CArchiveMember& member : members)
        if (!member.prepared.m_loaded)
            throw std::invalid_argument("CNeededFiles::AddArchive: a preparation was used up");

    auto names = std::make_shared<CArchiveNames>();
    names->bytes = std::move(archive);
    names->directory = directory;
    names->listedBefore.reserve(words);
    std::size_t count = 0;
    for (const std::uint64_t word : listed)
    {
        names->listedBefore.push_back(count);
        count += std::size_t(std::popcount(word));
    }
    names->listed = std::move(listed);

    // Members in range order, the first of two for the same range kept; then only those that a
    // listed entry names.
    names->ranges.reserve(members.size());
    for (std::size_t i = 0; i < members.size(); ++i)
        names->ranges.push_back({members[i].offset, members[i].length, i});
    std::stable_sort(names->ranges.begin(), names->ranges.end());
    names->ranges.erase(std::unique(names->ranges.begin(), names->ranges.end(),
                                    [](const CArchiveNames::CRange& a, const CArchiveNames::CRange& b) {
                                        return !(a < b) && !(b < a);
                                    }),
                        names->ranges.end());
    std::vector<bool> named(members.size(), false);
    CFarDirectory::CCursor cursor = directory.CursorAt(0);
    for (std::size_t entry = names->NextListed(0); entry < entries; entry = names->NextListed(entry + 1))
    {
        while (cursor.Index() < entry)
            cursor.Next();
        const CFarDirectoryEntry at = cursor.Entry();
        const CArchiveNames::CRange* range = names->RangeOf(at.offset, at.length2);
        if (range == nullptr)
            throw std::invalid_argument("CNeededFiles::AddArchive: a listed entry names no member");
        named[range->loaded] = true;
    }
    if (count == 0)
        return;

    // Containers take their places in m_loaded in the order the caller gave them.
    std::vector<std::size_t> place(members.size(), 0);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < members.size(); ++i)
        if (named[i])
            place[i] = m_loaded.size() + kept++;
    std::erase_if(names->ranges, [&](const CArchiveNames::CRange& range) { return !named[range.loaded]; });
    for (CArchiveNames::CRange& range : names->ranges)
        range.loaded = place[range.loaded];

    CRun run;
    run.start = m_count;
    run.count = count;
    run.archive = names;
    MakeRoom(m_loaded, kept);
    MakeRoom(m_runs);
    for (std::size_t i = 0; i < members.size(); ++i)
        if (named[i])
            m_loaded.push_back(std::move(members[i].prepared.m_loaded));
    m_runs.push_back(std::move(run));
    m_count += count;
}

std::size_t CNeededFiles::RunAt(std::size_t position) const
{
    const auto after = std::upper_bound(m_runs.begin(), m_runs.end(), position,
                                        [](std::size_t at, const CRun& run) { return at < run.start; });
    return std::size_t(after - m_runs.begin()) - 1;
}

CFileScriptNames CNeededFiles::ListedOf(const CRun& run, const CFarDirectoryEntry* entry) const
{
    if (entry == nullptr)
    {
        const CLoaded& loaded = *m_loaded[run.loaded];
        return {run.name, loaded.scripts, &loaded.container};
    }
    const CArchiveNames::CRange* range = run.archive->RangeOf(entry->offset, entry->length2);
    const CLoaded& loaded = *m_loaded[range->loaded];
    return {MemberNamePart(entry->name), loaded.scripts, &loaded.container};
}

CNeededFilesWalk::CNeededFilesWalk(const CNeededFiles* files, std::size_t position)
    : m_files(files), m_position(position)
{
    if (position >= files->m_count)
    {
        m_position = files->m_count;
        m_run = files->m_runs.size();
        return;
    }
    m_run = files->RunAt(position);
    const CNeededFiles::CRun& run = files->m_runs[m_run];
    if (run.archive)
        SeekListed(run.archive->Select(position - run.start), false);
}

void CNeededFilesWalk::SeekListed(std::size_t entry, bool fromHere)
{
    const CFarDirectory& directory = m_files->m_runs[m_run].archive->directory;
    // Short gaps are stepped over; a long one is jumped from the nearest mark.
    if (fromHere && entry - m_entry <= 64)
        while (m_cursor.Index() < entry)
            m_cursor.Next();
    else
        m_cursor = directory.CursorAt(entry);
    m_entry = entry;
}

void CNeededFilesWalk::EnterRun()
{
    const CNeededFiles::CRun& run = m_files->m_runs[m_run];
    if (run.archive)
        SeekListed(run.archive->NextListed(0), false);
}

CFileScriptNames CNeededFilesWalk::Current() const
{
    const CNeededFiles::CRun& run = m_files->m_runs[m_run];
    if (!run.archive)
        return m_files->ListedOf(run, nullptr);
    const CFarDirectoryEntry entry = m_cursor.Entry();
    return m_files->ListedOf(run, &entry);
}

void CNeededFilesWalk::Next()
{
    if (m_position >= m_files->m_count)
        return;
    const CNeededFiles::CRun& run = m_files->m_runs[m_run];
    ++m_position;
    if (m_position == run.start + run.count)
    {
        ++m_run;
        if (m_run < m_files->m_runs.size())
            EnterRun();
        return;
    }
    SeekListed(run.archive->NextListed(m_entry + 1), true);
}
