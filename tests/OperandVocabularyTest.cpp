#include "rendering/OperandVocabulary.h"
#include "rendering/PlainTextRenderer.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

std::string Plain(std::uint8_t scope, std::uint16_t data)
{
    return CPlainTextRenderer::DescribeOperand(scope, data);
}

std::string Hex4(std::uint16_t value)
{
    std::string text;
    AppendHex4(text, value);
    return text;
}

std::string Signed(std::uint16_t value)
{
    std::string text;
    AppendSignedDecimal(text, value);
    return text;
}

}  // namespace

TEST(NumberForms, HexIsFourUpperCaseDigits)
{
    EXPECT_EQ(Hex4(0), "0000");
    EXPECT_EQ(Hex4(0x00AB), "00AB");
    EXPECT_EQ(Hex4(0xFFFF), "FFFF");
    std::string two;
    AppendHex2(two, 0x0C);
    EXPECT_EQ(two, "0C");
}

TEST(NumberForms, DecimalReadsTheValueAsSigned16Bit)
{
    EXPECT_EQ(Signed(0), "0");
    EXPECT_EQ(Signed(32767), "32767");
    EXPECT_EQ(Signed(32768), "-32768");
    EXPECT_EQ(Signed(65535), "-1");
}

TEST(OperandVocabulary, LiteralScopeIsHexInCodeAndSignedDecimalInPlain)
{
    EXPECT_EQ(FormatCodeOperand(7, 65535), "0xFFFF");
    EXPECT_EQ(Plain(7, 65535), "-1");
    EXPECT_EQ(Plain(7, 12), "12");
}

TEST(OperandVocabulary, StackObjectIdMarksNonZeroDataInvalidInCodeOnly)
{
    EXPECT_EQ(FormatCodeOperand(10, 0), "Stackobj-ID");
    EXPECT_EQ(FormatCodeOperand(10, 1), "Stackobj-ID[Invalid]!");
    EXPECT_EQ(Plain(10, 0), "Stack Object ID 0");
    EXPECT_EQ(Plain(10, 1), "Stack Object ID 1");
}

TEST(OperandVocabulary, ObjectDataEndsAtSlotCountThenFallsBack)
{
    EXPECT_EQ(FormatCodeOperand(3, 67), "My->slot_count");
    EXPECT_EQ(Plain(3, 67), "My slot count");
    EXPECT_EQ(FormatCodeOperand(3, 68), "My->unknown");
    EXPECT_EQ(Plain(3, 68), "My unknown");
    EXPECT_EQ(FormatCodeOperand(4, 0), "Stackobj->graphic");
    EXPECT_EQ(Plain(4, 0), "Stack Object's graphic");
    EXPECT_EQ(FormatCodeOperand(5, 51), "Targetobj->lighting_contribution_(0..100)");
    EXPECT_EQ(Plain(5, 51), "targ obj's (DO NOT USE) lighting contribution (0..100)");
}

TEST(OperandVocabulary, CodeObjectDataIsPlainWithUnderscoresExceptTwoRows)
{
    for (std::uint16_t i = 0; i < 68; ++i)
    {
        if (i == 14 || i == 40)
            continue;
        std::string expected(ObjectDataLabel(i));
        for (char& c : expected)
            if (c == ' ')
                c = '_';
        EXPECT_EQ(CodeObjectDataLabel(i), expected) << "row " << i;
    }
    EXPECT_EQ(ObjectDataLabel(14), "slot hier number");
    EXPECT_EQ(CodeObjectDataLabel(14), "slot_hier number");
    EXPECT_EQ(ObjectDataLabel(40), "flag field 2");
    EXPECT_EQ(CodeObjectDataLabel(40), "flag_field 2");
}

TEST(OperandVocabulary, PersonDataFormsDifferAndFallBackInTheirOwnCase)
{
    EXPECT_EQ(FormatCodeOperand(18, 75), "My_PersonData->Unknown");
    EXPECT_EQ(Plain(18, 75), "my person data unknown");
    EXPECT_EQ(FormatCodeOperand(18, 14), "My_PersonData->s_music(old)");
    EXPECT_EQ(Plain(18, 14), "my person data Unused");
    EXPECT_EQ(FormatCodeOperand(19, 74), "Stackobj_PersonData->Render_Display_Flags");
    EXPECT_EQ(Plain(19, 74), "stack obj's person data Render Display Flags");
    EXPECT_EQ(Plain(32, 1), "neighbor's person data Money Amount over Head");
    EXPECT_EQ(CodePersonDataLabel(13), "s_gardening(old)");
    EXPECT_EQ(PersonDataLabel(13), "Unused (Network ID in Online)");
    EXPECT_EQ(CodePersonDataLabel(54), "Old_Conv_Topic");
    EXPECT_EQ(PersonDataLabel(55), "Unused & Do NOT Use");
    EXPECT_EQ(PersonDataLabel(49), "i: 60's / School");
    EXPECT_EQ(CodePersonDataLabel(71), "non-interruptible");
}

TEST(OperandVocabulary, GlobalsRunFurtherInPlainThanInCode)
{
    EXPECT_EQ(FormatCodeOperand(6, 27), "Global->Unknown");
    EXPECT_EQ(Plain(6, 27), "Global Indoor Tiles");
    EXPECT_EQ(FormatCodeOperand(6, 26), "Global->Is_Tutorial_House");
    EXPECT_EQ(Plain(6, 26), "Global Is Tutorial House (No/Yes)");
    EXPECT_EQ(FormatCodeOperand(6, 2), "Global->Zoom_Level(S/M/L)");
    EXPECT_EQ(Plain(6, 31), "Global House radio station");
    EXPECT_EQ(Plain(6, 32), "Global unknown");
    EXPECT_EQ(CodeGlobalLabel(65535), "Unknown");
}

TEST(OperandVocabulary, MotivesNameThePlainFormButNotTheCodeForm)
{
    EXPECT_EQ(FormatCodeOperand(14, 16), "My_Motives[0x0010]");
    EXPECT_EQ(Plain(14, 16), "my motives unknown");
    EXPECT_EQ(Plain(14, 15), "my motives Fun");
    EXPECT_EQ(Plain(15, 11), "stack obj's motives Sleep state");
    EXPECT_EQ(FormatCodeOperand(15, 11), "Stackobj_Motives[0x000B]");
}

TEST(OperandVocabulary, ObjectDefinitionFallbackIsEmptyAndKeepsTheBlank)
{
    EXPECT_EQ(Plain(21, 94), "stack object's definition ");
    EXPECT_EQ(Plain(21, 93), "stack object's definition type attr guid 2");
    EXPECT_EQ(Plain(21, 0), "stack object's definition version_1");
    EXPECT_EQ(ObjectDefinitionLabel(82), "ratingHunger");
}

TEST(OperandVocabulary, JobAndNeighborhoodDataFallBackToLowerCaseUnknown)
{
    EXPECT_EQ(Plain(33, 22), "job data [temp 0,1] has suit");
    EXPECT_EQ(Plain(33, 23), "job data [temp 0,1] unknown");
    EXPECT_EQ(Plain(33, 14), "job data [temp 0,1] hourly delta - hunger");
    EXPECT_EQ(Plain(34, 3), "neighborhood data hide arrow");
    EXPECT_EQ(Plain(34, 4), "neighborhood data unknown");
}

TEST(OperandVocabulary, ConstantValueSplitsTheDataIntoTableAndEntry)
{
    EXPECT_EQ(Plain(26, 300), "Constant Value 4098:44");
    EXPECT_EQ(Plain(26, 65535), "Constant Value 4607:127");
    EXPECT_EQ(Plain(26, 0), "Constant Value 4096:0");
    EXPECT_EQ(FormatCodeOperand(26, 300), "0x1A[0x012C]");
}

TEST(OperandVocabulary, ScopesAboveTheTablesPrintRawNumbers)
{
    EXPECT_EQ(FormatCodeOperand(20, 5), "0x14[0x0005]");
    EXPECT_EQ(Plain(20, 5), "my slot 5");
    EXPECT_EQ(FormatCodeOperand(255, 2), "0xFF[0x0002]");
    EXPECT_EQ(Plain(255, 2), "255->2");
    EXPECT_EQ(Plain(40, 65535), "40->-1");
    EXPECT_EQ(Plain(38, 0), "38->0");
    EXPECT_EQ(Plain(37, 65535), "stack obj's type attr -1");
    EXPECT_EQ(FormatCodeOperand(19, 0), "Stackobj_PersonData->idle_state");
}

TEST(OperandVocabulary, TempIndexedScopesOpenWithParenthesisAndCloseWithBracket)
{
    EXPECT_EQ(FormatCodeOperand(11, 0x1F), "Temp[temp](001F]");
    EXPECT_EQ(FormatCodeOperand(17, 2), "Stackobj_Motive[temp](0002]");
    EXPECT_EQ(Plain(11, 3), "Temporary Storage[temp] 3");
    EXPECT_EQ(Plain(17, 3), "stack obj's motive[temp] 3");
}

TEST(OperandVocabulary, DecimalScopesPrintTheirPrefixAndSignedData)
{
    EXPECT_EQ(Plain(0, 2), "My Attribute 2");
    EXPECT_EQ(FormatCodeOperand(0, 2), "MyAttr->Attr0002");
    EXPECT_EQ(Plain(2, 65534), "targ obj attr (DO NOT USE) -2");
    EXPECT_EQ(FormatCodeOperand(2, 0xBEEF), "TargetobjAttr->AttrBEEF");
    EXPECT_EQ(Plain(9, 1), "Parameter 1");
    EXPECT_EQ(FormatCodeOperand(9, 1), "StackParam[0x0001]");
    EXPECT_EQ(Plain(25, 4), "Local Variable 4");
    EXPECT_EQ(Plain(27, 4), "Dynamic Sprite Flag[temp] of Stack Object 4");
    EXPECT_EQ(Plain(31, 4), "stack obj's person data [temp] 4");
}
