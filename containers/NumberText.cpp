#include "NumberText.h"

#include <limits>

namespace
{
bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

int DigitValue(char c, int base)
{
    int value = 99;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

bool StartsWithHexPrefix(std::string_view text)
{
    return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}
}

CResult<std::int64_t, ENumberText> ParseInteger(std::string_view text, std::int64_t min, std::int64_t max,
                                                ENumberForm form)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);

    bool negative = false;
    if (form != ENumberForm::LeadingHex && !text.empty() && (text[0] == '+' || text[0] == '-'))
    {
        negative = text[0] == '-';
        if (negative && form == ENumberForm::Unsigned)
            return Fail(ENumberText::NotANumber);
        text.remove_prefix(1);
    }
    int base = 10;
    if (form == ENumberForm::LeadingHex)
    {
        base = 16;
        // "0x" counts only before a digit: in "0x" alone the 0 is the number and the x ends it.
        if (StartsWithHexPrefix(text) && text.size() > 2 && DigitValue(text[2], base) >= 0)
            text.remove_prefix(2);
    }
    else if (form == ENumberForm::DecimalOrHex && StartsWithHexPrefix(text))
    {
        base = 16;
        text.remove_prefix(2);
    }

    // The magnitude saturates past what any range can hold, so that a long number is out of
    // range, not wrapped.
    constexpr std::uint64_t kCeiling = std::uint64_t(std::numeric_limits<std::int64_t>::max()) + 1;
    std::uint64_t magnitude = 0;
    std::size_t digits = 0;
    for (; digits < text.size(); ++digits)
    {
        const int digit = DigitValue(text[digits], base);
        if (digit < 0)
        {
            if (form == ENumberForm::LeadingHex)
                break;
            return Fail(ENumberText::NotANumber);
        }
        magnitude = magnitude > (kCeiling - std::uint64_t(digit)) / std::uint64_t(base)
                        ? kCeiling + 1
                        : magnitude * std::uint64_t(base) + std::uint64_t(digit);
    }
    if (digits == 0)
        return Fail(ENumberText::NotANumber);

    const bool fits = negative ? magnitude <= kCeiling : magnitude < kCeiling;
    if (!fits)
        return Fail(ENumberText::OutOfRange);
    const std::int64_t value = negative ? std::int64_t(0 - magnitude) : std::int64_t(magnitude);
    if (value < min || value > max)
        return Fail(ENumberText::OutOfRange);
    return value;
}
