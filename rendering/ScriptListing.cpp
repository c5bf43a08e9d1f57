#include "ScriptListing.h"

#include "CodeTextRenderer.h"
#include "PlainTextRenderer.h"

#include "containers/Windows1252.h"
#include "records/BhavScript.h"

#include <iomanip>
#include <sstream>
#include <string_view>

namespace
{
// A text the plain-language renderer never gives; should it ever, the code-style text says at
// least which numbers the instruction holds.
constexpr std::string_view kUnknownFunction = "Unknown function";

void AppendTable(std::ostringstream& out, const CBhavScript& script, const CPlainTextRenderer& renderer,
                 std::size_t first, std::size_t last)
{
    out << std::left << std::setw(6) << "Line" << std::setw(15) << "Success" << std::setw(15) << "Failure"
        << "Description\n";
    for (std::size_t i = first; i <= last; ++i)
    {
        const CBhavInstruction& instruction = script.Lines()[i];
        const auto& p = instruction.params;
        out << std::left << std::setw(6) << i + 1 << std::setw(15) << FormatTargetText(instruction.trueTarget)
            << std::setw(15) << FormatTargetText(instruction.falseTarget)
            << OneLine(Windows1252ToUtf8(DescribeLine(renderer, instruction))) << '\n'
            << std::setw(36) << "" << "code: " << FormatCodeInstruction(instruction.opcode, p[0], p[1], p[2], p[3])
            << "  (opcode " << instruction.opcode << ", targets " << int(instruction.trueTarget) << '/'
            << int(instruction.falseTarget) << ", params " << p[0] << ' ' << p[1] << ' ' << p[2] << ' ' << p[3]
            << ")\n";
    }
}
}

std::string DescribeLine(const CPlainTextRenderer& renderer, const CBhavInstruction& instruction)
{
    const auto& p = instruction.params;
    std::string text = renderer.Describe(instruction.opcode, p[0], p[1], p[2], p[3]);
    if (text == kUnknownFunction)
        text = FormatCodeInstruction(instruction.opcode, p[0], p[1], p[2], p[3]);
    return text;
}

std::string OneLine(std::string text)
{
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}

std::string ScriptHeaderHex(std::span<const std::uint8_t> header)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t byte : header)
    {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

std::string FormatScriptListing(const CBhavScript& script, const CPlainTextRenderer& renderer)
{
    const std::size_t count = script.Lines().size();
    std::ostringstream out;
    out << "Script " << script.Id() << ": " << OneLine(Windows1252ToUtf8(script.Name())) << '\n'
        << "Header: " << ScriptHeaderHex(script.Header()) << '\n'
        << "Semi-global file: " << OneLine(Windows1252ToUtf8(renderer.SemiGlobalName())) << '\n'
        << count << (count == 1 ? " line" : " lines") << '\n';
    if (count > 0)
        AppendTable(out, script, renderer, 0, count - 1);
    return out.str();
}

std::string FormatScriptLines(const CBhavScript& script, const CPlainTextRenderer& renderer, std::size_t first,
                              std::size_t last)
{
    const std::size_t count = script.Lines().size();
    if (first >= count || last < first)
        return {};
    std::ostringstream out;
    AppendTable(out, script, renderer, first, std::min(last, count - 1));
    return out.str();
}
