#include "IffTransaction.h"

#include <algorithm>
#include <map>
#include <new>
#include <set>
#include <tuple>
#include <utility>

namespace
{
// An entry's identity across a change: a directory may hold two entries of one type and id, which
// are then told apart by their order.
struct CEntryKey
{
    std::uint32_t type = 0;
    std::uint16_t id = 0;
    std::size_t occurrence = 0;

    auto operator<=>(const CEntryKey&) const = default;
};

std::vector<CEntryKey> KeysOf(const std::vector<CIffChunk>& chunks)
{
    std::map<std::pair<std::uint32_t, std::uint16_t>, std::size_t> seen;
    std::vector<CEntryKey> keys;
    keys.reserve(chunks.size());
    for (const CIffChunk& chunk : chunks)
        keys.push_back({chunk.type, chunk.id, seen[{chunk.type, chunk.id}]++});
    return keys;
}

std::map<CEntryKey, std::size_t> PositionsOf(const std::vector<CEntryKey>& keys)
{
    std::map<CEntryKey, std::size_t> positions;
    for (std::size_t i = 0; i < keys.size(); ++i)
        positions.emplace(keys[i], i);
    return positions;
}

bool SameData(const CIffFile& container, const CIffChunk& a, const CIffChunk& b)
{
    if (a.offset == b.offset && a.size == b.size)
        return true;
    const auto x = container.ChunkData(a);
    const auto y = container.ChunkData(b);
    return std::equal(x.begin(), x.end(), y.begin(), y.end());
}

// The entries of `changed`, in directory order, with their places and bytes.
std::vector<CChunkState> StatesOf(const CIffFile& container, const std::vector<CIffChunk>& chunks,
                                  const std::vector<CEntryKey>& keys, const std::set<CEntryKey>& changed)
{
    std::vector<CChunkState> states;
    for (std::size_t i = 0; i < chunks.size(); ++i)
    {
        if (changed.count(keys[i]) == 0)
            continue;
        const auto data = container.ChunkData(chunks[i]);
        states.push_back({i, keys[i].occurrence, chunks[i], std::vector<std::uint8_t>(data.begin(), data.end())});
    }
    return states;
}

// The type list of one side, with any type the directory now holds that it lacks: the container may
// have changed outside the history (saving writes the semi-global chunk), and a type in use must
// stay listed for the resource map.
std::vector<std::uint32_t> TypesFor(std::vector<std::uint32_t> types, const std::vector<CIffChunk>& chunks)
{
    for (const CIffChunk& chunk : chunks)
        if (std::find(types.begin(), types.end(), chunk.type) == types.end())
            types.push_back(chunk.type);
    return types;
}
}  // namespace

bool CChunkState::operator==(const CChunkState& other) const
{
    return position == other.position && occurrence == other.occurrence && entry.type == other.entry.type &&
           entry.id == other.entry.id && entry.flags == other.entry.flags && entry.name == other.entry.name &&
           data == other.data;
}

std::size_t CIffChange::DataBytes() const
{
    std::size_t bytes = 0;
    for (const auto* side : {&before, &after})
        for (const CChunkState& state : *side)
            bytes += state.data.size();
    return bytes;
}

CIffTransaction::CIffTransaction(CIffFile& container)
    : m_container(&container), m_chunks(container.m_chunks), m_types(container.m_types),
      m_index(container.m_index), m_liveBytes(container.m_liveBytes), m_imageLength(container.ImageLength())
{
    ++container.m_openTransactions;
}

CIffTransaction::~CIffTransaction()
{
    RollBack();
}

void CIffTransaction::End()
{
    if (m_container == nullptr)
        return;
    --m_container->m_openTransactions;
    m_container = nullptr;
}

void CIffTransaction::SetDirectory(std::vector<CIffChunk> chunks, std::vector<std::uint32_t> types)
{
    m_container->SetDirectory(std::move(chunks), std::move(types));
}

void CIffTransaction::RollBack()
{
    if (m_container == nullptr)
        return;
    // Swapped in, not copied: putting the directory back needs no memory, so it cannot fail. The
    // bytes the change added are given up, so that the image too is as it was.
    std::swap(m_container->m_chunks, m_chunks);
    std::swap(m_container->m_types, m_types);
    std::swap(m_container->m_index, m_index);
    std::swap(m_container->m_liveBytes, m_liveBytes);
    m_container->TruncateImage(m_imageLength);
    End();
}

void CIffTransaction::Keep()
{
    End();
}

std::optional<CIffChange> CIffTransaction::Commit()
{
    if (m_container == nullptr)
        return std::nullopt;
    const CIffFile& container = *m_container;
    const std::vector<CIffChunk>& before = m_chunks;
    const std::vector<CIffChunk>& after = container.Chunks();
    try
    {
        const std::vector<CEntryKey> keysBefore = KeysOf(before);
        const std::vector<CEntryKey> keysAfter = KeysOf(after);
        const std::map<CEntryKey, std::size_t> placesAfter = PositionsOf(keysAfter);
        std::set<CEntryKey> changed;
        bool contentChanged = false;
        for (std::size_t i = 0; i < before.size(); ++i)
        {
            const auto found = placesAfter.find(keysBefore[i]);
            if (found == placesAfter.end())
            {
                changed.insert(keysBefore[i]);
                contentChanged = true;
                continue;
            }
            const CIffChunk& was = before[i];
            const CIffChunk& is = after[found->second];
            const bool sameContent = was.name == is.name && SameData(container, was, is);
            if (!sameContent || was.flags != is.flags)
                changed.insert(keysBefore[i]);
            contentChanged = contentChanged || !sameContent;
        }
        const std::map<CEntryKey, std::size_t> placesBefore = PositionsOf(keysBefore);
        for (const CEntryKey& key : keysAfter)
            if (placesBefore.count(key) == 0)
            {
                changed.insert(key);
                contentChanged = true;
            }
        // The entries left alone must stand in the same order on both sides, or the places noted
        // would not rebuild the directory; from the first that does not, the rest count as changed.
        std::vector<CEntryKey> keptBefore;
        std::vector<CEntryKey> keptAfter;
        for (const CEntryKey& key : keysBefore)
            if (changed.count(key) == 0)
                keptBefore.push_back(key);
        for (const CEntryKey& key : keysAfter)
            if (changed.count(key) == 0)
                keptAfter.push_back(key);
        const auto stray = std::mismatch(keptBefore.begin(), keptBefore.end(), keptAfter.begin()).first;
        for (auto key = stray; key != keptBefore.end(); ++key)
        {
            changed.insert(*key);
            contentChanged = true;
        }

        if (!contentChanged)
        {
            RollBack();
            return CIffChange{};
        }
        CIffChange change;
        change.before = StatesOf(container, before, keysBefore, changed);
        change.after = StatesOf(container, after, keysAfter, changed);
        change.typesBefore = m_types;
        change.typesAfter = container.Types();
        Tidy(change);
        Keep();
        return change;
    }
    catch (const std::bad_alloc&)
    {
        RollBack();
        return std::nullopt;
    }
}

void CIffTransaction::Tidy(const CIffChange& change)
{
    CIffFile& container = *m_container;
    std::vector<CIffChunk> chunks = container.Chunks();
    for (const CChunkState& was : change.before)
    {
        const auto is = std::find_if(change.after.begin(), change.after.end(), [&](const CChunkState& state) {
            return state.entry.type == was.entry.type && state.entry.id == was.entry.id &&
                   state.occurrence == was.occurrence;
        });
        if (is == change.after.end() || is->data.size() != was.data.size() || is->entry.offset < m_imageLength ||
            was.entry.offset >= m_imageLength)
            continue;
        // The old place must be no one's now: a change may have put the old bytes under another id.
        CIffChunk& entry = chunks[is->position];
        if (std::any_of(chunks.begin(), chunks.end(),
                        [&](const CIffChunk& chunk) { return chunk.offset == was.entry.offset; }))
            continue;
        if (!container.RewriteChunk(was.entry, entry, is->data))
            break;
        entry.offset = was.entry.offset;
        // Only the offset moves, so the container's index and counts stand; nothing to allocate.
        container.m_chunks[is->position].offset = was.entry.offset;
    }
    const std::vector<CIffChunk>& now = container.Chunks();
    const bool tailUnused = std::none_of(now.begin(), now.end(), [&](const CIffChunk& chunk) {
        return std::uint64_t(chunk.offset) + chunk.size > m_imageLength;
    });
    if (tailUnused)
        container.TruncateImage(m_imageLength);
}

bool ApplyChange(CIffFile& container, const CIffChange& change, bool forward)
{
    return CIffTransaction::Apply(container, change, forward);
}

bool CIffTransaction::Apply(CIffFile& container, const CIffChange& change, bool forward)
{
    const std::vector<CChunkState>& leaving = forward ? change.before : change.after;
    const std::vector<CChunkState>& coming = forward ? change.after : change.before;
    CIffTransaction transaction(container);
    const std::vector<CIffChunk>& current = transaction.m_chunks;
    try
    {
        const std::vector<CEntryKey> keys = KeysOf(current);
        const std::map<CEntryKey, std::size_t> places = PositionsOf(keys);
        std::set<CEntryKey> gone;
        for (const CChunkState& state : leaving)
            gone.insert({state.entry.type, state.entry.id, state.occurrence});
        // An entry that returns in the size of the one it replaces goes into that one's place, so
        // that undoing and redoing an edit leave the image as long as it was; the others are
        // stored anew. Storing is the only step that can fail, and it comes first: a failure
        // leaves the directory as the transaction noted it.
        const bool writable = container.m_image.MutableData() != nullptr;
        std::vector<CIffChunk> entries;
        std::vector<std::optional<std::size_t>> inPlace;
        entries.reserve(coming.size());
        inPlace.reserve(coming.size());
        for (const CChunkState& state : coming)
        {
            const CEntryKey key{state.entry.type, state.entry.id, state.occurrence};
            const auto place = places.find(key);
            if (writable && gone.count(key) != 0 && place != places.end() &&
                current[place->second].size == state.data.size() &&
                std::count_if(current.begin(), current.end(), [&](const CIffChunk& chunk) {
                    return chunk.offset == current[place->second].offset;
                }) == 1)
            {
                CIffChunk entry = state.entry;
                entry.offset = current[place->second].offset;
                entry.size = current[place->second].size;
                entries.push_back(std::move(entry));
                inPlace.push_back(place->second);
                continue;
            }
            CIffChunk entry = state.entry;
            if (!container.PutChunk(entry, state.data))
                return false;
            entries.push_back(std::move(entry));
            inPlace.push_back(std::nullopt);
        }
        // Then the directory, built from the one noted before: the leaving entries go, and the
        // coming ones return to their places.
        std::vector<CIffChunk> chunks;
        chunks.reserve(current.size() + coming.size());
        for (std::size_t i = 0; i < current.size(); ++i)
            if (gone.count(keys[i]) == 0)
                chunks.push_back(current[i]);
        for (std::size_t i = 0; i < coming.size(); ++i)
        {
            const std::size_t place = std::min(coming[i].position, chunks.size());
            chunks.insert(chunks.begin() + static_cast<std::ptrdiff_t>(place), entries[i]);
        }
        std::vector<std::uint32_t> types = TypesFor(forward ? change.typesAfter : change.typesBefore, chunks);
        // Last the bytes written in place, which cannot fail: the places were checked above.
        for (std::size_t i = 0; i < coming.size(); ++i)
            if (inPlace[i])
                container.RewriteChunk(current[*inPlace[i]], entries[i], coming[i].data);
        transaction.SetDirectory(std::move(chunks), std::move(types));
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    transaction.Keep();
    return true;
}
