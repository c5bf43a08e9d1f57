#include "BhavScript.h"

#include <algorithm>
#include <functional>

namespace
{
// Targets from 253 up are exit codes, so the last line a jump can name has index 252.
constexpr std::size_t kLastAddressable = kTargetError - 1;

// The new number of every line target, given by `renumber`; exits stay as they are. Checks every
// jump before changing one, so that a refusal leaves the lines untouched.
CRenumbering Renumber(std::vector<CBhavInstruction>& lines, const std::function<std::size_t(std::size_t)>& renumber)
{
    CRenumbering outcome;
    for (std::size_t line = 0; line < lines.size(); ++line)
    {
        for (const bool success : {true, false})
        {
            const std::uint8_t target = success ? lines[line].trueTarget : lines[line].falseTarget;
            if (IsLineTarget(target) && renumber(target) > kLastAddressable)
            {
                outcome.result = CRenumbering::EResult::PastLastTarget;
                outcome.blocked = CScriptJump{line, success};
                return outcome;
            }
        }
    }
    for (CBhavInstruction& instruction : lines)
        for (std::uint8_t* target : {&instruction.trueTarget, &instruction.falseTarget})
            if (IsLineTarget(*target))
                *target = std::uint8_t(renumber(*target));
    return outcome;
}
}

CRenumbering CBhavScript::InsertLine(std::size_t index, const CBhavInstruction& instruction)
{
    if (m_instructions.size() >= MaxLines())
        return {CRenumbering::EResult::CountFull, std::nullopt, {}};
    index = std::min(index, m_instructions.size());
    CRenumbering outcome =
        Renumber(m_instructions, [index](std::size_t target) { return target >= index ? target + 1 : target; });
    if (outcome.result == CRenumbering::EResult::Done)
        m_instructions.insert(m_instructions.begin() + std::ptrdiff_t(index), instruction);
    return outcome;
}

CRenumbering CBhavScript::MoveLine(std::size_t from, std::size_t to)
{
    if (from >= m_instructions.size() || to >= m_instructions.size() || from == to)
        return {};
    CRenumbering outcome = Renumber(m_instructions, [from, to](std::size_t target) {
        if (target == from)
            return to;
        if (from < to && target > from && target <= to)
            return target - 1;
        if (to < from && target >= to && target < from)
            return target + 1;
        return target;
    });
    if (outcome.result != CRenumbering::EResult::Done)
        return outcome;
    const auto first = m_instructions.begin();
    if (from < to)
        std::rotate(first + std::ptrdiff_t(from), first + std::ptrdiff_t(from + 1), first + std::ptrdiff_t(to + 1));
    else
        std::rotate(first + std::ptrdiff_t(to), first + std::ptrdiff_t(from), first + std::ptrdiff_t(from + 1));
    return outcome;
}

CRenumbering CBhavScript::DeleteLine(std::size_t index)
{
    CRenumbering outcome;
    if (index >= m_instructions.size())
        return outcome;
    // Where a jump into the deleted line goes from now on: where that line went on success.
    const std::uint8_t onward = m_instructions[index].trueTarget;
    const bool onwardIsLine = IsLineTarget(onward) && onward != index && onward < m_instructions.size();
    for (std::size_t line = 0; line < m_instructions.size(); ++line)
    {
        if (line == index)
            continue;
        for (const bool success : {true, false})
        {
            const std::uint8_t target = success ? m_instructions[line].trueTarget : m_instructions[line].falseTarget;
            if (!IsLineTarget(target) || target != index)
                continue;
            if (IsLineTarget(onward) && !onwardIsLine)
            {
                outcome.result = CRenumbering::EResult::NowhereToGo;
                outcome.blocked = CScriptJump{line, success};
                outcome.retargeted.clear();
                return outcome;
            }
            outcome.retargeted.push_back({line > index ? line - 1 : line, success});
        }
    }
    m_instructions.erase(m_instructions.begin() + std::ptrdiff_t(index));
    const std::uint8_t redirected = IsLineTarget(onward) && onward > index ? std::uint8_t(onward - 1) : onward;
    for (CBhavInstruction& instruction : m_instructions)
    {
        for (std::uint8_t* target : {&instruction.trueTarget, &instruction.falseTarget})
        {
            if (!IsLineTarget(*target))
                continue;
            if (*target == index)
                *target = redirected;
            else if (*target > index)
                --*target;
        }
    }
    return outcome;
}
