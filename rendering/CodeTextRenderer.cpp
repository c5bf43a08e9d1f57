#include "CodeTextRenderer.h"

#include "OperandVocabulary.h"
#include "records/BhavInstruction.h"

#include <iterator>

namespace
{

constexpr std::uint16_t kOpGenericSimCall = 1;
constexpr std::uint16_t kOpExpression = 2;
constexpr std::uint16_t kOpAlterBudget = 25;
// Opcodes from here on, calls to other scripts included, print as bare numbers.
constexpr std::uint16_t kFirstUnnamedOpcode = 51;

// Rows 1, 2 and 25 stay empty: those primitives have forms of their own.
constexpr std::string_view kCodePrimitiveNames[] = {
    "Idle",  // 0
    "",  // 1
    "",  // 2
    "Find_Best_Action",  // 3
    "Grab",  // 4
    "Drop",  // 5
    "Change_suit_accessory",  // 6
    "Update",  // 7
    "Random",  // 8
    "Burn",  // 9
    "Tutorial",  // 10
    "Distance_To",  // 11
    "Direction_To",  // 12
    "Push_object",  // 13
    "Find_Functional_Tree",  // 14
    "Tree_Break",  // 15
    "Find_Good_Location",  // 16
    "Idle_For_Input",  // 17
    "Kill_Object",  // 18
    "Make_New_Character",  // 19
    "Call_Functional_Tree",  // 20
    "Show_String",  // 21
    "Look_Towards",  // 22
    "PlaySound",  // 23
    "Old_Relationship",  // 24
    "",  // 25
    "Relationship",  // 26
    "Goto_Relative",  // 27
    "Call_Named_Tree",  // 28
    "Set_Motive_Delta",  // 29
    "Gosub_Found_Action",  // 30
    "Set_To_Next",  // 31
    "Test_Object_Type",  // 32
    "Find_5_Worst_Motives",  // 33
    "UI_Effect",  // 34
    "User_Effect",  // 35
    "DlgBox",  // 36
    "Test_Interaction",  // 37
    "~UnUsed",  // 38
    "~UnUsed",  // 39
    "~UnUsed",  // 40
    "Set_Balloon",  // 41
    "Create_Object",  // 42
    "Drop_onto",  // 43
    "Animate",  // 44
    "Goto_Routing_Slot",  // 45
    "Snap",  // 46
    "Reach",  // 47
    "Kill_Sounds",  // 48
    "Notify_Stack_Object",  // 49
    "Make_Action_String",  // 50
};

constexpr std::string_view kCodeGenericSimCallNames[] = {
    "GSC_HOUSE_TUTORIAL_COMPLETE",  // 0
    "GSC_UNUSED_CENTER_VIEW",  // 1
    "GSC_SET_ACTION_ICON_TO_STACK_OBJECT",  // 2
    "GSC_UNUSED_UNCENTER_VIEW",  // 3
    "GSC_ADD_TO_FAMILY",  // 4
    "GSC_COMBINE_ASSEST_WITH_FAMILY_TEMP_0",  // 5
    "GSC_REMOVE_FROM_FAMILY",  // 6
    "GSC_UNUSED_MAKE_NEW_NEIGHBOR",  // 7
    "GSC_FAMILY_TUTORIAL_COMPLETE",  // 8
    "GSC_ARCHITECTURE_TUTORIAL_COMPLETE",  // 9
    "GSC_DISABLE_BUILD_BUY",  // 10
    "GSC_ENABLE_BUILD_BUY",  // 11
    "GSC_GET_DISTANCE_TO_CAMERA_TEMP_0",  // 12
    "GSC_ABORT_INTERACTIONS_WITH_STACKOBJ",  // 13
    "GSC_SET_HOUSE_RADIO_STATION_TEMP_0",  // 14
    "GSC_SET_ROUTING_FOOTPRINT_TEMP_0",  // 15
    "GSC_CHANGE_NORMAL_OUTFIT",  // 16
};

// "SUBSTRACT" is how users have always read it; it stays.
constexpr std::string_view kBudgetOperationNames[] = {
    "BUDGET_SUBSTRACT",  // 0
    "BUDGET_SUBSTRACT | BUDGET_TEST",  // 1
    "BUDGET_ADD",  // 2
    "BUDGET_ADD | BUDGET_TEST",  // 3
};

constexpr std::string_view kBudgetTypeNames[] = {
    "MISC_EXPENSE",  // 0
    "JOB_INCOME",  // 1
    "MISC_INCOME",  // 2
    "FOOD_EXPENSE",  // 3
    "BILL_PAYMENT",  // 4
    "MAINTENANCE_EXPENSE",  // 5
    "PURCHASE",  // 6
    "ARCHITECTURE",  // 7
};

constexpr std::string_view kCodeOperators[] = {
    " > ",  // 0
    " < ",  // 1
    " == ",  // 2
    " += ",  // 3
    " -= ",  // 4
    " = ",  // 5
    " *= ",  // 6
    " /= ",  // 7
    " FlagSet? ",  // 8
    " SetFlag ",  // 9
    " ClrFlag ",  // 10
    " ++ and < ",  // 11
    " mod= ",  // 12
    " &= ",  // 13
    " >= ",  // 14
    " <= ",  // 15
    " != ",  // 16
    " -- and > ",  // 17
};

static_assert(std::size(kCodePrimitiveNames) == kFirstUnnamedOpcode);
static_assert(std::size(kCodeGenericSimCallNames) == 17 && std::size(kCodeOperators) == 18);
static_assert(std::size(kBudgetOperationNames) == 4 && std::size(kBudgetTypeNames) == 8);

void AppendHexParameter(std::string& out, std::uint16_t value)
{
    out += "0x";
    AppendHex4(out, value);
}

}  // namespace

std::string_view CodeGenericSimCallName(std::uint16_t call)
{
    return call < std::size(kCodeGenericSimCallNames) ? kCodeGenericSimCallNames[call] : "GSC_UNKNOWN";
}

std::string_view CodeExpressionOperator(std::uint8_t code)
{
    return code < std::size(kCodeOperators) ? kCodeOperators[code] : " # ";
}

std::string_view CodePrimitiveName(std::uint16_t opcode)
{
    return opcode < std::size(kCodePrimitiveNames) ? kCodePrimitiveNames[opcode] : "";
}

std::string_view BudgetOperationName(std::uint16_t operation)
{
    return operation < std::size(kBudgetOperationNames) ? kBudgetOperationNames[operation] : "BUDGET_UNKNOWN";
}

std::string_view BudgetTypeName(std::uint16_t type)
{
    return type < std::size(kBudgetTypeNames) ? kBudgetTypeNames[type] : "UNKNOWN_TYPE";
}

void AppendCodeInstruction(std::string& out, std::uint16_t opcode, std::uint16_t p0, std::uint16_t p1,
                           std::uint16_t p2, std::uint16_t p3)
{
    if (opcode >= kFirstUnnamedOpcode)
    {
        AppendHexParameter(out, opcode);
        out += '(';
    }
    else if (opcode == kOpGenericSimCall)
    {
        out += "GenericSimCall(";
        out += CodeGenericSimCallName(p0);
        out += ", ";
        AppendHexParameter(out, p1);
        out += ", ";
        AppendHexParameter(out, p2);
        out += ", ";
        AppendHexParameter(out, p3);
        out += ");";
        return;
    }
    else if (opcode == kOpExpression)
    {
        // Operand bytes 6 and 7 (p3) hold the two scopes, byte 5 (high byte of p2) the operator;
        // byte 4 is not shown.
        AppendCodeOperand(out, static_cast<std::uint8_t>(p3 & 0xFF), p0);
        out += CodeExpressionOperator(static_cast<std::uint8_t>(p2 >> 8));
        AppendCodeOperand(out, static_cast<std::uint8_t>(p3 >> 8), p1);
        return;
    }
    else if (opcode == kOpAlterBudget)
    {
        out += "Budget of 0x";
        AppendHex2(out, static_cast<std::uint8_t>(p0 & 0xFF));
        out += "[0]: (";
        AppendCodeOperand(out, static_cast<std::uint8_t>(p0 >> 8), p1);
        out += ", ";
        out += BudgetOperationName(p2);
        out += ", ";
        out += BudgetTypeName(p3);
        out += ");";
        return;
    }
    else
    {
        out += kCodePrimitiveNames[opcode];
        out += '(';
    }
    AppendHexParameter(out, p0);
    out += ", ";
    AppendHexParameter(out, p1);
    out += ", ";
    AppendHexParameter(out, p2);
    out += ", ";
    AppendHexParameter(out, p3);
    out += ");";
}

std::string FormatCodeInstruction(std::uint16_t opcode, std::uint16_t p0, std::uint16_t p1, std::uint16_t p2,
                                  std::uint16_t p3)
{
    std::string text;
    text.reserve(64);
    AppendCodeInstruction(text, opcode, p0, p1, p2, p3);
    return text;
}

std::string FormatTargetText(std::uint8_t target)
{
    switch (target)
    {
    case kTargetError:
        return "return ERROR";
    case kTargetTrue:
        return "return TRUE";
    case kTargetFalse:
        return "return FALSE";
    default:
    {
        // The editor numbers its lines from 1, so the target index is shown one higher.
        std::string text = "goto line ";
        AppendDecimal(text, target + 1u);
        return text;
    }
    }
}
