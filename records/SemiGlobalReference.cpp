#include "SemiGlobalReference.h"

#include "containers/IffFile.h"
#include "containers/TypeCodes.h"

#include <algorithm>
#include <vector>

namespace
{
constexpr std::size_t kMaxStoredLength = 255;
// Chunks of this id hold a fixed 256-byte field, the unused part filled with 0xA3.
constexpr std::uint16_t kFixedFieldId = 128;
constexpr std::size_t kFixedFieldSize = 256;
constexpr std::uint8_t kFiller = 0xA3;

constexpr std::uint16_t kNewChunkId = 1;
constexpr std::uint16_t kNewChunkFlags = 0x0010;
constexpr const char* kNewChunkName = "semi global file";
}

std::string DecodeSemiGlobalName(std::span<const std::uint8_t> data)
{
    if (data.empty())
        return {};
    // Two forms exist: a length byte followed by the characters, and a NUL-terminated name.
    // Semi-global file names begin with a letter or digit, so a first byte below '0' is a length;
    // bytes from 0x80 count as below it, as the signed comparison the files were written for had it.
    if (std::int8_t(data[0]) < 0x30)
    {
        const std::size_t length = std::min<std::size_t>(data[0], data.size() - 1);
        return std::string(data.begin() + 1, data.begin() + 1 + std::ptrdiff_t(length));
    }
    const auto nul = std::find(data.begin(), data.end(), std::uint8_t(0));
    return std::string(data.begin(), nul);
}

std::string ReadSemiGlobalName(const CIffFile& container)
{
    std::size_t position = container.FindFirstOfType(kTypeGlob);
    if (position == CIffFile::kNoPosition)
        return {};
    const CIffChunk chunk = container.NextOfType(position);
    return DecodeSemiGlobalName(container.ChunkData(chunk));
}

bool StoreSemiGlobalName(CIffFile& container, const std::string& name, const std::string& nameAsRead)
{
    std::size_t position = container.FindFirstOfType(kTypeGlob);
    const bool exists = position != CIffFile::kNoPosition;
    CIffChunk entry;
    if (exists)
        entry = container.NextOfType(position);

    // An unchanged name keeps its chunk exactly: rewriting would turn a NUL-terminated name into
    // the length-prefixed form, or drop a filler, for no edit of the user's.
    if (exists && name == nameAsRead)
        return true;

    if (name.empty())
    {
        if (exists)
            container.RemoveChunk(entry);
        return true;
    }

    const std::size_t length = std::min(name.size(), kMaxStoredLength);
    std::vector<std::uint8_t> data;
    data.push_back(std::uint8_t(length));
    data.insert(data.end(), name.begin(), name.begin() + std::ptrdiff_t(length));
    if (exists && entry.id == kFixedFieldId)
        data.resize(kFixedFieldSize, kFiller);

    if (!exists)
    {
        entry = CIffChunk{};
        entry.type = kTypeGlob;
        entry.id = kNewChunkId;
        entry.flags = kNewChunkFlags;
        entry.name = kNewChunkName;
    }
    return container.PutChunk(entry, data);
}
