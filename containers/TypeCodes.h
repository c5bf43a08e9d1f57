#pragma once

#include <cstdint>
#include <string>

/// A chunk type code: four ASCII characters held as the number whose big-endian bytes they are.
constexpr std::uint32_t MakeTypeCode(const char (&text)[5])
{
    return (std::uint32_t(std::uint8_t(text[0])) << 24) | (std::uint32_t(std::uint8_t(text[1])) << 16) |
           (std::uint32_t(std::uint8_t(text[2])) << 8) | std::uint32_t(std::uint8_t(text[3]));
}

constexpr std::uint32_t kTypeBhav = MakeTypeCode("BHAV");
constexpr std::uint32_t kTypeStr = MakeTypeCode("STR#");
constexpr std::uint32_t kTypeTtas = MakeTypeCode("TTAs");
constexpr std::uint32_t kTypeTtab = MakeTypeCode("TTAB");
constexpr std::uint32_t kTypeBcon = MakeTypeCode("BCON");
constexpr std::uint32_t kTypeGlob = MakeTypeCode("GLOB");
constexpr std::uint32_t kTypeObjd = MakeTypeCode("OBJD");
constexpr std::uint32_t kTypeObjf = MakeTypeCode("OBJf");
constexpr std::uint32_t kTypeRsmp = MakeTypeCode("rsmp");
constexpr std::uint32_t kTypeTree = MakeTypeCode("TREE");

/// The four characters of a type code, in reading order.
inline std::string TypeCodeText(std::uint32_t type)
{
    return std::string{char(type >> 24), char(type >> 16), char(type >> 8), char(type)};
}

/// The type code for four characters; false unless `text` has exactly four bytes.
inline bool ParseTypeCode(const std::string& text, std::uint32_t& type)
{
    if (text.size() != 4)
        return false;
    type = (std::uint32_t(std::uint8_t(text[0])) << 24) | (std::uint32_t(std::uint8_t(text[1])) << 16) |
           (std::uint32_t(std::uint8_t(text[2])) << 8) | std::uint32_t(std::uint8_t(text[3]));
    return true;
}
