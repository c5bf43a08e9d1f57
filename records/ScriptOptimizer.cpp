#include "BhavScript.h"

#include <array>

namespace
{
// Targets from here up are exits (252 is treated like them): never followed, never renumbered.
constexpr std::size_t kFirstExit = 252;
constexpr int kUnnumbered = -1;

class CReachWalk
{
public:
    explicit CReachWalk(const std::vector<CBhavInstruction>& lines) : m_lines(lines) { m_newNumber.fill(kUnnumbered); }

    void Number(std::size_t line) { m_newNumber[line] = int(m_order.size()); m_order.push_back(line); }

    // Depth-first, true branch first. The depth is bounded by the 252 lines that can be reached.
    void Walk(std::size_t line)
    {
        if (line >= m_lines.size())
            return;
        const CBhavInstruction& instruction = m_lines[line];
        Follow(instruction.trueTarget);
        Follow(instruction.falseTarget);
    }

    const std::array<int, 256>& NewNumbers() const { return m_newNumber; }
    const std::vector<std::size_t>& Order() const { return m_order; }

private:
    void Follow(std::uint8_t target)
    {
        if (target >= kFirstExit || m_newNumber[target] != kUnnumbered)
            return;
        Number(target);
        Walk(target);
    }

    const std::vector<CBhavInstruction>& m_lines;
    std::array<int, 256> m_newNumber;
    std::vector<std::size_t> m_order;  // old line numbers in new-number order
};

std::uint8_t Renumbered(std::uint8_t target, const std::array<int, 256>& newNumber)
{
    return newNumber[target] == kUnnumbered ? target : std::uint8_t(newNumber[target]);
}
}

void CBhavScript::Optimize()
{
    if (m_instructions.empty())
        return;
    CReachWalk walk(m_instructions);
    walk.Number(0);
    walk.Walk(0);

    // A jump past the last line would have to be renumbered to a line that does not exist; the
    // script is left for the user to mend instead.
    for (const std::size_t line : walk.Order())
        if (line >= m_instructions.size())
            return;

    std::vector<CBhavInstruction> optimized;
    optimized.reserve(walk.Order().size());
    for (const std::size_t line : walk.Order())
    {
        CBhavInstruction instruction = m_instructions[line];
        instruction.trueTarget = Renumbered(instruction.trueTarget, walk.NewNumbers());
        instruction.falseTarget = Renumbered(instruction.falseTarget, walk.NewNumbers());
        optimized.push_back(instruction);
    }
    m_instructions = std::move(optimized);
}
