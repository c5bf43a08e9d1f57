// The line editor on its own: the two rows preset from the targets and stored on OK, their
// checks, Expert Edit's changes surviving, and the function picked by name.

#include "ScriptDialogDriving.h"
#include "tests/IndexedFiles.h"

#include "editors/ExpertLineDlg.h"
#include "editors/LineEditDlg.h"
#include "rendering/NeededFiles.h"
#include "rendering/PlainTextRenderer.h"
#include "resources/ScriptEditorIds.h"

#include <gtest/gtest.h>

namespace
{
CBhavInstruction MakeInstruction(std::uint16_t opcode, std::uint8_t t, std::uint8_t f,
                                 std::array<std::uint16_t, 4> params = {})
{
    CBhavInstruction instruction;
    instruction.opcode = opcode;
    instruction.trueTarget = t;
    instruction.falseTarget = f;
    instruction.params = params;
    return instruction;
}

class LineEditor : public testing::Test
{
protected:
    LineEditor() : m_scope(m_ui)
    {
        // Two files under the global name (the later one must not hide the earlier's names), a
        // global script in another file that calls cannot reach, the open file and the
        // semi-global file.
        AddIndexedFile(m_files, "GLOBAL.IFF", {{257, "Walk To Object"}, {256, "Wait For Notify"}});
        AddIndexedFile(m_files, "Global.iff", {{256, "Shadowed"}, {260, "Random Wait"}});
        AddIndexedFile(m_files, "Ambience.iff", {{300, "Ambient Sound Loop"}});
        AddIndexedFile(m_files, "Object.iff", {{4097, "choose seat"}, {4096, "main"}});
        AddIndexedFile(m_files, "Seating.iff", {{8193, "Stand Up"}, {8192, "Sit Down"}, {100, "misplaced"}});
        m_renderer.SetSources(m_files, "Object.iff", "Seating");
    }

    /// Runs the dialog on `instruction`; `body` runs inside it, then the drivers queued by
    /// `nested` drive the dialogs that the body opens.
    int Run(const CBhavInstruction& instruction, std::function<void(CLineEditDlg&)> body,
            std::function<void()> nested = {})
    {
        m_ui.modalDrivers.clear();
        m_dialog = std::make_unique<CLineEditDlg>();
        m_dialog->SetInstruction(instruction, m_renderer);
        m_dialog->SetScriptNames(m_files);
        Drive(m_ui, [body](wxDialog& dialog) { body(static_cast<CLineEditDlg&>(dialog)); });
        if (nested)
            nested();
        RefuseFurtherDialogs(m_ui);
        return Ui().RunModal(*m_dialog);
    }

    /// Runs the dialog, presses OK at once and returns the instruction it leaves.
    CBhavInstruction OkAtOnce(const CBhavInstruction& instruction)
    {
        EXPECT_EQ(Run(instruction, [](CLineEditDlg& dialog) { ClickButton(dialog, wxID_OK); }), wxID_OK);
        return m_dialog->Instruction();
    }

    CScriptedUserInterface m_ui;
    CUiScope m_scope;
    CNeededFiles m_files;
    CPlainTextRenderer m_renderer;
    std::unique_ptr<CLineEditDlg> m_dialog;
};

int Selected(wxWindow& dialog, int id)
{
    return Choice(dialog, id).GetSelection();
}
}

TEST_F(LineEditor, ShowsItsControlsWithTheirTexts)
{
    Run(MakeInstruction(2, 254, 255), [](CLineEditDlg& dialog) {
        EXPECT_EQ(dialog.GetTitle(), "Edit current line...");
        const std::vector<wxString> rows{"Go to", "return TRUE", "return FALSE", "return ERROR"};
        EXPECT_EQ(Entries(dialog, IDC_LINE_SUCCESS_CHOICE), rows);
        EXPECT_EQ(Entries(dialog, IDC_LINE_FAILURE_CHOICE), rows);
        const std::vector<wxString> scopes{"Primitive", "Global", "Private", "Semi-global"};
        EXPECT_EQ(Entries(dialog, IDC_LINE_FUNCTION_SCOPE), scopes);
        for (const int id : {IDC_LINE_PARAMETERS, IDC_LINE_EXPERT_EDIT, IDC_LINE_SUCCESS_LINE, IDC_LINE_FAILURE_LINE,
                             static_cast<int>(wxID_OK), static_cast<int>(wxID_CANCEL)})
            EXPECT_NE(dialog.FindWindow(id), nullptr) << id;
    });
}

TEST_F(LineEditor, PresetsBothRowsFromTheTargetsAndOkKeepsThem)
{
    struct Case
    {
        std::uint8_t trueTarget;
        std::uint8_t falseTarget;
        int successChoice;
        const char* successLine;
        int failureChoice;
        const char* failureLine;
    };
    const Case cases[] = {
        {254, 255, CLineEditDlg::kReturnTrue, "1", CLineEditDlg::kReturnFalse, "1"},
        {3, 0, CLineEditDlg::kGoTo, "4", CLineEditDlg::kGoTo, "1"},
        {253, 252, CLineEditDlg::kReturnError, "1", CLineEditDlg::kGoTo, "253"},
    };
    for (const Case& c : cases)
    {
        Run(MakeInstruction(2, c.trueTarget, c.falseTarget), [&c](CLineEditDlg& dialog) {
            EXPECT_EQ(Selected(dialog, IDC_LINE_SUCCESS_CHOICE), c.successChoice);
            EXPECT_EQ(Edit(dialog, IDC_LINE_SUCCESS_LINE).GetValue(), c.successLine);
            EXPECT_EQ(Selected(dialog, IDC_LINE_FAILURE_CHOICE), c.failureChoice);
            EXPECT_EQ(Edit(dialog, IDC_LINE_FAILURE_LINE).GetValue(), c.failureLine);
            // A line number field is open only where its row goes to a line.
            EXPECT_EQ(Edit(dialog, IDC_LINE_SUCCESS_LINE).IsEnabled(), c.successChoice == CLineEditDlg::kGoTo);
            EXPECT_EQ(Edit(dialog, IDC_LINE_FAILURE_LINE).IsEnabled(), c.failureChoice == CLineEditDlg::kGoTo);
        });
        const CBhavInstruction instruction = MakeInstruction(2, c.trueTarget, c.falseTarget, {1, 2, 3, 4});
        EXPECT_EQ(OkAtOnce(instruction), instruction) << int{c.trueTarget};
    }
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(LineEditor, RowsStoreLinesAndReturnCodes)
{
    struct Case
    {
        int successChoice;
        const char* successLine;
        int failureChoice;
        const char* failureLine;
        std::uint8_t trueTarget;
        std::uint8_t falseTarget;
    };
    const Case cases[] = {
        {CLineEditDlg::kGoTo, "5", CLineEditDlg::kReturnError, "1", 4, 253},
        {CLineEditDlg::kGoTo, "0", CLineEditDlg::kGoTo, "254", 255, 253},  // line 0 wraps to "return FALSE"
        {CLineEditDlg::kGoTo, "255", CLineEditDlg::kGoTo, "1", 254, 0},
        {CLineEditDlg::kReturnFalse, "9", CLineEditDlg::kReturnTrue, "9", 255, 254},
    };
    for (const Case& c : cases)
    {
        const int result = Run(MakeInstruction(0, 10, 10), [&c](CLineEditDlg& dialog) {
            Pick(dialog, IDC_LINE_SUCCESS_CHOICE, c.successChoice);
            Pick(dialog, IDC_LINE_FAILURE_CHOICE, c.failureChoice);
            Type(dialog, IDC_LINE_SUCCESS_LINE, c.successLine);
            Type(dialog, IDC_LINE_FAILURE_LINE, c.failureLine);
            ClickButton(dialog, wxID_OK);
        });
        EXPECT_EQ(result, wxID_OK) << c.successLine;
        EXPECT_EQ(m_dialog->Instruction().trueTarget, c.trueTarget) << c.successLine;
        EXPECT_EQ(m_dialog->Instruction().falseTarget, c.falseTarget) << c.failureLine;
    }
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(LineEditor, LineFieldsAreCheckedAndTheDialogStaysOpen)
{
    const CBhavInstruction original = MakeInstruction(0, 10, 11);
    const int result = Run(original, [this, &original](CLineEditDlg& dialog) {
        const struct
        {
            int field;
            const char* text;
            const char* message;
        } refusals[] = {
            {IDC_LINE_FAILURE_LINE, "0", "Please enter an integer between 1 and 254."},
            {IDC_LINE_FAILURE_LINE, "255", "Please enter an integer between 1 and 254."},
            {IDC_LINE_FAILURE_LINE, "256", "Please enter an integer between 0 and 255."},
            {IDC_LINE_FAILURE_LINE, "two", "Please enter an integer between 0 and 255."},
            {IDC_LINE_SUCCESS_LINE, "-1", "Please enter an integer between 0 and 255."},
            {IDC_LINE_SUCCESS_LINE, "", "Please enter an integer between 0 and 255."},
        };
        for (const auto& refusal : refusals)
        {
            Type(dialog, IDC_LINE_SUCCESS_LINE, "1");
            Type(dialog, IDC_LINE_FAILURE_LINE, "1");
            Type(dialog, refusal.field, refusal.text);
            m_ui.messages.clear();
            ClickButton(dialog, wxID_OK);
            EXPECT_TRUE(dialog.IsModal()) << refusal.text;
            ASSERT_EQ(m_ui.messages.size(), 1u) << refusal.text;
            EXPECT_EQ(m_ui.messages[0].text, refusal.message);
            EXPECT_EQ(m_ui.messages[0].owner, &dialog);
            EXPECT_EQ(wxWindow::FindFocus(), dialog.FindWindow(refusal.field)) << refusal.text;
            EXPECT_EQ(m_dialog->Instruction(), original);
        }
    });
    EXPECT_EQ(result, wxID_CANCEL);
}

TEST_F(LineEditor, ChoosingARowEnablesItsFieldOnlyForGoTo)
{
    Run(MakeInstruction(0, 4, 5), [this](CLineEditDlg& dialog) {
        wxTextCtrl& success = Edit(dialog, IDC_LINE_SUCCESS_LINE);
        wxTextCtrl& failure = Edit(dialog, IDC_LINE_FAILURE_LINE);
        Pick(dialog, IDC_LINE_SUCCESS_CHOICE, CLineEditDlg::kReturnTrue);
        EXPECT_FALSE(success.IsEnabled());
        EXPECT_TRUE(failure.IsEnabled());
        Pick(dialog, IDC_LINE_FAILURE_CHOICE, CLineEditDlg::kReturnError);
        EXPECT_FALSE(failure.IsEnabled());
        Pick(dialog, IDC_LINE_SUCCESS_CHOICE, CLineEditDlg::kGoTo);
        EXPECT_TRUE(success.IsEnabled());
        EXPECT_TRUE(m_ui.messages.empty());

        // A field that fails its check stops the reading before the new choice: the message is
        // shown and the field keeps following the choice read last.
        Pick(dialog, IDC_LINE_FAILURE_CHOICE, CLineEditDlg::kGoTo);
        Type(dialog, IDC_LINE_FAILURE_LINE, "0");
        Pick(dialog, IDC_LINE_SUCCESS_CHOICE, CLineEditDlg::kReturnFalse);
        ASSERT_EQ(m_ui.messages.size(), 1u);
        EXPECT_EQ(m_ui.messages[0].text, "Please enter an integer between 1 and 254.");
        EXPECT_TRUE(success.IsEnabled());
    });
}

TEST_F(LineEditor, ExpertEditChangesSurviveAndRowsFollowItsTargets)
{
    const CBhavInstruction original = MakeInstruction(2, 3, 4, {1, 2, 3, 4});
    const int result = Run(
        original,
        [](CLineEditDlg& dialog) {
            ClickButton(dialog, IDC_LINE_EXPERT_EDIT);
            EXPECT_EQ(Selected(dialog, IDC_LINE_SUCCESS_CHOICE), CLineEditDlg::kReturnTrue);
            EXPECT_EQ(Selected(dialog, IDC_LINE_FAILURE_CHOICE), CLineEditDlg::kGoTo);
            EXPECT_EQ(Edit(dialog, IDC_LINE_FAILURE_LINE).GetValue(), "7");
            EXPECT_FALSE(Edit(dialog, IDC_LINE_SUCCESS_LINE).IsEnabled());
            EXPECT_TRUE(Edit(dialog, IDC_LINE_FAILURE_LINE).IsEnabled());
            // The function group follows the new opcode.
            EXPECT_EQ(Selected(dialog, IDC_LINE_FUNCTION_SCOPE), CLineEditDlg::kScopePrimitive);
            EXPECT_EQ(Choice(dialog, IDC_LINE_FUNCTION).GetStringSelection(), "Expression (2)");
            ClickButton(dialog, wxID_OK);
        },
        [this] {
            Drive(m_ui, [](wxDialog& dialog) {
                EXPECT_EQ(Edit(dialog, IDC_EXPERT_FUNCTION_DEC).GetValue(), "2");
                EXPECT_EQ(Edit(dialog, IDC_EXPERT_TRUE_TARGET).GetValue(), "04");
                Type(dialog, IDC_EXPERT_FUNCTION_HEX, "1A");
                Type(dialog, IDC_EXPERT_PARAM0_DEC, "7");
                Type(dialog, IDC_EXPERT_FUNCTION_HEX, "2");
                Edit(dialog, IDC_EXPERT_TRUE_TARGET).ChangeValue("FF");
                Edit(dialog, IDC_EXPERT_FALSE_TARGET).ChangeValue("07");
                ClickButton(dialog, wxID_OK);
            });
        });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(m_dialog->Instruction(), MakeInstruction(2, 254, 6, {7, 2, 3, 4}));
    EXPECT_EQ(m_ui.modalRuns.size(), 2u);
}

TEST_F(LineEditor, RowChangedAfterExpertEditOverridesItsTarget)
{
    Run(
        MakeInstruction(0, 3, 4),
        [](CLineEditDlg& dialog) {
            ClickButton(dialog, IDC_LINE_EXPERT_EDIT);
            Pick(dialog, IDC_LINE_SUCCESS_CHOICE, CLineEditDlg::kGoTo);
            Type(dialog, IDC_LINE_SUCCESS_LINE, "2");
            ClickButton(dialog, wxID_OK);
        },
        [this] {
            Drive(m_ui, [](wxDialog& dialog) {
                Edit(dialog, IDC_EXPERT_TRUE_TARGET).ChangeValue("FE");
                Edit(dialog, IDC_EXPERT_FALSE_TARGET).ChangeValue("FE");
                Type(dialog, IDC_EXPERT_PARAM3_DEC, "9");
                ClickButton(dialog, wxID_OK);
            });
        });
    EXPECT_EQ(m_dialog->Instruction(), MakeInstruction(0, 1, 253, {0, 0, 0, 9}));
}

TEST_F(LineEditor, CancelledExpertEditChangesNothing)
{
    Run(
        MakeInstruction(5, 1, 2, {1, 1, 1, 1}),
        [](CLineEditDlg& dialog) {
            ClickButton(dialog, IDC_LINE_EXPERT_EDIT);
            ClickButton(dialog, wxID_OK);
        },
        [this] {
            Drive(m_ui, [](wxDialog& dialog) {
                Type(dialog, IDC_EXPERT_FUNCTION_DEC, "99");
                Edit(dialog, IDC_EXPERT_TRUE_TARGET).ChangeValue("FF");
                ClickButton(dialog, wxID_CANCEL);
            });
        });
    EXPECT_EQ(m_dialog->Instruction(), MakeInstruction(5, 1, 2, {1, 1, 1, 1}));
}

TEST_F(LineEditor, FunctionScopeStartsOnTheOpcodesScopeAndListsItsFunctionsByName)
{
    struct Case
    {
        std::uint16_t opcode;
        int scope;
        const char* selected;  // nullptr: the list holds no entry for the opcode
    };
    const Case cases[] = {
        {2, CLineEditDlg::kScopePrimitive, "Expression (2)"},
        {56, CLineEditDlg::kScopePrimitive, "~unused (in Sims Online) (56)"},
        {100, CLineEditDlg::kScopePrimitive, nullptr},
        {255, CLineEditDlg::kScopePrimitive, nullptr},
        {256, CLineEditDlg::kScopeGlobal, "Wait For Notify (256)"},
        {300, CLineEditDlg::kScopeGlobal, nullptr},
        {4095, CLineEditDlg::kScopeGlobal, nullptr},
        {4096, CLineEditDlg::kScopePrivate, "main (4096)"},
        {8191, CLineEditDlg::kScopePrivate, nullptr},
        {8193, CLineEditDlg::kScopeSemiGlobal, "Stand Up (8193)"},
        {65535, CLineEditDlg::kScopeSemiGlobal, nullptr},
    };
    for (const Case& c : cases)
    {
        Run(MakeInstruction(c.opcode, 0, 0), [&c](CLineEditDlg& dialog) {
            EXPECT_EQ(Selected(dialog, IDC_LINE_FUNCTION_SCOPE), c.scope) << c.opcode;
            wxChoice& functions = Choice(dialog, IDC_LINE_FUNCTION);
            if (c.selected == nullptr)
                EXPECT_EQ(functions.GetSelection(), wxNOT_FOUND) << c.opcode;
            else
                EXPECT_EQ(functions.GetStringSelection(), c.selected) << c.opcode;
        });
    }

    Run(MakeInstruction(0, 0, 0), [](CLineEditDlg& dialog) {
        const std::vector<wxString> primitives = Entries(dialog, IDC_LINE_FUNCTION);
        ASSERT_EQ(primitives.size(), 57u);
        EXPECT_EQ(primitives[0], "Idle (0)");
        EXPECT_EQ(primitives[31], "Set to Next (31)");
        // The names as the descriptions give them: the first entry of the file under the
        // name that calls use, in id order; other files' scripts and ids outside the scope left out.
        Pick(dialog, IDC_LINE_FUNCTION_SCOPE, CLineEditDlg::kScopeGlobal);
        EXPECT_EQ(Entries(dialog, IDC_LINE_FUNCTION),
                  (std::vector<wxString>{"Wait For Notify (256)", "Walk To Object (257)", "Random Wait (260)"}));
        Pick(dialog, IDC_LINE_FUNCTION_SCOPE, CLineEditDlg::kScopePrivate);
        EXPECT_EQ(Entries(dialog, IDC_LINE_FUNCTION), (std::vector<wxString>{"main (4096)", "choose seat (4097)"}));
        Pick(dialog, IDC_LINE_FUNCTION_SCOPE, CLineEditDlg::kScopeSemiGlobal);
        EXPECT_EQ(Entries(dialog, IDC_LINE_FUNCTION), (std::vector<wxString>{"Sit Down (8192)", "Stand Up (8193)"}));
        EXPECT_EQ(Choice(dialog, IDC_LINE_FUNCTION).GetSelection(), wxNOT_FOUND);
    });
}

TEST_F(LineEditor, PickedFunctionSetsTheOpcodeAndParametersOpenTheExpertEditor)
{
    const int result = Run(
        MakeInstruction(2, 254, 255, {1, 2, 3, 4}),
        [](CLineEditDlg& dialog) {
            Pick(dialog, IDC_LINE_FUNCTION_SCOPE, CLineEditDlg::kScopePrivate);
            Pick(dialog, IDC_LINE_FUNCTION, 1);
            ClickButton(dialog, IDC_LINE_PARAMETERS);
            EXPECT_EQ(Choice(dialog, IDC_LINE_FUNCTION).GetStringSelection(), "choose seat (4097)");
            ClickButton(dialog, wxID_OK);
        },
        [this] {
            Drive(m_ui, [](wxDialog& dialog) {
                EXPECT_NE(dynamic_cast<CExpertLineDlg*>(&dialog), nullptr);
                EXPECT_EQ(Edit(dialog, IDC_EXPERT_FUNCTION_DEC).GetValue(), "4097");
                EXPECT_EQ(Edit(dialog, IDC_EXPERT_DESCRIPTION).GetValue(), "Private: choose seat (Stack: 1, 2, 3, 4)");
                Type(dialog, IDC_EXPERT_PARAM0_DEC, "5");
                ClickButton(dialog, wxID_OK);
            });
        });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(m_dialog->Instruction(), MakeInstruction(4097, 254, 255, {5, 2, 3, 4}));
}
