#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// Builds a FAR archive in memory. The program itself only reads archives; the sample generator,
/// the tests and the fuzz seeds need to make them.
class CFarWriter
{
public:
    void Add(const std::string& name, std::vector<std::uint8_t> bytes);
    std::vector<std::uint8_t> Build() const;

private:
    struct CMember
    {
        std::string name;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<CMember> m_members;
};
