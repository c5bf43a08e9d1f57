#pragma once

#include "containers/ByteOrder.h"
#include "containers/ByteStream.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "rendering/NeededFiles.h"

#include <algorithm>
#include <string>
#include <vector>

/// The names of the needed files in load order, as strings to compare with a list.
inline std::vector<std::string> ListedNames(const CNeededFiles& files)
{
    std::vector<std::string> names;
    for (const std::string_view name : files.Names())
        names.emplace_back(name);
    return names;
}

/// Adds to the needed files a file of empty scripts with these ids and names, in this order and
/// repeated ids included, so that the index names them as it would a loaded file's.
inline void AddIndexedFile(CNeededFiles& files, const std::string& fileName,
                           const std::vector<CScriptNameEntry>& scripts)
{
    // Built as bytes and read: a container put together chunk by chunk keeps one chunk per id.
    std::vector<std::uint8_t> image(CIffFile::kHeaderSize, 0);
    const std::string magic = "IFF FILE 2.5:TYPE FOLLOWED BY SIZE";
    std::copy(magic.begin(), magic.end(), image.begin());
    for (const CScriptNameEntry& script : scripts)
    {
        std::vector<std::uint8_t> header(CIffFile::kChunkHeaderSize, 0);
        WriteBE32(&header[0], kTypeBhav);
        WriteBE32(&header[4], std::uint32_t(CIffFile::kChunkHeaderSize));
        WriteBE16(&header[8], script.id);
        std::copy_n(script.name.begin(), std::min<std::size_t>(script.name.size(), 63), header.begin() + 12);
        image.insert(image.end(), header.begin(), header.end());
    }
    CMemoryStream stream(image);
    CIffFile container;
    EIffRead code = EIffRead::Ok;
    // The image above always reads; were it ever refused, no file would stand in for it.
    if (container.Read(&stream, code))
        files.Add(std::move(container), fileName);
}
