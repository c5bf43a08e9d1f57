#include "Opcodes.h"

#include "OperandVocabulary.h"

#include <iterator>

namespace
{

// One row per opcode, in both texts' words.
struct CWords
{
    std::string_view code;
    std::string_view plain;

    std::string_view In(EInstructionText text) const { return text == EInstructionText::Code ? code : plain; }
};

// Rows 1, 2 and 25 of the code text stay empty: there those primitives have forms of their own.
constexpr CWords kPrimitives[] = {
    {"Idle", "Idle"},  // 0
    {"", "GenericSimCall"},  // 1
    {"", "Expression"},  // 2
    {"Find_Best_Action", "Find best action"},  // 3
    {"Grab", "Grab"},  // 4
    {"Drop", "Drop"},  // 5
    {"Change_suit_accessory", "Change suit/accessory"},  // 6
    {"Update", "Update"},  // 7
    {"Random", "Random number"},  // 8
    {"Burn", "Burn"},  // 9
    {"Tutorial", "Tutorial"},  // 10
    {"Distance_To", "Get distance to"},  // 11
    {"Direction_To", "Get direction to"},  // 12
    {"Push_object", "Push interaction"},  // 13
    {"Find_Functional_Tree", "Find Best Object for Function"},  // 14
    {"Tree_Break", "Break Point"},  // 15
    {"Find_Good_Location", "Find Location For"},  // 16
    {"Idle_For_Input", "Idle for input"},  // 17
    {"Kill_Object", "Remove Object Instance"},  // 18
    {"Make_New_Character", "Make new character"},  // 19
    {"Call_Functional_Tree", "Run Functional Tree"},  // 20
    {"Show_String", "Show string"},  // 21
    {"Look_Towards", "Look towards"},  // 22
    {"PlaySound", "Play Sound Event"},  // 23
    {"Old_Relationship", "Old relationship"},  // 24
    {"", "Alter Budget"},  // 25
    {"Relationship", "Relationship"},  // 26
    {"Goto_Relative", "Go To Relative Position"},  // 27
    {"Call_Named_Tree", "Run Tree by Name"},  // 28
    {"Set_Motive_Delta", "Set Motive Change"},  // 29
    {"Gosub_Found_Action", "Gosub found action"},  // 30
    {"Set_To_Next", "Set to Next"},  // 31
    {"Test_Object_Type", "Test Object Type"},  // 32
    {"Find_5_Worst_Motives", "Find 5 worst motives"},  // 33
    {"UI_Effect", "UI effect"},  // 34
    {"User_Effect", "Special Effect"},  // 35
    {"DlgBox", "Dialog"},  // 36
    {"Test_Interaction", "Test Sim Interacting With"},  // 37
    {"~UnUsed", "~unused"},  // 38
    {"~UnUsed", "~unused"},  // 39
    {"~UnUsed", "~unused"},  // 40
    {"Set_Balloon", "Set Balloon/Headline"},  // 41
    {"Create_Object", "Create New Object Instance"},  // 42
    {"Drop_onto", "Drop onto"},  // 43
    {"Animate", "Animate Sim"},  // 44
    {"Goto_Routing_Slot", "Go To Routing Slot"},  // 45
    {"Snap", "Snap"},  // 46
    {"Reach", "Reach"},  // 47
    {"Kill_Sounds", "Stop ALL Sounds"},  // 48
    {"Notify_Stack_Object", "Notify the Stack Object out of Idle"},  // 49
    {"Make_Action_String", "Add/Change the Action String"},  // 50
    {"", "Manage Inventory"},  // 51
    {"", "~unused (in Sims 2.0)"},  // 52
    {"", "~unused (in Sims 2.0)"},  // 53
    {"", "~unused (in Sims 2.0)"},  // 54
    {"", "~unused (in Sims Online)"},  // 55
    {"", "~unused (in Sims Online)"},  // 56
};

constexpr CWords kGenericSimCalls[] = {
    {"GSC_HOUSE_TUTORIAL_COMPLETE", "house tutorial complete"},  // 0
    {"GSC_UNUSED_CENTER_VIEW", "Unused - center view on stack object"},  // 1
    {"GSC_SET_ACTION_ICON_TO_STACK_OBJECT", "set action icon to stack object"},  // 2
    {"GSC_UNUSED_UNCENTER_VIEW", "unused - uncenter view"},  // 3
    {"GSC_ADD_TO_FAMILY", "add to family"},  // 4
    {"GSC_COMBINE_ASSEST_WITH_FAMILY_TEMP_0", "combine assets of family in temp 0"},  // 5
    {"GSC_REMOVE_FROM_FAMILY", "remove from family"},  // 6
    {"GSC_UNUSED_MAKE_NEW_NEIGHBOR", "depracated - make new neighbor"},  // 7
    {"GSC_FAMILY_TUTORIAL_COMPLETE", "family tutorial complete"},  // 8
    {"GSC_ARCHITECTURE_TUTORIAL_COMPLETE", "architecture tutorial complete"},  // 9
    {"GSC_DISABLE_BUILD_BUY", "disable build and buy"},  // 10
    {"GSC_ENABLE_BUILD_BUY", "enable build and buy"},  // 11
    {"GSC_GET_DISTANCE_TO_CAMERA_TEMP_0", "get distance to camera in temp 0"},  // 12
    {"GSC_ABORT_INTERACTIONS_WITH_STACKOBJ", "abort interactions"},  // 13
    {"GSC_SET_HOUSE_RADIO_STATION_TEMP_0", "house radio station := temp 0"},  // 14
    {"GSC_SET_ROUTING_FOOTPRINT_TEMP_0", "My routing footprint := temp 0"},  // 15
    {"GSC_CHANGE_NORMAL_OUTFIT", "change normal outfit"},  // 16
};

// Row 17 of the plain text has no blank after ">"; that is the text users know.
constexpr CWords kExpressionOperators[] = {
    {" > ", " > "},  // 0
    {" < ", " < "},  // 1
    {" == ", " Equals? "},  // 2
    {" += ", " += "},  // 3
    {" -= ", " -= "},  // 4
    {" = ", " Assign To: "},  // 5
    {" *= ", " *= "},  // 6
    {" /= ", " /= "},  // 7
    {" FlagSet? ", " Flag Set? "},  // 8
    {" SetFlag ", " Set Flag "},  // 9
    {" ClrFlag ", " Clear Flag "},  // 10
    {" ++ and < ", " ++ and < "},  // 11
    {" mod= ", " mod= "},  // 12
    {" &= ", " and= "},  // 13
    {" >= ", " >= "},  // 14
    {" <= ", " <= "},  // 15
    {" != ", " Not Equal To "},  // 16
    {" -- and > ", " -- and >"},  // 17
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

static_assert(std::size(kPrimitives) == 57 && std::size(kGenericSimCalls) == 17);
static_assert(std::size(kExpressionOperators) == 18);
static_assert(std::size(kBudgetOperationNames) == 4 && std::size(kBudgetTypeNames) == 8);

void AppendNumber(std::string& out, EInstructionText text, std::uint16_t value)
{
    if (text == EInstructionText::Code)
    {
        out += "0x";
        AppendHex4(out, value);
    }
    else
    {
        AppendSignedDecimal(out, value);
    }
}

void AppendOperand(std::string& out, EInstructionText text, std::uint8_t scope, std::uint16_t data)
{
    if (text == EInstructionText::Code)
        AppendCodeOperand(out, scope, data);
    else
        AppendPlainOperand(out, scope, data);
}

}  // namespace

std::string_view PrimitiveName(EInstructionText text, std::uint16_t opcode)
{
    return opcode < std::size(kPrimitives) ? kPrimitives[opcode].In(text) : std::string_view();
}

std::string_view GenericSimCallName(EInstructionText text, std::uint16_t call)
{
    if (call < std::size(kGenericSimCalls))
        return kGenericSimCalls[call].In(text);
    return text == EInstructionText::Code ? "GSC_UNKNOWN" : "unknown";
}

std::string_view ExpressionOperator(EInstructionText text, std::uint8_t code)
{
    if (code < std::size(kExpressionOperators))
        return kExpressionOperators[code].In(text);
    return text == EInstructionText::Code ? " # " : " unknown operator ";
}

std::string_view BudgetOperationName(std::uint16_t operation)
{
    return operation < std::size(kBudgetOperationNames) ? kBudgetOperationNames[operation] : "BUDGET_UNKNOWN";
}

std::string_view BudgetTypeName(std::uint16_t type)
{
    return type < std::size(kBudgetTypeNames) ? kBudgetTypeNames[type] : "UNKNOWN_TYPE";
}

void AppendParameters(std::string& out, EInstructionText text, std::initializer_list<std::uint16_t> parameters)
{
    const char* separator = "";
    for (const std::uint16_t parameter : parameters)
    {
        out += separator;
        AppendNumber(out, text, parameter);
        separator = ", ";
    }
}

void AppendGenericSimCall(std::string& out, EInstructionText text, std::uint16_t p0, std::uint16_t p1,
                          std::uint16_t p2, std::uint16_t p3)
{
    const bool code = text == EInstructionText::Code;
    out += code ? "GenericSimCall(" : "GenericSimCall (";
    out += GenericSimCallName(text, p0);
    out += ", ";
    AppendParameters(out, text, {p1, p2, p3});
    out += code ? ");" : ")";
}

void AppendExpression(std::string& out, EInstructionText text, std::uint16_t p0, std::uint16_t p1, std::uint16_t p2,
                      std::uint16_t p3)
{
    AppendOperand(out, text, LowByte(p3), p0);
    out += ExpressionOperator(text, HighByte(p2));
    AppendOperand(out, text, HighByte(p3), p1);
}

void AppendAlterBudget(std::string& out, EInstructionText text, std::uint16_t p0, std::uint16_t p1,
                       std::uint16_t p2, std::uint16_t p3)
{
    out += "Budget of 0x";
    AppendHex2(out, LowByte(p0));
    out += "[0]: (";
    AppendOperand(out, text, HighByte(p0), p1);
    out += ", ";
    out += BudgetOperationName(p2);
    out += ", ";
    out += BudgetTypeName(p3);
    out += ");";
}
