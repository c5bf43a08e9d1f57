#include "FarWriter.h"

#include "containers/ByteOrder.h"

#include <cstring>

void CFarWriter::Add(const std::string& name, std::vector<std::uint8_t> bytes)
{
    m_members.push_back({name, std::move(bytes)});
}

std::vector<std::uint8_t> CFarWriter::Build() const
{
    // Header, the members one after another, then the directory at the end.
    std::vector<std::uint8_t> archive(16, 0);
    std::memcpy(archive.data(), "FAR!byAZ", 8);
    WriteLE32(archive.data() + 8, 1);
    std::vector<std::uint32_t> offsets;
    for (const CMember& member : m_members)
    {
        offsets.push_back(static_cast<std::uint32_t>(archive.size()));
        archive.insert(archive.end(), member.bytes.begin(), member.bytes.end());
    }
    const auto directory = static_cast<std::uint32_t>(archive.size());
    WriteLE32(archive.data() + 12, directory);
    std::uint8_t number[4];
    WriteLE32(number, static_cast<std::uint32_t>(m_members.size()));
    archive.insert(archive.end(), number, number + 4);
    for (std::size_t i = 0; i < m_members.size(); ++i)
    {
        std::uint8_t entry[16];
        const auto length = static_cast<std::uint32_t>(m_members[i].bytes.size());
        WriteLE32(entry, length);
        WriteLE32(entry + 4, length);
        WriteLE32(entry + 8, offsets[i]);
        WriteLE32(entry + 12, static_cast<std::uint32_t>(m_members[i].name.size()));
        archive.insert(archive.end(), entry, entry + 16);
        archive.insert(archive.end(), m_members[i].name.begin(), m_members[i].name.end());
    }
    return archive;
}
