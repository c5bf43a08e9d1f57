#pragma once

#include <algorithm>
#include <string>
#include <string_view>

// Names in the game's files and words on the command line are compared without regard to case,
// for ASCII letters only: the result must not depend on the locale the program runs under, and
// windows-1252 bytes above 0x7F are no letters to fold.

inline char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string UpperAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return UpperAscii(c); });
    return text;
}

inline bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
}
