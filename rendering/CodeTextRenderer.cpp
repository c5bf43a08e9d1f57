#include "CodeTextRenderer.h"

#include "OperandVocabulary.h"
#include "Opcodes.h"
#include "records/BhavInstruction.h"

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
        AppendParameters(out, kCode, {opcode});
    else
        out += PrimitiveName(kCode, opcode);
    out += '(';
    AppendParameters(out, kCode, {p0, p1, p2, p3});
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
