#include "ChunkSnapshot.h"

#include "IffFile.h"

CChunkSnapshot TakeChunkSnapshot(const CIffFile& container, std::uint32_t type, std::uint16_t id)
{
    CChunkSnapshot snapshot;
    snapshot.type = type;
    snapshot.id = id;
    CIffChunk chunk;
    chunk.type = type;
    chunk.id = id;
    if (!container.FindChunk(chunk))
        return snapshot;
    snapshot.present = true;
    snapshot.flags = chunk.flags;
    snapshot.name = chunk.name;
    const auto data = container.ChunkData(chunk);
    snapshot.data.assign(data.begin(), data.end());
    return snapshot;
}

bool RestoreChunkSnapshot(CIffFile& container, const CChunkSnapshot& snapshot)
{
    CIffChunk chunk;
    chunk.type = snapshot.type;
    chunk.id = snapshot.id;
    if (!snapshot.present)
    {
        if (container.FindChunk(chunk))
            container.RemoveChunk(chunk);
        return true;
    }
    chunk.flags = snapshot.flags;
    chunk.name = snapshot.name;
    return container.PutChunk(chunk, snapshot.data);
}

bool RestoreChunkSnapshots(CIffFile& container, const std::vector<CChunkSnapshot>& snapshots)
{
    bool restored = true;
    for (const bool present : {false, true})
        for (const CChunkSnapshot& snapshot : snapshots)
            if (snapshot.present == present)
                restored = RestoreChunkSnapshot(container, snapshot) && restored;
    return restored;
}
