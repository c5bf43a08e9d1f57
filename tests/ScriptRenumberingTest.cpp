#include "ScriptsFromTargets.h"

#include "records/BhavScript.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace
{
using Targets = std::vector<std::pair<int, int>>;
// The inserted line has opcode 99.
using Layout = LineLayout;

// `count` lines, each going on to the next on success; the last returns TRUE.
Targets Chain(int count)
{
    Targets targets;
    for (int line = 0; line < count; ++line)
        targets.emplace_back(line + 1 < count ? line + 1 : 254, 255);
    return targets;
}

enum class EChange
{
    Insert,
    Move,
    Delete
};
}

TEST(ScriptRenumbering, EveryJumpKeepsItsInstruction)
{
    using R = CRenumbering::EResult;
    struct CRow
    {
        const char* what;
        Targets start;
        EChange change;
        std::size_t at;
        std::size_t to;  // Move: the new position; Insert: the new line's targets
        R result;
        Layout after;  // empty: only the number of lines is checked
        std::vector<CScriptJump> retargeted = {};
        std::optional<CScriptJump> blocked = {};
    };
    const std::vector<CRow> rows = {
        {"insert in the middle", {{1, 2}, {2, 254}, {255, 0}}, EChange::Insert, 1, 2, R::Done,
         {{0, 2, 3}, {99, 2, 2}, {1, 3, 254}, {2, 255, 0}}},
        {"insert at the end: a missing target stays missing", {{1, 5}, {254, 255}, {253, 0}}, EChange::Insert, 7, 254,
         R::Done, {{0, 1, 6}, {1, 254, 255}, {2, 253, 0}, {99, 254, 254}}},
        {"insert pushing 252 into the exits", Chain(253), EChange::Insert, 0, 1, R::PastLastTarget, {}, {},
         CScriptJump{251, true}},
        {"insert after every line a jump can name", Chain(253), EChange::Insert, 253, 254, R::Done, {}},
        {"insert into a script whose 16-bit count is full", Targets(65535, {254, 255}), EChange::Insert, 0, 254,
         R::CountFull, {}},
        {"move down", {{1, 2}, {0, 254}, {2, 2}}, EChange::Move, 0, 1, R::Done, {{1, 1, 254}, {0, 0, 2}, {2, 2, 2}}},
        {"move up", {{2, 1}, {254, 2}, {1, 255}}, EChange::Move, 2, 1, R::Done, {{0, 1, 2}, {2, 2, 255}, {1, 254, 1}}},
        {"move over several lines", {{3, 1}, {2, 255}, {3, 254}, {0, 253}}, EChange::Move, 3, 0, R::Done,
         {{3, 1, 253}, {0, 0, 2}, {1, 3, 255}, {2, 0, 254}}},
        {"move a jumped-to line past 252", Chain(254), EChange::Move, 252, 253, R::PastLastTarget, {}, {},
         CScriptJump{251, true}},
        {"move the unaddressable line up", Chain(254), EChange::Move, 253, 252, R::PastLastTarget, {}, {},
         CScriptJump{251, true}},
        {"delete: jumps into the line take its success target", {{1, 2}, {3, 254}, {1, 1}, {254, 255}},
         EChange::Delete, 1, 0, R::Done, {{0, 2, 1}, {2, 2, 2}, {3, 254, 255}}, {{0, true}, {1, true}, {1, false}}},
        {"delete: an exit as success target, a missing target moves too", {{1, 5}, {254, 255}}, EChange::Delete, 1, 0,
         R::Done, {{0, 254, 4}}, {{0, true}}},
        {"delete: the line goes on to itself", {{1, 254}, {1, 255}}, EChange::Delete, 1, 0, R::NowhereToGo, {}, {},
         CScriptJump{0, true}},
        {"delete: the line goes on to a missing line", {{254, 1}, {9, 255}}, EChange::Delete, 1, 0, R::NowhereToGo, {},
         {}, CScriptJump{0, false}},
        {"delete: a looping line nothing jumps to", {{254, 255}, {1, 1}}, EChange::Delete, 1, 0, R::Done,
         {{0, 254, 255}}},
        {"delete past index 252: exit 253 is no jump into it", Chain(254), EChange::Delete, 253, 0, R::Done, {}},
    };
    for (const CRow& row : rows)
    {
        SCOPED_TRACE(row.what);
        CBhavScript script = ScriptFromTargets(row.start);
        const Layout before = LayoutOf(script);
        CRenumbering outcome;
        switch (row.change)
        {
        case EChange::Insert:
        {
            CBhavInstruction inserted;
            inserted.opcode = 99;
            inserted.trueTarget = inserted.falseTarget = std::uint8_t(row.to);
            outcome = script.InsertLine(row.at, inserted);
            break;
        }
        case EChange::Move:
            outcome = script.MoveLine(row.at, row.to);
            break;
        case EChange::Delete:
            outcome = script.DeleteLine(row.at);
            break;
        }
        EXPECT_EQ(outcome.result, row.result);
        EXPECT_EQ(outcome.blocked, row.blocked);
        EXPECT_EQ(outcome.retargeted, row.retargeted);
        const std::size_t lines = before.size() + (row.change == EChange::Insert) - (row.change == EChange::Delete);
        if (row.result != R::Done)
            EXPECT_EQ(LayoutOf(script), before);
        else if (!row.after.empty())
            EXPECT_EQ(LayoutOf(script), row.after);
        else
            EXPECT_EQ(script.Lines().size(), lines);
    }
}
