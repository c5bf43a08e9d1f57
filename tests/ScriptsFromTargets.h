#pragma once

#include "records/BhavScript.h"

#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

// A script from (true, false) target pairs. Each line's opcode is its line number and its first
// operand that number plus 100, so a test can see where a line went after a change.
inline CBhavScript ScriptFromTargets(const std::vector<std::pair<int, int>>& targets)
{
    CBhavScript script;
    for (std::size_t line = 0; line < targets.size(); ++line)
    {
        CBhavInstruction instruction;
        instruction.opcode = std::uint16_t(line);
        instruction.trueTarget = std::uint8_t(targets[line].first);
        instruction.falseTarget = std::uint8_t(targets[line].second);
        instruction.params = {std::uint16_t(line + 100), 2, 3, 4};
        script.AppendLine(instruction);
    }
    return script;
}

// (old line, true target, false target) of every line.
using LineLayout = std::vector<std::tuple<int, int, int>>;

inline LineLayout LayoutOf(const CBhavScript& script)
{
    LineLayout layout;
    for (const CBhavInstruction& instruction : script.Lines())
        layout.emplace_back(instruction.opcode, instruction.trueTarget, instruction.falseTarget);
    return layout;
}
