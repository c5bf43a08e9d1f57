#include "rendering/CodeTextRenderer.h"
#include "rendering/Opcodes.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// Expression operands with the given scopes and operator; the shown operand byte 4 is left 0.
std::string Expression(std::uint16_t left, std::uint8_t op, std::uint16_t right, std::uint8_t leftScope,
                       std::uint8_t rightScope)
{
    return FormatCodeInstruction(2, left, right, static_cast<std::uint16_t>(op << 8),
                                 static_cast<std::uint16_t>(leftScope | (rightScope << 8)));
}

}  // namespace

TEST(CodeText, NamedPrimitivesPrintFourHexParameters)
{
    EXPECT_EQ(FormatCodeInstruction(0, 1, 2, 3, 4), "Idle(0x0001, 0x0002, 0x0003, 0x0004);");
    EXPECT_EQ(FormatCodeInstruction(4, 1, 2, 3, 4), "Grab(0x0001, 0x0002, 0x0003, 0x0004);");
    EXPECT_EQ(FormatCodeInstruction(7, 0xFFFF, 0, 0xABCD, 0x10), "Update(0xFFFF, 0x0000, 0xABCD, 0x0010);");
    EXPECT_EQ(FormatCodeInstruction(24, 0, 0, 0, 0), "Old_Relationship(0x0000, 0x0000, 0x0000, 0x0000);");
    EXPECT_EQ(FormatCodeInstruction(26, 0, 0, 0, 0), "Relationship(0x0000, 0x0000, 0x0000, 0x0000);");
    EXPECT_EQ(FormatCodeInstruction(50, 0, 0, 0, 0), "Make_Action_String(0x0000, 0x0000, 0x0000, 0x0000);");
}

TEST(CodeText, UnusedOpcodesShareOneName)
{
    for (std::uint16_t opcode : {38, 39, 40})
        EXPECT_EQ(FormatCodeInstruction(opcode, 1, 2, 3, 4), "~UnUsed(0x0001, 0x0002, 0x0003, 0x0004);");
}

TEST(CodeText, EveryOpcodeBelow51HasANameOrAFormOfItsOwn)
{
    for (std::uint16_t opcode = 0; opcode < 51; ++opcode)
    {
        const std::string text = FormatCodeInstruction(opcode, 0, 0, 0, 0);
        EXPECT_NE(text.substr(0, 2), "0x") << "opcode " << opcode;
        EXPECT_NE(text.front(), '(') << "opcode " << opcode;
    }
}

TEST(CodeText, OpcodesFrom51PrintAsNumbersEvenForScriptCalls)
{
    EXPECT_EQ(FormatCodeInstruction(51, 1, 2, 3, 4), "0x0033(0x0001, 0x0002, 0x0003, 0x0004);");
    EXPECT_EQ(FormatCodeInstruction(4097, 1, 2, 3, 4), "0x1001(0x0001, 0x0002, 0x0003, 0x0004);");
    EXPECT_EQ(FormatCodeInstruction(65535, 0, 0, 0, 0), "0xFFFF(0x0000, 0x0000, 0x0000, 0x0000);");
}

TEST(CodeText, GenericSimCallNamesTheCallChosenByP0)
{
    EXPECT_EQ(FormatCodeInstruction(1, 16, 1, 2, 3), "GenericSimCall(GSC_CHANGE_NORMAL_OUTFIT, 0x0001, 0x0002, 0x0003);");
    EXPECT_EQ(FormatCodeInstruction(1, 17, 0, 0, 0), "GenericSimCall(GSC_UNKNOWN, 0x0000, 0x0000, 0x0000);");
    EXPECT_EQ(FormatCodeInstruction(1, 0, 0, 0, 0),
              "GenericSimCall(GSC_HOUSE_TUTORIAL_COMPLETE, 0x0000, 0x0000, 0x0000);");
    EXPECT_EQ(GenericSimCallName(EInstructionText::Code, 5), "GSC_COMBINE_ASSEST_WITH_FAMILY_TEMP_0");
    EXPECT_EQ(GenericSimCallName(EInstructionText::Code, 13), "GSC_ABORT_INTERACTIONS_WITH_STACKOBJ");
    EXPECT_EQ(GenericSimCallName(EInstructionText::Code, 65535), "GSC_UNKNOWN");
}

TEST(CodeText, ExpressionJoinsOperandsAndOperatorWithoutSemicolon)
{
    EXPECT_EQ(FormatCodeInstruction(2, 0, 5, 0x0300, 0x0708), "Temp[0x0000] += 0x0005");
    EXPECT_EQ(Expression(3, 5, 1, 8, 7), "Temp[0x0003] = 0x0001");
    EXPECT_EQ(Expression(67, 2, 2, 3, 9), "My->slot_count == StackParam[0x0002]");
    // Operand byte 4 is not part of the text.
    EXPECT_EQ(FormatCodeInstruction(2, 0, 5, 0x03FF, 0x0708), "Temp[0x0000] += 0x0005");
}

TEST(CodeText, ExpressionOperatorsByByteFive)
{
    const char* const operators[] = {" > ",      " < ",       " == ",      " += ",      " -= ",
                                     " = ",      " *= ",      " /= ",      " FlagSet? ", " SetFlag ",
                                     " ClrFlag ", " ++ and < ", " mod= ",    " &= ",      " >= ",
                                     " <= ",     " != ",      " -- and > "};
    for (std::uint8_t op = 0; op < 18; ++op)
        EXPECT_EQ(Expression(1, op, 2, 7, 7), std::string("0x0001") + operators[op] + "0x0002") << "byte " << int(op);
    EXPECT_EQ(Expression(1, 18, 2, 7, 7), "0x0001 # 0x0002");
    EXPECT_EQ(Expression(1, 255, 2, 7, 7), "0x0001 # 0x0002");
}

TEST(CodeText, AlterBudgetNamesOperationAndType)
{
    EXPECT_EQ(FormatCodeInstruction(25, 0x0712, 100, 2, 6), "Budget of 0x12[0]: (0x0064, BUDGET_ADD, PURCHASE);");
    EXPECT_EQ(FormatCodeInstruction(25, 0x0800, 3, 1, 5),
              "Budget of 0x00[0]: (Temp[0x0003], BUDGET_SUBSTRACT | BUDGET_TEST, MAINTENANCE_EXPENSE);");
    EXPECT_EQ(FormatCodeInstruction(25, 0x2AFF, 0, 4, 8), "Budget of 0xFF[0]: (0x2A[0x0000], BUDGET_UNKNOWN, UNKNOWN_TYPE);");
}

TEST(CodeText, BudgetTablesFallBackPastTheirLastRow)
{
    EXPECT_EQ(BudgetOperationName(0), "BUDGET_SUBSTRACT");
    EXPECT_EQ(BudgetOperationName(3), "BUDGET_ADD | BUDGET_TEST");
    EXPECT_EQ(BudgetOperationName(4), "BUDGET_UNKNOWN");
    EXPECT_EQ(BudgetTypeName(0), "MISC_EXPENSE");
    EXPECT_EQ(BudgetTypeName(7), "ARCHITECTURE");
    EXPECT_EQ(BudgetTypeName(8), "UNKNOWN_TYPE");
    EXPECT_EQ(BudgetTypeName(0x8000), "UNKNOWN_TYPE");
}

TEST(TargetText, LinesCountFromOneAndExitsReturn)
{
    EXPECT_EQ(FormatTargetText(0), "goto line 1");
    EXPECT_EQ(FormatTargetText(41), "goto line 42");
    EXPECT_EQ(FormatTargetText(252), "goto line 253");
    EXPECT_EQ(FormatTargetText(253), "return ERROR");
    EXPECT_EQ(FormatTargetText(254), "return TRUE");
    EXPECT_EQ(FormatTargetText(255), "return FALSE");
}
