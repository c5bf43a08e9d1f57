#include "ScriptGraph.h"

#include "CodeTextRenderer.h"
#include "PlainTextRenderer.h"
#include "ScriptListing.h"

#include "containers/Windows1252.h"
#include "records/BhavScript.h"

#include <array>
#include <map>

namespace
{
// The exits in the order their boxes follow the lines.
constexpr std::array<std::uint8_t, 3> kExitOrder = {kTargetTrue, kTargetFalse, kTargetError};

bool IsExit(std::uint8_t target)
{
    return target >= kTargetError;
}

// 253 to 255 are exits however many lines the script has; a script longer than 253 lines cannot
// jump into its lines past 253.
bool IsLine(std::uint8_t target, std::size_t lineCount)
{
    return !IsExit(target) && target < lineCount;
}

std::string ExitName(std::uint8_t target)
{
    return target == kTargetTrue ? "true" : target == kTargetFalse ? "false" : "error";
}

// A break in a script's name would break the box's rows; it counts as a blank.
bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::size_t CharacterCount(const std::string& text)
{
    std::size_t count = 0;
    for (const char c : text)
        count += IsContinuationByte(c) ? 0 : 1;
    return count;
}

// The byte offset of character `count` of `text` (its size when it is shorter).
std::size_t OffsetOfCharacter(const std::string& text, std::size_t count)
{
    std::size_t at = 0;
    for (std::size_t seen = 0; at < text.size(); ++at)
    {
        if (!IsContinuationByte(text[at]) && seen++ == count)
            break;
    }
    return at;
}
}

std::vector<std::string> WrapText(const std::string& text, std::size_t width)
{
    if (width == 0)
        width = 1;
    std::vector<std::string> rows;
    std::string row;
    std::size_t rowCharacters = 0;
    std::size_t at = 0;
    while (at < text.size())
    {
        if (IsBlank(text[at]))
        {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && !IsBlank(text[end]))
            ++end;
        std::string word = text.substr(at, end - at);
        at = end;
        std::size_t wordCharacters = CharacterCount(word);
        if (!row.empty() && rowCharacters + 1 + wordCharacters > width)
        {
            rows.push_back(std::move(row));
            row.clear();
            rowCharacters = 0;
        }
        // Only a word that fits no row reaches here with the row still empty.
        while (wordCharacters > width)
        {
            const std::size_t cut = OffsetOfCharacter(word, width);
            rows.push_back(word.substr(0, cut));
            word.erase(0, cut);
            wordCharacters -= width;
        }
        if (!row.empty())
        {
            row += ' ';
            ++rowCharacters;
        }
        row += word;
        rowCharacters += wordCharacters;
    }
    if (!row.empty() || rows.empty())
        rows.push_back(std::move(row));
    return rows;
}

CScriptGraph CScriptGraph::Build(const CBhavScript& script, const CPlainTextRenderer& renderer)
{
    const std::vector<CBhavInstruction>& lines = script.Lines();
    CScriptGraph graph;
    graph.m_lineCount = lines.size();

    // Which lines control reaches from line 0, walking both targets of every line reached.
    std::vector<bool> reached(lines.size(), false);
    std::vector<std::size_t> pending;
    if (!lines.empty())
    {
        reached[0] = true;
        pending.push_back(0);
    }
    while (!pending.empty())
    {
        const CBhavInstruction& instruction = lines[pending.back()];
        pending.pop_back();
        for (const std::uint8_t target : {instruction.trueTarget, instruction.falseTarget})
        {
            if (IsLine(target, lines.size()) && !reached[target])
            {
                reached[target] = true;
                pending.push_back(target);
            }
        }
    }

    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        CGraphNode node;
        node.kind = EGraphNodeKind::Line;
        node.target = static_cast<int>(i);
        node.name = "line" + std::to_string(i + 1);
        node.label = WrapText(std::to_string(i + 1) + ": " + Windows1252ToUtf8(DescribeLine(renderer, lines[i])),
                              kLabelWidth);
        node.reachable = reached[i];
        graph.m_nodes.push_back(std::move(node));
    }

    // The boxes of targets that are no lines, each once, reachable when a reached line jumps there.
    std::map<std::uint8_t, bool> elsewhere;
    for (std::size_t i = 0; i < lines.size(); ++i)
        for (const std::uint8_t target : {lines[i].trueTarget, lines[i].falseTarget})
            if (!IsLine(target, lines.size()))
                elsewhere[target] = elsewhere[target] || reached[i];

    std::map<std::uint8_t, std::size_t> nodeOfTarget;
    auto addTargetNode = [&](std::uint8_t target, bool reachable) {
        CGraphNode node;
        node.target = target;
        node.reachable = reachable;
        if (IsExit(target))
        {
            node.kind = EGraphNodeKind::Exit;
            node.name = ExitName(target);
            node.label = {FormatTargetText(target)};
        }
        else
        {
            node.kind = EGraphNodeKind::MissingLine;
            node.name = "missing" + std::to_string(target + 1);
            node.label = {"missing line " + std::to_string(target + 1)};
        }
        nodeOfTarget[target] = graph.m_nodes.size();
        graph.m_nodes.push_back(std::move(node));
    };
    for (const std::uint8_t exit : kExitOrder)
        if (const auto found = elsewhere.find(exit); found != elsewhere.end())
            addTargetNode(exit, found->second);
    for (const auto& [target, reachable] : elsewhere)
        if (!IsExit(target))
            addTargetNode(target, reachable);

    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        for (const bool success : {true, false})
        {
            const std::uint8_t target = success ? lines[i].trueTarget : lines[i].falseTarget;
            const std::size_t to = IsLine(target, lines.size()) ? target : nodeOfTarget.at(target);
            graph.m_edges.push_back({i, to, success});
        }
    }
    return graph;
}
