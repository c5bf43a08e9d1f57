#include "CodePage.h"

#include "containers/Windows1252.h"

#include <cstdint>
#include <cstdio>

namespace
{
// The longest byte sequence of one character in the code pages the game's languages use.
constexpr std::size_t kLongestSequence = 4;
constexpr std::string_view kReplacementMark = "\xEF\xBF\xBD";

// The length of the UTF-8 sequence that `lead` begins; 1 for a byte that begins none, so that
// walking malformed text still moves on.
std::size_t Utf8Length(std::uint8_t lead)
{
    if (lead >= 0xF0 && lead < 0xF8)
        return 4;
    if (lead >= 0xE0)
        return lead < 0xF0 ? 3 : 1;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

char32_t CodePoint(std::string_view character)
{
    const auto lead = static_cast<std::uint8_t>(character[0]);
    const std::size_t length = character.size();
    char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    for (std::size_t i = 1; i < length; ++i)
        c = (c << 6) | (static_cast<std::uint8_t>(character[i]) & 0x3F);
    return c;
}
}

bool IsValidUtf8(std::string_view text)
{
    for (std::size_t position = 0; position < text.size();)
    {
        const auto lead = static_cast<std::uint8_t>(text[position]);
        std::size_t length = 1;
        char32_t least = 0;
        if (lead >= 0xF0 && lead <= 0xF4)
            length = 4, least = 0x10000;
        else if (lead >= 0xE0 && lead <= 0xEF)
            length = 3, least = 0x800;
        else if (lead >= 0xC2 && lead <= 0xDF)
            length = 2, least = 0x80;
        else if (lead >= 0x80)
            return false;
        if (position + length > text.size())
            return false;
        for (std::size_t i = 1; i < length; ++i)
            if ((static_cast<std::uint8_t>(text[position + i]) & 0xC0) != 0x80)
                return false;
        const char32_t c = CodePoint(text.substr(position, length));
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        position += length;
    }
    return true;
}

bool CUtf8Converter::ToUtf8(std::string_view bytes, std::string& text) const
{
    text.clear();
    if (!IsValidUtf8(bytes))
        return false;
    text = bytes;
    return true;
}

bool CUtf8Converter::FromUtf8(std::string_view text, std::string& bytes) const
{
    return ToUtf8(text, bytes);
}

bool CWindows1252Converter::ToUtf8(std::string_view bytes, std::string& text) const
{
    text = Windows1252ToUtf8(std::string(bytes));
    return true;
}

bool CWindows1252Converter::FromUtf8(std::string_view text, std::string& bytes) const
{
    // The table is one to one, so a character that became '?' shows as a change on the way back.
    bytes = Utf8ToWindows1252(std::string(text));
    return Windows1252ToUtf8(bytes) == text;
}

std::string DecodeLeniently(const CCodePageConverter& converter, std::string_view bytes)
{
    std::string text;
    if (converter.ToUtf8(bytes, text))
        return text;
    text.clear();
    std::string piece;
    std::size_t position = 0;
    while (position < bytes.size())
    {
        std::size_t length = 1;
        for (; length <= kLongestSequence && position + length <= bytes.size(); ++length)
            if (converter.ToUtf8(bytes.substr(position, length), piece))
                break;
        if (length <= kLongestSequence && position + length <= bytes.size())
        {
            text += piece;
            position += length;
        }
        else
        {
            text += kReplacementMark;
            ++position;
        }
    }
    return text;
}

CEncodedText EncodeStrictly(const CCodePageConverter& converter, std::string_view text)
{
    CEncodedText result;
    if (converter.FromUtf8(text, result.bytes))
    {
        result.ok = true;
        return result;
    }
    result.bytes.clear();
    std::string piece;
    for (std::size_t position = 0; position < text.size();)
    {
        const std::size_t length = Utf8Length(static_cast<std::uint8_t>(text[position]));
        const std::string_view character = text.substr(position, length);
        if (!converter.FromUtf8(character, piece))
        {
            result.refused = std::string(character);
            return result;
        }
        position += length;
    }
    // Every character converts alone but the whole does not: name none rather than guess.
    return result;
}

std::string RefusedCharacterMessage(const std::string& character, const std::string& language,
                                    const std::string& codePage)
{
    if (character == kReplacementMark)
        return "The mark \"" + character + "\" stands for bytes that are not " + language + " text (" + codePage +
               ") and cannot be written back: replace it.";
    char number[16];
    const char32_t code = character.empty() ? U'?' : CodePoint(character);
    std::snprintf(number, sizeof number, "U+%04X", unsigned(code));
    return "The character \"" + character + "\" (" + number + ") cannot be written in " + language +
           ": its code page, " + codePage + ", has no such character.";
}
