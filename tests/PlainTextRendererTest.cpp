#include "rendering/NeededFiles.h"
#include "rendering/PlainTextRenderer.h"
#include "tests/IndexedFiles.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace
{

void AddIndexEntry(CNeededFiles& files, const std::string& fileName, std::initializer_list<CScriptNameEntry> scripts)
{
    AddIndexedFile(files, fileName, scripts);
}

// A renderer without an index: every call falls back to its number.
const CNeededFiles kNoFiles;

std::string Describe(std::uint16_t opcode, std::uint16_t p0, std::uint16_t p1, std::uint16_t p2, std::uint16_t p3)
{
    const CPlainTextRenderer renderer(kNoFiles, "Chair.iff", "ChairGlobals");
    return renderer.Describe(opcode, p0, p1, p2, p3);
}

}  // namespace

TEST(PlainText, IdleAndGenericFormsPrintSignedParameters)
{
    EXPECT_EQ(Describe(0, 1, 2, 3, 65535), "Idle (Stack: 1, 2, 3, -1)");
    EXPECT_EQ(Describe(14, 1, 2, 3, 4), "Find Best Object for Function (Stack: 1, 2, 3, 4)");
    EXPECT_EQ(Describe(51, 0, 0, 0, 32768), "Manage Inventory (Stack: 0, 0, 0, -32768)");
    EXPECT_EQ(Describe(53, 0, 0, 0, 0), "~unused (in Sims 2.0) (Stack: 0, 0, 0, 0)");
    EXPECT_EQ(Describe(56, 0, 0, 0, 0), "~unused (in Sims Online) (Stack: 0, 0, 0, 0)");
    EXPECT_EQ(Describe(39, 0, 0, 0, 0), "~unused (Stack: 0, 0, 0, 0)");
}

TEST(PlainText, StackFormsOfOpcodesThreeToThirteenUseLowerCaseStack)
{
    EXPECT_EQ(Describe(3, 1, 2, 3, 4), "Find best action (stack: 1, 2, 3, 4)");
    EXPECT_EQ(Describe(4, 1, 2, 3, 4), "grab (stack: 1, 2, 3, 4)");
    EXPECT_EQ(Describe(5, 1, 2, 3, 4), "drop (stack: 1, 2, 3, 4)");
    EXPECT_EQ(Describe(6, 1, 2, 3, 4), "Change suit/accessory (stack: 1, 2, 3, 4)");
    EXPECT_EQ(Describe(9, 1, 2, 3, 4), "Burn (stack: 1, 2, 3, 4)");
    EXPECT_EQ(Describe(10, 1, 2, 3, 4), "Tutorial (stack: 1, 2, 3, 4)");
    EXPECT_EQ(Describe(11, 1, 2, 3, 4), "Get distance to (stack: 1, 2, 3, 4)");
    EXPECT_EQ(Describe(12, 1, 2, 3, 4), "Get direction to (stack: 1, 2, 3, 4)");
    EXPECT_EQ(Describe(13, 65535, 2, 3, 4), "Push Interaction (stack: -1, 2, 3, 4)");
}

TEST(PlainText, UnnamedOpcodesPrintAsSignedNumbers)
{
    EXPECT_EQ(Describe(57, 0, 0, 0, 0), "57 (Stack: 0, 0, 0, 0)");
    EXPECT_EQ(Describe(100, 0, 0, 0, 0), "100 (Stack: 0, 0, 0, 0)");
    EXPECT_EQ(Describe(255, 0, 0, 0, 0), "255 (Stack: 0, 0, 0, 0)");
    EXPECT_EQ(Describe(65535, 0, 0, 0, 0), "-1 (Stack: 0, 0, 0, 0)");
    EXPECT_EQ(Describe(4097, 1, 2, 3, 4), "4097 (Stack: 1, 2, 3, 4)");
}

TEST(PlainText, GenericSimCallDescribesTheCall)
{
    EXPECT_EQ(Describe(1, 7, 1, 2, 65535), "GenericSimCall (depracated - make new neighbor, 1, 2, -1)");
    EXPECT_EQ(Describe(1, 14, 0, 0, 0), "GenericSimCall (house radio station := temp 0, 0, 0, 0)");
    EXPECT_EQ(Describe(1, 16, 0, 0, 0), "GenericSimCall (change normal outfit, 0, 0, 0)");
    EXPECT_EQ(Describe(1, 17, 0, 0, 0), "GenericSimCall (unknown, 0, 0, 0)");
}

TEST(PlainText, ExpressionUsesPlainOperandsAndOperators)
{
    EXPECT_EQ(Describe(2, 3, 1, 0x0500, 0x0708), "Temporary Storage 3 Assign To: 1");
    EXPECT_EQ(Describe(2, 11, 65535, 0x0200, 0x0703), "My object id Equals? -1");
    const char* const operators[] = {" > ",         " < ",          " Equals? ", " += ",          " -= ",
                                     " Assign To: ", " *= ",         " /= ",      " Flag Set? ",   " Set Flag ",
                                     " Clear Flag ", " ++ and < ",   " mod= ",    " and= ",        " >= ",
                                     " <= ",         " Not Equal To ", " -- and >"};
    for (std::uint16_t op = 0; op < 18; ++op)
        EXPECT_EQ(Describe(2, 1, 2, static_cast<std::uint16_t>(op << 8), 0x0707), std::string("1") + operators[op] + "2")
            << "byte " << op;
    EXPECT_EQ(Describe(2, 1, 2, 0x1200, 0x0707), "1 unknown operator 2");
}

TEST(PlainText, UpdateNamesOwnerAndItemOrPrintsNumbers)
{
    EXPECT_EQ(Describe(7, 1, 2, 5, 6), "Update stack object's room score contribution (stack:5, 6)");
    EXPECT_EQ(Describe(7, 4, 9, 5, 6), "Update 4, 9 (stack:5, 6)");
    EXPECT_EQ(Describe(7, 0, 0, 0, 0), "Update my graphic (stack:0, 0)");
    EXPECT_EQ(Describe(7, 0, 1, 65535, 0), "Update my lighting contribution (stack:-1, 0)");
    EXPECT_EQ(Describe(7, 65535, 3, 0, 0), "Update -1, 3 (stack:0, 0)");
}

TEST(PlainText, RandomNumberTakesItsScopeFromOperandByteTwo)
{
    EXPECT_EQ(Describe(8, 0, 8, 10, 0), "Random Number 0-10 into Temporary Storage 0 (stack: 0)");
    // The high byte of p1 is not part of the scope.
    EXPECT_EQ(Describe(8, 2, 0xFF09, 65535, 7), "Random Number 0--1 into Parameter 2 (stack: 7)");
}

TEST(PlainText, AlterBudgetUsesThePlainOperand)
{
    EXPECT_EQ(Describe(25, 0x0712, 100, 2, 6), "Budget of 0x12[0]: (100, BUDGET_ADD, PURCHASE);");
    EXPECT_EQ(Describe(25, 0x0800, 3, 0, 9), "Budget of 0x00[0]: (Temporary Storage 3, BUDGET_SUBSTRACT, UNKNOWN_TYPE);");
    EXPECT_EQ(Describe(25, 0x00AB, 1, 7, 4), "Budget of 0xAB[0]: (My Attribute 1, BUDGET_UNKNOWN, BILL_PAYMENT);");
}

TEST(PlainText, SetMotiveDeltaNamesTheMotive)
{
    EXPECT_EQ(Describe(29, 0x0908, 7, 2, 65535), "Set Motive Delta (Hunger, Temporary Storage 2, Parameter -1)");
    EXPECT_EQ(Describe(29, 0, 16, 0, 0), "Set Motive Delta (unknown, My Attribute 0, My Attribute 0)");
}

TEST(PlainText, SetToNextTakesTheTargetScopeFromByteZeroOrFive)
{
    EXPECT_EQ(Describe(31, 0x00A1, 0x00B2, 0x0004, 0), "Set 161->0 to next object of type GUID 00A100B2");
    EXPECT_EQ(Describe(31, 0, 0, 0x0A80, 0), "Set Stack Object ID 0 to next object");
    EXPECT_EQ(Describe(31, 0x1208, 0, 0x0003, 4), "Set Temporary Storage 4 to next part of multitile object");
}

TEST(PlainText, SetToNextSearchKinds)
{
    const auto next = [](std::uint8_t kind, std::uint16_t p0 = 0, std::uint16_t p1 = 0) {
        return Describe(31, static_cast<std::uint16_t>(p0 & 0xFF00) | 7, p1, static_cast<std::uint16_t>(kind | 0x0080) | 0x0800, 1);
    };
    EXPECT_EQ(next(0), "Set Temporary Storage 1 to next object");
    EXPECT_EQ(next(1), "Set Temporary Storage 1 to next person");
    EXPECT_EQ(next(2), "Set Temporary Storage 1 to next non-person");
    EXPECT_EQ(next(5), "Set Temporary Storage 1 to next neighbor ID");
    EXPECT_EQ(next(8), "Set Temporary Storage 1 to next object on the same tile");
    EXPECT_EQ(next(9), "Set Temporary Storage 1 to next object adjacent to object in local");
    EXPECT_EQ(next(10), "Set Temporary Storage 1 to next career");
    EXPECT_EQ(next(11), "Set Temporary Storage 1 to next closest house");
    EXPECT_EQ(Describe(31, 0xFF0A, 0, 0x0006, 2), "Set Stack Object ID 2 to next object with category -246");
    EXPECT_EQ(Describe(31, 0x0107, 0, 0x0007, 2), "Set 2 to next Neighbor of type263");
    EXPECT_EQ(Describe(31, 0x0007, 0xFFFF, 0x000C, 2), "Set 2 to next unknown (stack: 7, -1)");
    EXPECT_EQ(Describe(31, 0x0007, 3, 0x007F, 2), "Set 2 to next unknown (stack: 7, 3)");
}

TEST(PlainText, PrimitiveNamesCoverOpcodesUpTo56)
{
    const CPlainTextRenderer renderer(kNoFiles, "", "");
    EXPECT_EQ(renderer.PrimitiveName(2), "Expression");
    EXPECT_EQ(renderer.PrimitiveName(25), "Alter Budget");
    EXPECT_EQ(renderer.PrimitiveName(29), "Set Motive Change");
    EXPECT_EQ(renderer.PrimitiveName(31), "Set to Next");
    EXPECT_EQ(renderer.PrimitiveName(49), "Notify the Stack Object out of Idle");
    EXPECT_EQ(renderer.PrimitiveName(50), "Add/Change the Action String");
    EXPECT_EQ(renderer.PrimitiveName(56), "~unused (in Sims Online)");
    EXPECT_EQ(renderer.PrimitiveName(57), "");
    EXPECT_EQ(renderer.PrimitiveName(256), "");
}

TEST(PlainText, DefaultRendererNamesNoCalls)
{
    const CPlainTextRenderer renderer;
    EXPECT_EQ(renderer.CallTargetName(256), "");
    EXPECT_EQ(renderer.Describe(300, 0, 0, 0, 0), "300 (Stack: 0, 0, 0, 0)");
}

class CallNames : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AddIndexEntry(m_files, "Global.iff", {{256, "Wait"}, {300, "Idle Sim"}, {4095, "Last global"}});
        AddIndexEntry(m_files, "ChairGlobals.iff", {{8192, "Sit down"}});
        AddIndexEntry(m_files, "Chair.iff", {{4096, "init"}, {4097, "main"}});
    }

    CNeededFiles m_files;
};

TEST_F(CallNames, GlobalPrivateAndSemiGlobalRangesLookInTheirFiles)
{
    const CPlainTextRenderer renderer(m_files, "Chair.iff", "ChairGlobals");
    EXPECT_EQ(renderer.Describe(300, 1, 2, 3, 4), "Global: Idle Sim (Stack: 1, 2, 3, 4)");
    EXPECT_EQ(renderer.Describe(4097, 1, 2, 3, 65535), "Private: main (Stack: 1, 2, 3, -1)");
    EXPECT_EQ(renderer.Describe(8192, 0, 0, 0, 0), "Semiglobal: Sit down (Stack: 0, 0, 0, 0)");
    EXPECT_EQ(renderer.CallTargetName(256), "Global: Wait");
    EXPECT_EQ(renderer.CallTargetName(4095), "Global: Last global");
    EXPECT_EQ(renderer.CallTargetName(4096), "Private: init");
    EXPECT_EQ(renderer.PrimitiveName(4096), "Private: init");
    EXPECT_EQ(renderer.CallTargetName(255), "");
}

TEST_F(CallNames, AnIdOfAnotherRangeIsNotFoundInTheWrongFile)
{
    AddIndexEntry(m_files, "Global.iff", {{4098, "misfiled"}, {8193, "misfiled"}});
    const CPlainTextRenderer renderer(m_files, "Chair.iff", "ChairGlobals");
    EXPECT_EQ(renderer.CallTargetName(4098), "");
    EXPECT_EQ(renderer.CallTargetName(8193), "");
    EXPECT_EQ(renderer.Describe(8193, 0, 0, 0, 0), "8193 (Stack: 0, 0, 0, 0)");
    EXPECT_EQ(renderer.Describe(65535, 0, 0, 0, 0), "-1 (Stack: 0, 0, 0, 0)");
}

TEST_F(CallNames, FileNamesMatchWithoutRegardToCase)
{
    CNeededFiles files;
    AddIndexEntry(files, "GLOBAL.IFF", {{256, "Wait"}});
    AddIndexEntry(files, "chair.IFF", {{4097, "main"}});
    AddIndexEntry(files, "chairglobals.iff", {{8192, "Sit down"}});
    const CPlainTextRenderer renderer(files, "Chair.iff", "ChairGlobals");
    EXPECT_EQ(renderer.CallTargetName(256), "Global: Wait");
    EXPECT_EQ(renderer.Describe(4097, 1, 2, 3, 4), "Private: main (Stack: 1, 2, 3, 4)");
    EXPECT_EQ(renderer.CallTargetName(8192), "Semiglobal: Sit down");
}

TEST_F(CallNames, SemiGlobalNameWithoutDotGetsIffAppended)
{
    AddIndexEntry(m_files, "ChairGlobals", {{8192, "bare file"}});
    AddIndexEntry(m_files, "Odd.name", {{8192, "dotted file"}});
    AddIndexEntry(m_files, "Odd.name.IFF", {{8192, "extended dotted file"}});
    EXPECT_EQ(CPlainTextRenderer(m_files, "Chair.iff", "ChairGlobals").CallTargetName(8192), "Semiglobal: Sit down");
    EXPECT_EQ(CPlainTextRenderer(m_files, "Chair.iff", "chairglobals.iff").CallTargetName(8192), "Semiglobal: Sit down");
    EXPECT_EQ(CPlainTextRenderer(m_files, "Chair.iff", "Odd.name").CallTargetName(8192), "Semiglobal: dotted file");
}

TEST_F(CallNames, EmptySemiGlobalNameIsLookedUpAsDotIff)
{
    EXPECT_EQ(CPlainTextRenderer(m_files, "Chair.iff", "").CallTargetName(8192), "");
    AddIndexEntry(m_files, ".iff", {{8192, "nameless"}});
    EXPECT_EQ(CPlainTextRenderer(m_files, "Chair.iff", "").CallTargetName(8192), "Semiglobal: nameless");
}

TEST_F(CallNames, AnEntryLackingTheIdDoesNotEndTheSearch)
{
    CNeededFiles files;
    AddIndexEntry(files, "Global.iff", {{256, "Wait"}});
    AddIndexEntry(files, "Other.iff", {{257, "elsewhere"}});
    AddIndexEntry(files, "global.iff", {{257, "second copy"}, {256, "shadowed"}});
    const CPlainTextRenderer renderer(files, "", "");
    EXPECT_EQ(renderer.CallTargetName(257), "Global: second copy");
    EXPECT_EQ(renderer.CallTargetName(256), "Global: Wait");
}

TEST_F(CallNames, FirstScriptWithTheIdWinsWithinAFile)
{
    CNeededFiles files;
    AddIndexEntry(files, "Chair.iff", {{4096, "first"}, {4096, "second"}});
    EXPECT_EQ(CPlainTextRenderer(files, "Chair.iff", "").CallTargetName(4096), "Private: first");
}

TEST_F(CallNames, EmptyScriptNameStillCountsAsFound)
{
    CNeededFiles files;
    AddIndexEntry(files, "Global.iff", {{256, ""}});
    EXPECT_EQ(CPlainTextRenderer(files, "", "").Describe(256, 0, 0, 0, 0), "Global:  (Stack: 0, 0, 0, 0)");
}

TEST_F(CallNames, SourcesCanBeSetAfterConstruction)
{
    CPlainTextRenderer renderer;
    renderer.SetSources(m_files, "Chair.iff", "ChairGlobals");
    EXPECT_EQ(renderer.FileName(), "Chair.iff");
    EXPECT_EQ(renderer.SemiGlobalName(), "ChairGlobals");
    EXPECT_EQ(renderer.CallTargetName(4096), "Private: init");
}
