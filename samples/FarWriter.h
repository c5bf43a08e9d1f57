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
    /// A further directory entry, named `name`, for the bytes of the member added last: archives
    /// may list one member's bytes under many names.
    void AddAlias(const std::string& name);
    std::vector<std::uint8_t> Build() const;

private:
    struct CMember
    {
        std::string name;
        std::vector<std::uint8_t> bytes;
        std::vector<std::string> aliases;
    };
    std::vector<CMember> m_members;
};
