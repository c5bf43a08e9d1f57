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
