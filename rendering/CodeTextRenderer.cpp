#include "CodeTextRenderer.h"

#include "OperandVocabulary.h"
#include "Opcodes.h"
#include "records/BhavInstruction.h"

namespace
{

void AppendHexParameter(std::string& out, std::uint16_t value)
{
    out += "0x";
    AppendHex4(out, value);
}

}  // namespace

void AppendCodeInstruction(std::string& out, std::uint16_t opcode, std::uint16_t p0, std::uint16_t p1,
                           std::uint16_t p2, std::uint16_t p3)
{
    constexpr EInstructionText kCode = EInstructionText::Code;
    switch (opcode)
    {
    case Opcode::GenericSimCall:
        return AppendGenericSimCall(out, kCode, p0, p1, p2, p3);
    case Opcode::Expression:
        return AppendExpression(out, kCode, p0, p1, p2, p3);
    case Opcode::AlterBudget:
        return AppendAlterBudget(out, kCode, p0, p1, p2, p3);
    default:
        break;
    }
    if (opcode >= Opcode::FirstUnnamedInCode)
        AppendHexParameter(out, opcode);
    else
        out += PrimitiveName(kCode, opcode);
    out += '(';
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
