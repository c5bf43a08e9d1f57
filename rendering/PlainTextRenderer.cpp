#include "PlainTextRenderer.h"

#include "records/BhavInstruction.h"
#include "NeededFiles.h"
#include "OperandVocabulary.h"
#include "Opcodes.h"

#include <string_view>
#include <utility>

namespace
{

// Opcodes 3 to 13 print their parameters after a phrase of their own, with "stack" in lower case.
struct CStackForm
{
    std::uint16_t opcode;
    std::string_view phrase;
};

constexpr CStackForm kStackForms[] = {
    {3, "Find best action (stack: "},
    {4, "grab (stack: "},
    {5, "drop (stack: "},
    {6, "Change suit/accessory (stack: "},
    {9, "Burn (stack: "},
    {10, "Tutorial (stack: "},
    {11, "Get distance to (stack: "},
    {12, "Get direction to (stack: "},
    {13, "Push Interaction (stack: "},
};

std::string_view StackFormPhrase(std::uint16_t opcode)
{
    for (const CStackForm& form : kStackForms)
        if (form.opcode == opcode)
            return form.phrase;
    return {};
}

// "p0, p1, p2, p3)"
void AppendFourParameters(std::string& out, std::uint16_t p0, std::uint16_t p1, std::uint16_t p2, std::uint16_t p3)
{
    AppendParameters(out, EInstructionText::Plain, {p0, p1, p2, p3});
    out += ')';
}

void AppendUpdate(std::string& out, std::uint16_t p0, std::uint16_t p1, std::uint16_t p2, std::uint16_t p3)
{
    out += "Update ";
    switch (p0)
    {
    case 0:
        out += "my ";
        break;
    case 1:
        out += "stack object's ";
        break;
    default:
        AppendSignedDecimal(out, p0);
        out += ", ";
        break;
    }
    switch (p1)
    {
    case 0:
        out += "graphic";
        break;
    case 1:
        out += "lighting contribution";
        break;
    case 2:
        out += "room score contribution";
        break;
    default:
        AppendSignedDecimal(out, p1);
        break;
    }
    out += " (stack:";
    AppendParameters(out, EInstructionText::Plain, {p2, p3});
    out += ')';
}

void AppendSetToNext(std::string& out, std::uint16_t p0, std::uint16_t p1, std::uint16_t p2, std::uint16_t p3)
{
    // Bit 0x80 of operand byte 4 moves the target's scope code from operand byte 0 to byte 5.
    const std::uint8_t flags = LowByte(p2);
    const std::uint8_t scope = (flags & 0x80) != 0 ? HighByte(p2) : LowByte(p0);
    out += "Set ";
    AppendPlainOperand(out, scope, p3);
    out += " to next ";
    switch (flags & 0x7F)
    {
    case 0:
        out += "object";
        break;
    case 1:
        out += "person";
        break;
    case 2:
        out += "non-person";
        break;
    case 3:
        out += "part of multitile object";
        break;
    case 4:
        out += "object of type GUID ";
        AppendHex4(out, p0);
        AppendHex4(out, p1);
        break;
    case 5:
        out += "neighbor ID";
        break;
    case 6:
        out += "object with category ";
        AppendSignedDecimal(out, p0);
        break;
    case 7:
        out += "Neighbor of type";
        AppendSignedDecimal(out, p0);
        break;
    case 8:
        out += "object on the same tile";
        break;
    case 9:
        out += "object adjacent to object in local";
        break;
    case 10:
        out += "career";
        break;
    case 11:
        out += "closest house";
        break;
    default:
        out += "unknown (stack: ";
        AppendSignedDecimal(out, p0);
        out += ", ";
        AppendSignedDecimal(out, p1);
        out += ')';
        break;
    }
}

}  // namespace

CPlainTextRenderer::CPlainTextRenderer(const CNeededFiles& files, std::string fileName, std::string semiGlobalName)
{
    SetSources(files, std::move(fileName), std::move(semiGlobalName));
}

void CPlainTextRenderer::SetSources(const CNeededFiles& files, std::string fileName, std::string semiGlobalName)
{
    m_files = &files;
    m_fileName = std::move(fileName);
    m_semiGlobalName = std::move(semiGlobalName);
    m_semiGlobalFileName = SemiGlobalFileName(m_semiGlobalName);
}

std::string CPlainTextRenderer::DescribeOperand(std::uint8_t scope, std::uint16_t data)
{
    std::string text;
    AppendPlainOperand(text, scope, data);
    return text;
}

std::optional<CPlainTextRenderer::CScriptPlace> CPlainTextRenderer::FindCalledScript(std::uint16_t opcode) const
{
    if (opcode < kFirstGlobalScript || m_files == nullptr)
        return std::nullopt;
    const std::string_view fileName = opcode < kFirstPrivateScript    ? kGlobalFileName
                                      : opcode < kFirstSemiGlobalScript ? std::string_view(m_fileName)
                                                                        : std::string_view(m_semiGlobalFileName);
    // Several entries may carry the same name (a file loaded loose and again as the open file);
    // one without the id does not end the search.
    std::size_t file = 0;
    for (const CFileScriptNames& names : m_files->Index())
    {
        if (SameFileName(names.fileName, fileName))
            for (const CScriptNameEntry& script : names.scripts)
                if (script.id == opcode)
                    return CScriptPlace{file, &script};
        ++file;
    }
    return std::nullopt;
}

bool CPlainTextRenderer::AppendCallTargetName(std::string& out, std::uint16_t opcode) const
{
    const std::optional<CScriptPlace> place = FindCalledScript(opcode);
    if (!place)
        return false;
    out += opcode < kFirstPrivateScript ? "Global: " : opcode < kFirstSemiGlobalScript ? "Private: " : "Semiglobal: ";
    out += place->script->name;
    return true;
}

std::string CPlainTextRenderer::CallTargetName(std::uint16_t opcode) const
{
    std::string text;
    AppendCallTargetName(text, opcode);
    return text;
}

std::string CPlainTextRenderer::PrimitiveName(std::uint16_t opcode) const
{
    if (opcode <= Opcode::LastPrimitive)
        return std::string(::PrimitiveName(EInstructionText::Plain, opcode));
    return CallTargetName(opcode);
}

std::string CPlainTextRenderer::Describe(std::uint16_t opcode, std::uint16_t p0, std::uint16_t p1, std::uint16_t p2,
                                         std::uint16_t p3) const
{
    std::string text;
    text.reserve(96);
    AppendDescription(text, opcode, p0, p1, p2, p3);
    return text;
}

void CPlainTextRenderer::AppendDescription(std::string& out, std::uint16_t opcode, std::uint16_t p0,
                                           std::uint16_t p1, std::uint16_t p2, std::uint16_t p3) const
{
    switch (opcode)
    {
    case Opcode::Idle:
        out += "Idle (Stack: ";
        AppendFourParameters(out, p0, p1, p2, p3);
        return;
    case Opcode::GenericSimCall:
        return AppendGenericSimCall(out, EInstructionText::Plain, p0, p1, p2, p3);
    case Opcode::Expression:
        return AppendExpression(out, EInstructionText::Plain, p0, p1, p2, p3);
    case Opcode::Update:
        AppendUpdate(out, p0, p1, p2, p3);
        return;
    case Opcode::Random:
        out += "Random Number 0-";
        AppendSignedDecimal(out, p2);
        out += " into ";
        AppendPlainOperand(out, LowByte(p1), p0);
        out += " (stack: ";
        AppendSignedDecimal(out, p3);
        out += ')';
        return;
    case Opcode::AlterBudget:
        return AppendAlterBudget(out, EInstructionText::Plain, p0, p1, p2, p3);
    case Opcode::SetMotiveChange:
        out += "Set Motive Delta (";
        out += MotiveLabel(p1);
        out += ", ";
        AppendPlainOperand(out, LowByte(p0), p2);
        out += ", ";
        AppendPlainOperand(out, HighByte(p0), p3);
        out += ')';
        return;
    case Opcode::SetToNext:
        AppendSetToNext(out, p0, p1, p2, p3);
        return;
    default:
        break;
    }

    const std::string_view stackPhrase = StackFormPhrase(opcode);
    if (!stackPhrase.empty())
    {
        out += stackPhrase;
        AppendFourParameters(out, p0, p1, p2, p3);
        return;
    }

    if (opcode <= Opcode::LastPrimitive)
        out += ::PrimitiveName(EInstructionText::Plain, opcode);
    else if (!AppendCallTargetName(out, opcode))
        AppendSignedDecimal(out, opcode);
    out += " (Stack: ";
    AppendFourParameters(out, p0, p1, p2, p3);
}
