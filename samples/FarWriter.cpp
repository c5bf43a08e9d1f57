#include "FarWriter.h"

#include "containers/ByteOrder.h"

#include <cstring>

void CFarWriter::Add(const std::string& name, std::vector<std::uint8_t> bytes)
{
    m_members.push_back({name, std::move(bytes), {}});
}

void CFarWriter::AddAlias(const std::string& name)
{
    if (!m_members.empty())
        m_members.back().aliases.push_back(name);
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
    std::size_t entries = 0;
    for (const CMember& member : m_members)
        entries += 1 + member.aliases.size();
    std::uint8_t number[4];
    WriteLE32(number, static_cast<std::uint32_t>(entries));
    archive.insert(archive.end(), number, number + 4);
    const auto addEntry = [&](const std::string& name, std::size_t length, std::uint32_t offset) {
        std::uint8_t entry[16];
        WriteLE32(entry, static_cast<std::uint32_t>(length));
        WriteLE32(entry + 4, static_cast<std::uint32_t>(length));
        WriteLE32(entry + 8, offset);
        WriteLE32(entry + 12, static_cast<std::uint32_t>(name.size()));
        archive.insert(archive.end(), entry, entry + 16);
        archive.insert(archive.end(), name.begin(), name.end());
    };
    for (std::size_t i = 0; i < m_members.size(); ++i)
    {
        addEntry(m_members[i].name, m_members[i].bytes.size(), offsets[i]);
        for (const std::string& alias : m_members[i].aliases)
            addEntry(alias, m_members[i].bytes.size(), offsets[i]);
    }
    return archive;
}
