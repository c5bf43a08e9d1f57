#include "ScriptsFromTargets.h"

#include "records/BhavScript.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

TEST(ScriptOptimizer, LeavesEmptyAndSingleExitScriptsAlone)
{
    CBhavScript empty;
    empty.Optimize();
    EXPECT_TRUE(empty.Lines().empty());

    CBhavScript single = ScriptFromTargets({{254, 255}});
    const auto before = single.Lines();
    single.Optimize();
    EXPECT_EQ(single.Lines(), before);
}

TEST(ScriptOptimizer, PlacesTheTrueBranchDirectlyAfterItsLine)
{
    CBhavScript script = ScriptFromTargets({{2, 1}, {254, 255}, {255, 255}});
    script.Optimize();
    EXPECT_EQ(LayoutOf(script), (LineLayout{{0, 1, 2}, {2, 255, 255}, {1, 254, 255}}));
    // Opcodes and operands travel with their line.
    EXPECT_EQ(script.Lines()[1].params[0], 102);
}

TEST(ScriptOptimizer, DropsUnreachedLinesAndRenumbersTheRest)
{
    // Line 1 is never reached; lines 2 and 3 move up.
    CBhavScript script = ScriptFromTargets({{2, 255}, {0, 0}, {3, 254}, {254, 2}});
    script.Optimize();
    EXPECT_EQ(LayoutOf(script), (LineLayout{{0, 1, 255}, {2, 2, 254}, {3, 254, 1}}));
}

TEST(ScriptOptimizer, KeepsLoopsAndExitCodes)
{
    // A loop back to line 0, the error exit 253 and the never-followed 252 all survive.
    CBhavScript script = ScriptFromTargets({{1, 253}, {0, 252}});
    script.Optimize();
    EXPECT_EQ(LayoutOf(script), (LineLayout{{0, 1, 253}, {1, 0, 252}}));
}

TEST(ScriptOptimizer, FollowsTheFalseBranchAfterTheWholeTrueBranch)
{
    // 0 -> (1, 3); 1 -> (2, 4); the whole true branch 1, 2, 4 comes before 3.
    CBhavScript script = ScriptFromTargets({{1, 3}, {2, 4}, {254, 255}, {255, 254}, {254, 254}});
    script.Optimize();
    EXPECT_EQ(LayoutOf(script),
              (LineLayout{{0, 1, 4}, {1, 2, 3}, {2, 254, 255}, {4, 254, 254}, {3, 255, 254}}));
}

TEST(ScriptOptimizer, RefusesAReachableTargetPastTheEnd)
{
    CBhavScript script = ScriptFromTargets({{1, 255}, {2, 254}, {3, 254}, {10, 254}, {254, 254}, {254, 254}, {254, 254}, {0, 0}});
    const auto before = script.Lines();
    script.Optimize();
    EXPECT_EQ(script.Lines(), before);
}

TEST(ScriptOptimizer, IgnoresAPastTheEndTargetOfAnUnreachedLine)
{
    CBhavScript script = ScriptFromTargets({{254, 255}, {40, 41}});
    script.Optimize();
    EXPECT_EQ(LayoutOf(script), (LineLayout{{0, 254, 255}}));
}

TEST(ScriptOptimizer, IsIdempotent)
{
    CBhavScript script = ScriptFromTargets({{3, 1}, {4, 254}, {0, 255}, {1, 2}, {255, 3}, {1, 1}});
    script.Optimize();
    const auto once = script.Lines();
    script.Optimize();
    EXPECT_EQ(script.Lines(), once);
}

TEST(ScriptOptimizer, HandlesTheLongestReachableChain)
{
    // 252 lines, each jumping to the next: the deepest walk there can be. The last line's jump
    // to 252 is an exit and stays.
    std::vector<std::pair<int, int>> targets;
    for (int line = 0; line < 252; ++line)
        targets.emplace_back(line + 1, 255);
    targets.emplace_back(254, 254);  // line 252 cannot be reached
    CBhavScript script = ScriptFromTargets(targets);
    script.Optimize();
    ASSERT_EQ(script.Lines().size(), 252u);
    EXPECT_EQ(script.Lines().back().trueTarget, 252);
    EXPECT_EQ(script.Lines().back().opcode, 251);
}
