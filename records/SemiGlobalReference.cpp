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

// Length bytes from '0' to 0x7F read back as the first character of a NUL-terminated name.
constexpr std::size_t kFirstCharacterLength = 0x30;
constexpr std::size_t kLastCharacterLength = 0x7F;

constexpr std::uint16_t kNewChunkId = 1;
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

namespace
{
bool NeedsTerminatedForm(std::size_t length)
{
    return length >= kFirstCharacterLength && length <= kLastCharacterLength;
}
}

std::string SemiGlobalNameProblem(const std::string& name)
{
    const std::size_t length = std::min(name.size(), kMaxStoredLength);
    if (!NeedsTerminatedForm(length))
        return {};
    const std::uint8_t first = std::uint8_t(name[0]);
    if (first < kFirstCharacterLength || first > kLastCharacterLength)
        return "A semi-global name of 48 to 127 characters must begin with a digit, a letter or another "
               "character from \"0\" to \"~\".";
    if (name.find('\0', 0) < length)
        return "A semi-global name cannot hold a NUL character.";
    return {};
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

    if (!SemiGlobalNameProblem(name).empty())
        return false;
    const std::size_t length = std::min(name.size(), kMaxStoredLength);
    std::vector<std::uint8_t> data;
    if (NeedsTerminatedForm(length))
    {
        data.insert(data.end(), name.begin(), name.begin() + std::ptrdiff_t(length));
        data.push_back(0);
    }
    else
    {
        data.push_back(std::uint8_t(length));
        data.insert(data.end(), name.begin(), name.begin() + std::ptrdiff_t(length));
    }
    if (exists && entry.id == kFixedFieldId)
        data.resize(kFixedFieldSize, kFiller);

    if (!exists)
    {
        entry = CIffChunk{};
        entry.type = kTypeGlob;
        entry.id = kNewChunkId;
        entry.flags = kStoredChunkFlags;
        entry.name = kNewChunkName;
    }
    return container.PutChunk(entry, data);
}
