#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// What the program knows of SimAntics opcodes, once for both instruction texts: the primitives'
// names, the GenericSimCall and Expression vocabularies, and the forms the two texts share.

/// The primitives that have a form of their own in at least one text.
namespace Opcode
{
constexpr std::uint16_t Idle = 0;
constexpr std::uint16_t GenericSimCall = 1;
constexpr std::uint16_t Expression = 2;
constexpr std::uint16_t Update = 7;
constexpr std::uint16_t Random = 8;
constexpr std::uint16_t AlterBudget = 25;
constexpr std::uint16_t SetMotiveChange = 29;
constexpr std::uint16_t SetToNext = 31;
/// The last opcode the plain text names as a primitive.
constexpr std::uint16_t LastPrimitive = 56;
/// From here on the code-style text prints the opcode as a bare number.
constexpr std::uint16_t FirstUnnamedInCode = 51;
/// From here on an opcode calls another script.
constexpr std::uint16_t FirstScriptCall = 256;
}

/// Which of the two instruction texts a name or form is for.
enum class EInstructionText
{
    Code,   // reads like a function call, numbers in hexadecimal
    Plain,  // reads as words, numbers in signed decimal
};

/// The primitive's name in that text; empty where the text has no name for it (the code text has
/// none for the primitives with forms of their own, nor past opcode 50; the plain text none past 56).
std::string_view PrimitiveName(EInstructionText text, std::uint16_t opcode);
/// The GenericSimCall chosen by p0: "GSC_UNKNOWN" or "unknown" past the table.
std::string_view GenericSimCallName(EInstructionText text, std::uint16_t call);
/// The Expression operator chosen by operand byte 5, with its blanks: " # " or " unknown operator "
/// past the table.
std::string_view ExpressionOperator(EInstructionText text, std::uint8_t code);
/// Alter Budget operation chosen by p2; "BUDGET_UNKNOWN" past the table. Both texts use it.
std::string_view BudgetOperationName(std::uint16_t operation);
/// Alter Budget type chosen by p3; "UNKNOWN_TYPE" past the table. Both texts use it.
std::string_view BudgetTypeName(std::uint16_t type);

/// Operand byte 2n of parameter n (its low byte) and byte 2n + 1 (its high byte).
constexpr std::uint8_t LowByte(std::uint16_t parameter)
{
    return static_cast<std::uint8_t>(parameter & 0xFF);
}
constexpr std::uint8_t HighByte(std::uint16_t parameter)
{
    return static_cast<std::uint8_t>(parameter >> 8);
}

/// The parameters in the text's number form ("0x0001" or "1"), separated by ", ".
void AppendParameters(std::string& out, EInstructionText text, std::initializer_list<std::uint16_t> parameters);

/// "GenericSimCall(NAME, 0x0001, ...);" or "GenericSimCall (description, 1, ...)".
void AppendGenericSimCall(std::string& out, EInstructionText text, std::uint16_t p0, std::uint16_t p1,
                          std::uint16_t p2, std::uint16_t p3);
/// Left operand, operator, right operand: the scopes in operand bytes 6 and 7, the operator in
/// byte 5; byte 4 is not shown.
void AppendExpression(std::string& out, EInstructionText text, std::uint16_t p0, std::uint16_t p1, std::uint16_t p2,
                      std::uint16_t p3);
/// "Budget of 0x12[0]: (operand, OPERATION, TYPE);" in both texts; only the operand's words differ.
void AppendAlterBudget(std::string& out, EInstructionText text, std::uint16_t p0, std::uint16_t p1,
                       std::uint16_t p2, std::uint16_t p3);
