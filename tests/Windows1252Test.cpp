#include "containers/Windows1252.h"

#include <gtest/gtest.h>

TEST(Windows1252, EveryByteSurvivesTheRoundTripThroughUtf8)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const std::string utf8 = Windows1252ToUtf8(all);
    EXPECT_EQ(Utf8ToWindows1252(utf8), all);
}

TEST(Windows1252, HighBytesFollowTheWhatwgTable)
{
    EXPECT_EQ(Windows1252ToUtf8("\x80"), "\xE2\x82\xAC");        // euro sign
    EXPECT_EQ(Windows1252ToUtf8("\x81"), "\xC2\x81");            // unassigned: the C1 control
    EXPECT_EQ(Windows1252ToUtf8("\x9F"), "\xC5\xB8");            // Y with diaeresis
    EXPECT_EQ(Windows1252ToUtf8("Caf\xE9"), "Caf\xC3\xA9");
    EXPECT_EQ(Windows1252ToUtf8("\x93" "Caf\xE9\x94 noir"), "\xE2\x80\x9C" "Caf\xC3\xA9\xE2\x80\x9D noir");
}

TEST(Windows1252, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(Utf8ToWindows1252("\xE4\xB8\xAD"), "?");           // a CJK character
    EXPECT_EQ(Utf8ToWindows1252("a\xF0\x9F\x98\x80" "b"), "a?b"); // outside the BMP
    EXPECT_EQ(Utf8ToWindows1252("\xC3"), "?");                   // cut-off sequence
    EXPECT_EQ(Utf8ToWindows1252("\xFF" "x"), "?x");              // not UTF-8 at all
}
