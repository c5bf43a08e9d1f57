#include "PlainTextRenderer.h"

#include "CodeTextRenderer.h"
#include "records/BhavInstruction.h"
#include "NeededFiles.h"
#include "OperandVocabulary.h"

#include <iterator>
#include <string_view>
#include <utility>

namespace
{

constexpr std::uint16_t kOpIdle = 0;
constexpr std::uint16_t kOpGenericSimCall = 1;
constexpr std::uint16_t kOpExpression = 2;
constexpr std::uint16_t kOpUpdate = 7;
constexpr std::uint16_t kOpRandom = 8;
constexpr std::uint16_t kOpAlterBudget = 25;
constexpr std::uint16_t kOpSetMotiveChange = 29;
constexpr std::uint16_t kOpSetToNext = 31;

constexpr std::string_view kPrimitiveNames[] = {
    "Idle",  // 0
    "GenericSimCall",  // 1
    "Expression",  // 2
    "Find best action",  // 3
    "Grab",  // 4
    "Drop",  // 5
    "Change suit/accessory",  // 6
    "Update",  // 7
    "Random number",  // 8
    "Burn",  // 9
    "Tutorial",  // 10
    "Get distance to",  // 11
    "Get direction to",  // 12
    "Push interaction",  // 13
    "Find Best Object for Function",  // 14
    "Break Point",  // 15
    "Find Location For",  // 16
    "Idle for input",  // 17
    "Remove Object Instance",  // 18
    "Make new character",  // 19
    "Run Functional Tree",  // 20
    "Show string",  // 21
    "Look towards",  // 22
    "Play Sound Event",  // 23
    "Old relationship",  // 24
    "Alter Budget",  // 25
    "Relationship",  // 26
    "Go To Relative Position",  // 27
    "Run Tree by Name",  // 28
    "Set Motive Change",  // 29
    "Gosub found action",  // 30
    "Set to Next",  // 31
    "Test Object Type",  // 32
    "Find 5 worst motives",  // 33
    "UI effect",  // 34
    "Special Effect",  // 35
    "Dialog",  // 36
    "Test Sim Interacting With",  // 37
    "~unused",  // 38
    "~unused",  // 39
    "~unused",  // 40
    "Set Balloon/Headline",  // 41
    "Create New Object Instance",  // 42
    "Drop onto",  // 43
    "Animate Sim",  // 44
    "Go To Routing Slot",  // 45
    "Snap",  // 46
    "Reach",  // 47
    "Stop ALL Sounds",  // 48
    "Notify the Stack Object out of Idle",  // 49
    "Add/Change the Action String",  // 50
    "Manage Inventory",  // 51
    "~unused (in Sims 2.0)",  // 52
    "~unused (in Sims 2.0)",  // 53
    "~unused (in Sims 2.0)",  // 54
    "~unused (in Sims Online)",  // 55
    "~unused (in Sims Online)",  // 56
};

constexpr std::string_view kGenericSimCallDescriptions[] = {
    "house tutorial complete",  // 0
    "Unused - center view on stack object",  // 1
    "set action icon to stack object",  // 2
    "unused - uncenter view",  // 3
    "add to family",  // 4
    "combine assets of family in temp 0",  // 5
    "remove from family",  // 6
    "depracated - make new neighbor",  // 7
    "family tutorial complete",  // 8
    "architecture tutorial complete",  // 9
    "disable build and buy",  // 10
    "enable build and buy",  // 11
    "get distance to camera in temp 0",  // 12
    "abort interactions",  // 13
    "house radio station := temp 0",  // 14
    "My routing footprint := temp 0",  // 15
    "change normal outfit",  // 16
};

// Row 17 has no blank after ">"; that is the text users know.
constexpr std::string_view kOperators[] = {
    " > ",  // 0
    " < ",  // 1
    " Equals? ",  // 2
    " += ",  // 3
    " -= ",  // 4
    " Assign To: ",  // 5
    " *= ",  // 6
    " /= ",  // 7
    " Flag Set? ",  // 8
    " Set Flag ",  // 9
    " Clear Flag ",  // 10
    " ++ and < ",  // 11
    " mod= ",  // 12
    " and= ",  // 13
    " >= ",  // 14
    " <= ",  // 15
    " Not Equal To ",  // 16
    " -- and >",  // 17
};

static_assert(std::size(kPrimitiveNames) == 57 && std::size(kGenericSimCallDescriptions) == 17);
static_assert(std::size(kOperators) == 18);

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

std::uint8_t LowByte(std::uint16_t value)
{
    return static_cast<std::uint8_t>(value & 0xFF);
}

std::uint8_t HighByte(std::uint16_t value)
{
    return static_cast<std::uint8_t>(value >> 8);
}

// "p0, p1, p2, p3)"
void AppendFourParameters(std::string& out, std::uint16_t p0, std::uint16_t p1, std::uint16_t p2, std::uint16_t p3)
{
    AppendSignedDecimal(out, p0);
    out += ", ";
    AppendSignedDecimal(out, p1);
    out += ", ";
    AppendSignedDecimal(out, p2);
    out += ", ";
    AppendSignedDecimal(out, p3);
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
    AppendSignedDecimal(out, p2);
    out += ", ";
    AppendSignedDecimal(out, p3);
    out += ')';
}

void AppendAlterBudget(std::string& out, std::uint16_t p0, std::uint16_t p1, std::uint16_t p2, std::uint16_t p3)
{
    out += "Budget of 0x";
    AppendHex2(out, LowByte(p0));
    out += "[0]: (";
    AppendPlainOperand(out, HighByte(p0), p1);
    out += ", ";
    out += BudgetOperationName(p2);
    out += ", ";
    out += BudgetTypeName(p3);
    out += ");";
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
    const std::vector<CFileScriptNames>& index = m_files->Index();
    for (std::size_t file = 0; file < index.size(); ++file)
    {
        if (!SameFileName(index[file].fileName, fileName))
            continue;
        for (const CScriptNameEntry& script : index[file].scripts)
            if (script.id == opcode)
                return CScriptPlace{file, &script};
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
    if (opcode < std::size(kPrimitiveNames))
        return std::string(kPrimitiveNames[opcode]);
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
    case kOpIdle:
        out += "Idle (Stack: ";
        AppendFourParameters(out, p0, p1, p2, p3);
        return;
    case kOpGenericSimCall:
        out += "GenericSimCall (";
        out += p0 < std::size(kGenericSimCallDescriptions) ? kGenericSimCallDescriptions[p0] : "unknown";
        out += ", ";
        AppendSignedDecimal(out, p1);
        out += ", ";
        AppendSignedDecimal(out, p2);
        out += ", ";
        AppendSignedDecimal(out, p3);
        out += ')';
        return;
    case kOpExpression:
    {
        const std::uint8_t op = HighByte(p2);
        AppendPlainOperand(out, LowByte(p3), p0);
        out += op < std::size(kOperators) ? kOperators[op] : " unknown operator ";
        AppendPlainOperand(out, HighByte(p3), p1);
        return;
    }
    case kOpUpdate:
        AppendUpdate(out, p0, p1, p2, p3);
        return;
    case kOpRandom:
        out += "Random Number 0-";
        AppendSignedDecimal(out, p2);
        out += " into ";
        AppendPlainOperand(out, LowByte(p1), p0);
        out += " (stack: ";
        AppendSignedDecimal(out, p3);
        out += ')';
        return;
    case kOpAlterBudget:
        AppendAlterBudget(out, p0, p1, p2, p3);
        return;
    case kOpSetMotiveChange:
        out += "Set Motive Delta (";
        out += MotiveLabel(p1);
        out += ", ";
        AppendPlainOperand(out, LowByte(p0), p2);
        out += ", ";
        AppendPlainOperand(out, HighByte(p0), p3);
        out += ')';
        return;
    case kOpSetToNext:
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

    if (opcode < std::size(kPrimitiveNames))
        out += kPrimitiveNames[opcode];
    else if (!AppendCallTargetName(out, opcode))
        AppendSignedDecimal(out, opcode);
    out += " (Stack: ";
    AppendFourParameters(out, p0, p1, p2, p3);
}
