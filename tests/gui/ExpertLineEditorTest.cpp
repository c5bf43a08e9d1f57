// The expert line editor on its own: the hexadecimal and decimal fields following each other, the
// live description, the targets entered plus one, and the checks of its fields.

#include "ScriptDialogDriving.h"
#include "tests/IndexedFiles.h"

#include "editors/ExpertLineDlg.h"
#include "rendering/NeededFiles.h"
#include "rendering/PlainTextRenderer.h"
#include "resources/ScriptEditorIds.h"

#include <gtest/gtest.h>

namespace
{
CBhavInstruction MakeInstruction(std::uint16_t opcode, std::uint8_t t, std::uint8_t f, std::uint16_t p0,
                                 std::uint16_t p1, std::uint16_t p2, std::uint16_t p3)
{
    CBhavInstruction instruction;
    instruction.opcode = opcode;
    instruction.trueTarget = t;
    instruction.falseTarget = f;
    instruction.params = {p0, p1, p2, p3};
    return instruction;
}

class ExpertLineEditor : public testing::Test
{
protected:
    ExpertLineEditor() : m_scope(m_ui)
    {
        AddIndexedFile(m_files, "Global.iff", {{256, "Wait For Notify"}});
        m_renderer.SetSources(m_files, "Object.iff", "Seating");
    }

    /// Runs the dialog on `instruction` with `body` inside; returns the end code.
    int Run(const CBhavInstruction& instruction, std::function<void(CExpertLineDlg&)> body, int end = wxID_CANCEL)
    {
        m_ui.modalDrivers.clear();  // the refusals queued by the previous run
        m_dialog = std::make_unique<CExpertLineDlg>();
        m_dialog->SetInstruction(instruction, m_renderer);
        Drive(m_ui, [body](wxDialog& dialog) { body(static_cast<CExpertLineDlg&>(dialog)); }, end);
        RefuseFurtherDialogs(m_ui);
        return Ui().RunModal(*m_dialog);
    }

    wxString Described(std::uint16_t opcode, std::uint16_t p0, std::uint16_t p1, std::uint16_t p2,
                       std::uint16_t p3) const
    {
        return wxString::FromUTF8(m_renderer.Describe(opcode, p0, p1, p2, p3));
    }

    CScriptedUserInterface m_ui;
    CUiScope m_scope;
    CNeededFiles m_files;
    CPlainTextRenderer m_renderer;
    std::unique_ptr<CExpertLineDlg> m_dialog;
};

wxString Text(wxWindow& dialog, int id)
{
    return Edit(dialog, id).GetValue();
}
}

TEST(HexField, ReadsLeadingHexadecimalNumber)
{
    EXPECT_EQ(ParseHexField("1A"), 0x1A);
    EXPECT_EQ(ParseHexField("  0x1f"), 0x1F);
    EXPECT_EQ(ParseHexField("0XFFFF"), 0xFFFF);
    EXPECT_EQ(ParseHexField("12zz"), 0x12);
    EXPECT_EQ(ParseHexField("123456"), std::nullopt);  // past 16 bits: refused, never cut down
    EXPECT_EQ(ParseHexField("0x"), 0);           // the 0 is a number; the x ends it
    EXPECT_EQ(ParseHexField(""), std::nullopt);
    EXPECT_EQ(ParseHexField("   "), std::nullopt);
    EXPECT_EQ(ParseHexField("zz"), std::nullopt);
    EXPECT_EQ(ParseHexField("-1"), std::nullopt);
}

TEST_F(ExpertLineEditor, ShowsEveryValueInBothColumnsAndTargetsPlusOne)
{
    Run(MakeInstruction(2, 254, 255, 1, 2, 3, 4), [this](CExpertLineDlg& dialog) {
        const int hex[] = {IDC_EXPERT_FUNCTION_HEX, IDC_EXPERT_PARAM0_HEX, IDC_EXPERT_PARAM1_HEX,
                           IDC_EXPERT_PARAM2_HEX, IDC_EXPERT_PARAM3_HEX};
        const int dec[] = {IDC_EXPERT_FUNCTION_DEC, IDC_EXPERT_PARAM0_DEC, IDC_EXPERT_PARAM1_DEC,
                           IDC_EXPERT_PARAM2_DEC, IDC_EXPERT_PARAM3_DEC};
        const char* hexTexts[] = {"0002", "0001", "0002", "0003", "0004"};
        const char* decTexts[] = {"2", "1", "2", "3", "4"};
        for (int row = 0; row < 5; ++row)
        {
            EXPECT_EQ(Text(dialog, hex[row]), hexTexts[row]) << row;
            EXPECT_EQ(Text(dialog, dec[row]), decTexts[row]) << row;
        }
        EXPECT_EQ(Text(dialog, IDC_EXPERT_TRUE_TARGET), "FF");
        EXPECT_EQ(Text(dialog, IDC_EXPERT_FALSE_TARGET), "00");
        EXPECT_EQ(Text(dialog, IDC_EXPERT_DESCRIPTION), Described(2, 1, 2, 3, 4));
        EXPECT_FALSE(Edit(dialog, IDC_EXPERT_DESCRIPTION).IsEditable());
    });
    Run(MakeInstruction(256, 0, 253, 0, 0, 0, 0xFFFF), [](CExpertLineDlg& dialog) {
        EXPECT_EQ(Text(dialog, IDC_EXPERT_TRUE_TARGET), "01");
        EXPECT_EQ(Text(dialog, IDC_EXPERT_FALSE_TARGET), "FE");
        EXPECT_EQ(Text(dialog, IDC_EXPERT_PARAM3_HEX), "FFFF");
        EXPECT_EQ(Text(dialog, IDC_EXPERT_PARAM3_DEC), "65535");
        EXPECT_EQ(Text(dialog, IDC_EXPERT_DESCRIPTION), "Global: Wait For Notify (Stack: 0, 0, 0, -1)");
    });
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(ExpertLineEditor, HexadecimalAndDecimalFieldsFollowEachOtherWithLiveDescription)
{
    const int result = Run(
        MakeInstruction(2, 254, 255, 1, 2, 3, 4),
        [this](CExpertLineDlg& dialog) {
            Type(dialog, IDC_EXPERT_FUNCTION_HEX, "1A");
            EXPECT_EQ(Text(dialog, IDC_EXPERT_FUNCTION_HEX), "1A");  // as typed
            EXPECT_EQ(Text(dialog, IDC_EXPERT_FUNCTION_DEC), "26");
            EXPECT_EQ(Text(dialog, IDC_EXPERT_DESCRIPTION), Described(26, 1, 2, 3, 4));

            Type(dialog, IDC_EXPERT_PARAM0_DEC, "300");
            EXPECT_EQ(Text(dialog, IDC_EXPERT_PARAM0_HEX), "012C");
            EXPECT_EQ(Text(dialog, IDC_EXPERT_DESCRIPTION), Described(26, 300, 2, 3, 4));

            // Above 16 bits the decimal field keeps what was typed, the value does not follow, and
            // OK refuses it with the field's range instead of wrapping it.
            Type(dialog, IDC_EXPERT_PARAM1_DEC, "65536");
            EXPECT_EQ(Text(dialog, IDC_EXPERT_PARAM1_HEX), "0002");
            EXPECT_EQ(Text(dialog, IDC_EXPERT_PARAM1_DEC), "65536");
            ClickButton(dialog, wxID_OK);
            EXPECT_TRUE(dialog.IsModal());
            EXPECT_EQ(m_ui.Texts(), (std::vector<wxString>{"Please enter an integer between 0 and 65535."}));
            Type(dialog, IDC_EXPERT_PARAM1_DEC, "0");
            EXPECT_EQ(Text(dialog, IDC_EXPERT_PARAM1_HEX), "0000");

            // Leading zeros are dropped from the decimal field; the other fields are untouched.
            Type(dialog, IDC_EXPERT_PARAM2_DEC, "007");
            EXPECT_EQ(Text(dialog, IDC_EXPERT_PARAM2_DEC), "7");
            EXPECT_EQ(Text(dialog, IDC_EXPERT_PARAM2_HEX), "0007");
            EXPECT_EQ(Text(dialog, IDC_EXPERT_FUNCTION_HEX), "1A");

            Type(dialog, IDC_EXPERT_PARAM3_HEX, "0xbeef");
            EXPECT_EQ(Text(dialog, IDC_EXPERT_PARAM3_DEC), "48879");
            ClickButton(dialog, wxID_OK);
        },
        wxID_CANCEL);
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(m_dialog->Instruction(), MakeInstruction(26, 254, 255, 300, 0, 7, 0xBEEF));
    EXPECT_EQ(m_ui.messages.size(), 1u);
}

TEST_F(ExpertLineEditor, HexadecimalTextWithoutNumberKeepsTheValue)
{
    Run(MakeInstruction(8, 0, 0, 10, 20, 30, 40), [this](CExpertLineDlg& dialog) {
        Type(dialog, IDC_EXPERT_PARAM0_HEX, "");
        EXPECT_EQ(Text(dialog, IDC_EXPERT_PARAM0_DEC), "10");
        Type(dialog, IDC_EXPERT_PARAM0_HEX, "xyz");
        EXPECT_EQ(Text(dialog, IDC_EXPERT_PARAM0_DEC), "10");
        EXPECT_EQ(Text(dialog, IDC_EXPERT_PARAM0_HEX), "xyz");
        EXPECT_EQ(Text(dialog, IDC_EXPERT_DESCRIPTION), Described(8, 10, 20, 30, 40));
        ClickButton(dialog, wxID_OK);
        EXPECT_EQ(m_dialog->Instruction(), MakeInstruction(8, 0, 0, 10, 20, 30, 40));
    });
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(ExpertLineEditor, HexadecimalFieldsTakeSixCharacters)
{
    Run(MakeInstruction(0, 0, 0, 0, 0, 0, 0), [](CExpertLineDlg& dialog) {
        wxTextCtrl& field = Edit(dialog, IDC_EXPERT_FUNCTION_HEX);
        field.SetFocus();
        field.Clear();
        for (const char* key : {"0", "x", "1", "2", "3", "4", "5"})
            field.WriteText(key);
        EXPECT_EQ(field.GetValue(), "0x1234");
        EXPECT_EQ(Text(dialog, IDC_EXPERT_FUNCTION_DEC), "4660");
    });
}

TEST_F(ExpertLineEditor, EmptiedDecimalFieldWaitsAndOkRefusesIt)
{
    Run(MakeInstruction(2, 254, 255, 1, 2, 3, 4), [this](CExpertLineDlg& dialog) {
        // Emptied on the way to another number: nothing is said, the value stays.
        Type(dialog, IDC_EXPERT_PARAM1_DEC, "");
        EXPECT_TRUE(m_ui.messages.empty());
        EXPECT_EQ(Text(dialog, IDC_EXPERT_PARAM1_HEX), "0002");
        ClickButton(dialog, wxID_OK);
        EXPECT_TRUE(dialog.IsModal());
        ASSERT_EQ(m_ui.messages.size(), 1u);
        EXPECT_EQ(m_ui.messages[0].text, "Please enter a positive integer.");
        EXPECT_EQ(m_ui.messages[0].owner, &dialog);
        Type(dialog, IDC_EXPERT_PARAM1_DEC, "2");

        // A pasted text that is no number meets the same check, here on OK.
        Edit(dialog, IDC_EXPERT_PARAM2_DEC).ChangeValue("12a");
        ClickButton(dialog, wxID_OK);
        EXPECT_TRUE(dialog.IsModal());
        ASSERT_EQ(m_ui.messages.size(), 2u);
        EXPECT_EQ(m_ui.messages[1].text, "Please enter a positive integer.");
    });
}

TEST_F(ExpertLineEditor, TargetsAreEnteredAsTargetPlusOne)
{
    struct Case
    {
        const char* trueText;
        const char* falseText;
        std::uint8_t trueTarget;
        std::uint8_t falseTarget;
    };
    // "zz" holds no number: the target stays 7.
    const Case cases[] = {{"00", "FF", 255, 254}, {"01", "fe", 0, 253}, {"0A", "zz", 9, 7}, {"", "1", 7, 0}};
    for (const Case& c : cases)
    {
        const int result = Run(MakeInstruction(0, 7, 7, 0, 0, 0, 0), [&c](CExpertLineDlg& dialog) {
            Edit(dialog, IDC_EXPERT_TRUE_TARGET).ChangeValue(c.trueText);
            Edit(dialog, IDC_EXPERT_FALSE_TARGET).ChangeValue(c.falseText);
            ClickButton(dialog, wxID_OK);
        });
        EXPECT_EQ(result, wxID_OK) << c.trueText;
        EXPECT_EQ(m_dialog->Instruction().trueTarget, c.trueTarget) << c.trueText;
        EXPECT_EQ(m_dialog->Instruction().falseTarget, c.falseTarget) << c.falseText;
    }
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(ExpertLineEditor, TargetFieldsHoldTwoCharacters)
{
    Run(MakeInstruction(0, 7, 7, 0, 0, 0, 0), [this](CExpertLineDlg& dialog) {
        wxTextCtrl& field = Edit(dialog, IDC_EXPERT_TRUE_TARGET);
        field.SetFocus();
        field.Clear();
        for (const char* key : {"1", "2", "3"})
            field.WriteText(key);
        EXPECT_EQ(field.GetValue(), "12");
        ClickButton(dialog, wxID_OK);
        EXPECT_FALSE(dialog.IsModal());
        EXPECT_EQ(m_dialog->Instruction().trueTarget, 0x11);
    });
    EXPECT_TRUE(m_ui.messages.empty());
}
