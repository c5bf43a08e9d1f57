#include "containers/NumberText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

TEST(NumberText, ReadsEachFormAndRefusesWhatLiesOutsideTheRange)
{
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr ENumberText kOk = ENumberText::Ok;
    constexpr ENumberText kNaN = ENumberText::NotANumber;
    constexpr ENumberText kRange = ENumberText::OutOfRange;
    struct Row
    {
        const char* text;
        ENumberForm form;
        std::int64_t min, max;
        ENumberText result;
        std::int64_t value;
    };
    const Row rows[] = {
        {" \t-12\t", ENumberForm::Decimal, -100, 100, kOk, -12},
        {"+5", ENumberForm::Decimal, -100, 100, kOk, 5},
        {"-0", ENumberForm::Decimal, 0, 100, kOk, 0},
        {"-32768", ENumberForm::Decimal, -32768, 32767, kOk, -32768},
        {"32768", ENumberForm::Decimal, -32768, 32767, kRange, 0},
        {"0x10", ENumberForm::Decimal, 0, 100, kNaN, 0},
        {"1 2", ENumberForm::Decimal, 0, 100, kNaN, 0},
        {"", ENumberForm::Decimal, 0, 100, kNaN, 0},
        {"-", ENumberForm::Decimal, -1, 100, kNaN, 0},
        {"9223372036854775807", ENumberForm::Decimal, kMin, kMax, kOk, kMax},
        {"-9223372036854775808", ENumberForm::Decimal, kMin, kMax, kOk, kMin},
        {"9223372036854775808", ENumberForm::Decimal, kMin, kMax, kRange, 0},
        {"99999999999999999999999999", ENumberForm::Decimal, kMin, kMax, kRange, 0},
        {"-0", ENumberForm::Unsigned, 0, 100, kNaN, 0},
        {"+7", ENumberForm::Unsigned, 0, 100, kOk, 7},
        {"0x1F", ENumberForm::DecimalOrHex, 0, 0xFFFF, kOk, 0x1F},
        {"-0x10", ENumberForm::DecimalOrHex, -100, 100, kOk, -16},
        {"0x10000", ENumberForm::DecimalOrHex, 0, 0xFFFF, kRange, 0},
        {"0x", ENumberForm::DecimalOrHex, 0, 0xFFFF, kNaN, 0},
        {"0xG", ENumberForm::DecimalOrHex, 0, 0xFFFF, kNaN, 0},
        {"12zz", ENumberForm::LeadingHex, 0, 0xFFFF, kOk, 0x12},
        {"0x", ENumberForm::LeadingHex, 0, 0xFFFF, kOk, 0},
        {"123456", ENumberForm::LeadingHex, 0, 0xFFFF, kRange, 0},
        {"-1", ENumberForm::LeadingHex, 0, 0xFFFF, kNaN, 0},
    };
    for (const Row& row : rows)
    {
        const CResult<std::int64_t, ENumberText> number = ParseInteger(row.text, row.min, row.max, row.form);
        SCOPED_TRACE(std::string("'") + row.text + "' form " + std::to_string(int(row.form)));
        if (row.result == kOk)
        {
            ASSERT_TRUE(number);
            EXPECT_EQ(*number, row.value);
        }
        else
        {
            ASSERT_FALSE(number);
            EXPECT_EQ(number.Failure().what, row.result);
        }
    }
}
