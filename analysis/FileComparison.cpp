#include "FileComparison.h"
#include "Sha256.h"

#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "containers/Windows1252.h"
#include "rendering/ScriptListing.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <unordered_map>

namespace
{
using CRank = std::tuple<std::uint32_t, std::uint16_t, std::size_t>;
constexpr std::size_t kNotCompared = std::size_t(-1);

// Each chunk's type, id and how many chunks of that type and id come before it.
std::vector<CRank> Ranks(const CIffFile& file)
{
    std::map<std::pair<std::uint32_t, std::uint16_t>, std::size_t> seen;
    std::vector<CRank> ranks;
    for (const CIffChunk& chunk : file.Chunks())
        // Saving rebuilds the resource map from the directory: it changes with every record and is
        // no record of its own.
        if (chunk.type == kTypeRsmp)
            ranks.emplace_back(chunk.type, chunk.id, kNotCompared);
        else
        ranks.emplace_back(chunk.type, chunk.id, seen[{chunk.type, chunk.id}]++);
    return ranks;
}

CRecordKey KeyOf(const CIffChunk& chunk)
{
    return {chunk.type, chunk.id, OneLine(Windows1252ToUtf8(chunk.name))};
}

std::vector<CEntryPart> BytesParts(std::span<const std::uint8_t> data)
{
    return {{"size", std::to_string(data.size()), false}, {"sha256", Sha256Hex(data), false}};
}

CEntryChange Changed(std::string place, std::vector<CEntryPart> old, std::vector<CEntryPart> now)
{
    CEntryChange change{std::move(place), 0, true, true, std::move(old), std::move(now), {}};
    for (const CEntryPart& part : change.now)
    {
        const auto match = std::find_if(change.old.begin(), change.old.end(),
                                        [&](const CEntryPart& o) { return o.key == part.key; });
        if (match == change.old.end() || match->value != part.value)
            change.fields.push_back(part.key);
    }
    for (const CEntryPart& part : change.old)
        if (std::none_of(change.now.begin(), change.now.end(), [&](const CEntryPart& n) { return n.key == part.key; }))
            change.fields.push_back(part.key);
    return change;
}

std::vector<std::string> Keys(const std::vector<CEntryPart>& parts)
{
    std::vector<std::string> keys;
    for (const CEntryPart& part : parts)
        keys.push_back(part.key);
    return keys;
}

// The places of two loaded versions of a record that differ, in the second version's order, then
// those only the first has.
void CompareEntries(const CRecordView& a, const CRecordView& b, std::vector<CEntryChange>& changes)
{
    std::unordered_map<std::string, std::size_t> inA;
    for (std::size_t i = 0; i < a.entries.size(); ++i)
        inA.emplace(a.entries[i].place, i);
    std::vector<bool> matched(a.entries.size(), false);
    for (const CRecordEntry& entry : b.entries)
    {
        const auto found = inA.find(entry.place);
        if (found == inA.end())
        {
            changes.push_back({entry.place, entry.line, false, true, {}, entry.parts, Keys(entry.parts)});
            continue;
        }
        matched[found->second] = true;
        const CRecordEntry& old = a.entries[found->second];
        if (old.identity == entry.identity)
            continue;
        CEntryChange change = Changed(entry.place, old.parts, entry.parts);
        change.line = entry.line;
        changes.push_back(std::move(change));
    }
    for (std::size_t i = 0; i < a.entries.size(); ++i)
        if (!matched[i])
            changes.push_back({a.entries[i].place, a.entries[i].line, true, false, a.entries[i].parts, {},
                               Keys(a.entries[i].parts)});
}

std::vector<CEntryChange> CompareRecords(const CIffFile& a, const CIffChunk& chunkA, bool firstA,
                                         const CPlainTextRenderer& rendererA, const CIffFile& b,
                                         const CIffChunk& chunkB, bool firstB, const CPlainTextRenderer& rendererB,
                                         const CTextShower& shower)
{
    std::vector<CEntryChange> changes;
    const std::span<const std::uint8_t> dataA = a.ChunkData(chunkA);
    const std::span<const std::uint8_t> dataB = b.ChunkData(chunkB);
    const bool sameBytes = std::equal(dataA.begin(), dataA.end(), dataB.begin(), dataB.end());
    if (chunkA.name != chunkB.name)
    {
        const CRecordKey keyA = KeyOf(chunkA), keyB = KeyOf(chunkB);
        changes.push_back(Changed("name", {{"value", keyA.name, true}}, {{"value", keyB.name, true}}));
    }
    if (chunkA.flags != chunkB.flags)
        changes.push_back(Changed("flags", {{"value", std::to_string(chunkA.flags), false}},
                                  {{"value", std::to_string(chunkB.flags), false}}));
    // A record's places name other records (a call's script, an interaction's string): compared
    // by its own bytes first, a record whose bytes did not change did not change.
    if (sameBytes)
        return changes;
    const std::size_t before = changes.size();
    if (firstA && firstB)
    {
        const CRecordView viewA = ViewRecord(a, chunkA, rendererA, shower);
        const CRecordView viewB = ViewRecord(b, chunkB, rendererB, shower);
        if (viewA.edited && viewB.edited && viewA.refusal.empty() && viewB.refusal.empty())
            CompareEntries(viewA, viewB, changes);
    }
    // Bytes that no place shows (or a record that does not load) still differ.
    if (changes.size() == before)
        changes.push_back(Changed("bytes", BytesParts(dataA), BytesParts(dataB)));
    return changes;
}

std::string PartsText(const std::vector<CEntryPart>& parts)
{
    std::string text;
    for (const CEntryPart& part : parts)
    {
        if (!text.empty())
            text += ", ";
        if (part.key != "value")
            text += part.key + ' ';
        text += part.text ? '"' + part.value + '"' : part.value;
    }
    return text;
}
}

CFileComparison CompareFiles(const CIffFile& a, const CPlainTextRenderer& rendererA, const CIffFile& b,
                             const CPlainTextRenderer& rendererB, const CTextShower& shower)
{
    CFileComparison comparison;
    const std::vector<CRank> ranksA = Ranks(a), ranksB = Ranks(b);
    std::map<CRank, std::size_t> positionInA;
    for (std::size_t i = 0; i < ranksA.size(); ++i)
        positionInA.emplace(ranksA[i], i);
    std::vector<bool> matched(ranksA.size(), false);
    for (std::size_t j = 0; j < ranksB.size(); ++j)
    {
        const CIffChunk& chunkB = b.Chunks()[j];
        if (std::get<2>(ranksB[j]) == kNotCompared)
            continue;
        const auto found = positionInA.find(ranksB[j]);
        if (found == positionInA.end())
        {
            comparison.added.push_back(KeyOf(chunkB));
            continue;
        }
        matched[found->second] = true;
        const CIffChunk& chunkA = a.Chunks()[found->second];
        std::vector<CEntryChange> changes =
            CompareRecords(a, chunkA, std::get<2>(ranksA[found->second]) == 0, rendererA, b, chunkB,
                           std::get<2>(ranksB[j]) == 0, rendererB, shower);
        if (!changes.empty())
            comparison.changed.push_back({KeyOf(chunkB), std::move(changes)});
    }
    for (std::size_t i = 0; i < ranksA.size(); ++i)
        if (!matched[i] && std::get<2>(ranksA[i]) != kNotCompared)
            comparison.removed.push_back(KeyOf(a.Chunks()[i]));
    return comparison;
}

std::string FormatEntryChange(const CEntryChange& change)
{
    if (change.place == "bytes")
        return "bytes differ";
    if (!change.before)
        return change.place + ": added: " + PartsText(change.now);
    if (!change.after)
        return change.place + ": removed: " + PartsText(change.old);
    std::string text = change.place + ':';
    bool first = true;
    for (const std::string& key : change.fields)
    {
        const auto valueOf = [&key](const std::vector<CEntryPart>& parts) {
            for (const CEntryPart& part : parts)
                if (part.key == key)
                    return part.text ? '"' + part.value + '"' : part.value;
            return std::string("(none)");
        };
        text += first ? " " : "; ";
        first = false;
        if (key != "value")
            text += key + ' ';
        text += valueOf(change.old) + " -> " + valueOf(change.now);
    }
    return text;
}
