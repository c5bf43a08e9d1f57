#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CIffFile;

/// The state of one chunk (type and id) at a moment: present or not, and if present its flags,
/// name and data. Restoring puts exactly those bytes back, so an undo gives back the chunk as it
/// was, byte for byte.
struct CChunkSnapshot
{
    std::uint32_t type = 0;
    std::uint16_t id = 0;
    bool present = false;
    std::uint16_t flags = 0;
    std::string name;
    std::vector<std::uint8_t> data;

    bool operator==(const CChunkSnapshot&) const = default;
};

/// The first chunk of the type and id as it stands.
CChunkSnapshot TakeChunkSnapshot(const CIffFile& container, std::uint32_t type, std::uint16_t id);
/// Puts the chunk back as the snapshot holds it (removing it when it was absent). False when the
/// container could not take the data.
[[nodiscard]] bool RestoreChunkSnapshot(CIffFile& container, const CChunkSnapshot& snapshot);

/// Puts back every chunk of `snapshots`, those absent before those present, so that a record moved
/// to another id never stands under both ids at once. False when the container could not take one.
[[nodiscard]] bool RestoreChunkSnapshots(CIffFile& container, const std::vector<CChunkSnapshot>& snapshots);
