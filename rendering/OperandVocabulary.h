#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// An operand reference names a value in the running game: a scope code (whose data) and a 16-bit
// data value (which item of it). Both instruction texts spell these references through the tables
// here; nothing depends on the open file.

/// Scope codes 0 to kPlainScopeCount - 1 have a plain-language form.
constexpr int kPlainScopeCount = 38;
/// Scope codes 0 to kCodeScopeCount - 1 have a code-style form; the rest print as raw numbers.
constexpr int kCodeScopeCount = 20;

/// Appends the four upper-case hexadecimal digits of a 16-bit value ("%.4X").
void AppendHex4(std::string& out, std::uint16_t value);
/// Appends the two upper-case hexadecimal digits of a byte ("%.2X").
void AppendHex2(std::string& out, std::uint8_t value);
/// Appends a 16-bit value read as signed, in decimal: 65535 gives "-1".
void AppendSignedDecimal(std::string& out, std::uint16_t value);
/// Appends an unsigned number in decimal.
void AppendDecimal(std::string& out, std::uint32_t value);

/// Object-data field name, plain form; "unknown" past index 67.
std::string_view ObjectDataLabel(std::uint16_t index);
/// Object-data field name, code-style form; "unknown" past index 67.
std::string_view CodeObjectDataLabel(std::uint16_t index);
/// Person-data field name, plain form; "unknown" past index 74.
std::string_view PersonDataLabel(std::uint16_t index);
/// Person-data field name, code-style form; "Unknown" past index 74.
std::string_view CodePersonDataLabel(std::uint16_t index);
/// Global name, plain form; "unknown" past index 31.
std::string_view GlobalLabel(std::uint16_t index);
/// Global name, code-style form; "Unknown" past index 26.
std::string_view CodeGlobalLabel(std::uint16_t index);
/// Motive name; "unknown" past index 15.
std::string_view MotiveLabel(std::uint16_t index);
/// Object-definition field name; empty past index 93.
std::string_view ObjectDefinitionLabel(std::uint16_t index);
/// Job-data field name; "unknown" past index 22.
std::string_view JobDataLabel(std::uint16_t index);
/// Neighborhood-data field name; "unknown" past index 3.
std::string_view NeighborhoodDataLabel(std::uint16_t index);

/// Appends the code-style text of an operand reference.
void AppendCodeOperand(std::string& out, std::uint8_t scope, std::uint16_t data);
/// The code-style text of an operand reference ("Temp[0x0003]", "My->slot_count", "0x14[0x0005]").
std::string FormatCodeOperand(std::uint8_t scope, std::uint16_t data);
/// Appends the plain-language text of an operand reference ("Temporary Storage 3", "40->-1").
void AppendPlainOperand(std::string& out, std::uint8_t scope, std::uint16_t data);
