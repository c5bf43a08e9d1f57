#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The code-style text reads one instruction like a function call, with its parameters in
// hexadecimal. It depends on the instruction alone: calls to other scripts are never named here.

/// Appends the code-style text of one instruction.
void AppendCodeInstruction(std::string& out, std::uint16_t opcode, std::uint16_t p0, std::uint16_t p1,
                           std::uint16_t p2, std::uint16_t p3);
/// The code-style text of one instruction ("Idle(0x0001, 0x0002, 0x0003, 0x0004);").
std::string FormatCodeInstruction(std::uint16_t opcode, std::uint16_t p0, std::uint16_t p1, std::uint16_t p2,
                                  std::uint16_t p3);

/// Where control goes after an instruction: "goto line %d" (counted from 1), "return ERROR",
/// "return TRUE" or "return FALSE".
std::string FormatTargetText(std::uint8_t target);

/// Name of the GenericSimCall chosen by p0; "GSC_UNKNOWN" past the table.
std::string_view CodeGenericSimCallName(std::uint16_t call);
/// Expression operator chosen by operand byte 5, with its blanks; " # " past the table.
std::string_view CodeExpressionOperator(std::uint8_t code);
/// Primitive name for opcodes 0 to 50 that use the plain parameter form; empty otherwise.
std::string_view CodePrimitiveName(std::uint16_t opcode);

// The Alter Budget tables are shared by both instruction texts.

/// Alter Budget operation chosen by p2; "BUDGET_UNKNOWN" past the table.
std::string_view BudgetOperationName(std::uint16_t operation);
/// Alter Budget type chosen by p3; "UNKNOWN_TYPE" past the table.
std::string_view BudgetTypeName(std::uint16_t type);
