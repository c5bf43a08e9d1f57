#include "Windows1252.h"

#include <cstdint>

namespace
{
// Code points of bytes 0x80 to 0x9F; the rest of the code page is Latin-1.
constexpr char32_t kHighTable[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80)
        out += char(c);
    else if (c < 0x800)
    {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    }
    else
    {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

char EncodeCodePoint(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i)
        if (kHighTable[i] == c)
            return char(0x80 + i);
    return '?';
}
}

std::string Windows1252ToUtf8(const std::string& bytes)
{
    // Game text is nearly all ASCII: runs of it are taken whole, and a name without any other byte
    // is one copy (every script name of the global files goes through here when listed).
    std::string out;
    out.reserve(bytes.size());
    std::size_t run = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
    {
        const auto b = static_cast<std::uint8_t>(bytes[i]);
        if (b < 0x80)
            continue;
        out.append(bytes, run, i - run);
        run = i + 1;
        if (b < 0xA0)
            AppendUtf8(out, kHighTable[b - 0x80]);
        else
            AppendUtf8(out, b);
    }
    out.append(bytes, run, bytes.size() - run);
    return out;
}

std::string Utf8ToWindows1252(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size())
    {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        int length = 0;
        char32_t c = 0;
        if (lead < 0x80)
        {
            length = 1;
            c = lead;
        }
        else if ((lead & 0xE0) == 0xC0)
        {
            length = 2;
            c = lead & 0x1F;
        }
        else if ((lead & 0xF0) == 0xE0)
        {
            length = 3;
            c = lead & 0x0F;
        }
        else if ((lead & 0xF8) == 0xF0)
        {
            length = 4;
            c = lead & 0x07;
        }
        bool valid = length > 0 && i + length <= text.size();
        for (int k = 1; valid && k < length; ++k)
        {
            const auto next = static_cast<std::uint8_t>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                valid = false;
            else
                c = (c << 6) | (next & 0x3F);
        }
        if (!valid)
        {
            out += '?';
            ++i;
            continue;
        }
        out += EncodeCodePoint(c);
        i += length;
    }
    return out;
}
