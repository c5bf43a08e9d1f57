// The script editor: its lines, Add, Copy, Delete, Optimize and the editing of one line, on a
// script of the test's own; then the whole road from the main view on the sample object, with
// Cancel at every level and OK storing what the list shows.

#include "ScriptDialogDriving.h"
#include "tests/IndexedFiles.h"

#include "MainFrame.h"
#include "ReferencesDlg.h"
#include "TreewrightDoc.h"
#include "TreewrightView.h"

#include "containers/TypeCodes.h"
#include "editors/ExpertLineDlg.h"
#include "editors/LineEditDlg.h"
#include "editors/ScriptEditorDlg.h"
#include "editors/ScriptLineListBox.h"
#include "records/BhavScript.h"
#include "rendering/NeededFiles.h"
#include "resources/ResourceIds.h"
#include "resources/ScriptEditorIds.h"

#include <gtest/gtest.h>

#include <wx/cmdproc.h>
#include <wx/statusbr.h>

#include <algorithm>
#include <deque>


namespace
{
CBhavInstruction Line(std::uint16_t opcode, std::uint8_t t, std::uint8_t f, std::array<std::uint16_t, 4> params = {})
{
    CBhavInstruction instruction;
    instruction.opcode = opcode;
    instruction.trueTarget = t;
    instruction.falseTarget = f;
    instruction.params = params;
    return instruction;
}

CBhavScript Script(std::vector<CBhavInstruction> lines)
{
    CBhavScript script;
    script.SetName("test script");
    script.ReplaceLines(std::move(lines));
    return script;
}

/// What the list shows: one text per line, "number|description|success|failure".
std::vector<std::string> Shown(const CScriptLineListBox& list)
{
    std::vector<std::string> shown;
    for (std::size_t i = 0; i < list.Count(); ++i)
    {
        const CScriptLineItem& item = *list.Item(i);
        shown.push_back(std::to_string(item.lineNumber) + "|" + item.description.utf8_string() + "|" +
                        item.successText.utf8_string() + "|" + item.failureText.utf8_string());
    }
    return shown;
}

class ScriptEditor : public testing::Test
{
protected:
    ScriptEditor() : m_scope(m_ui)
    {
        AddIndexedFile(m_files, "Global.iff", {{256, "Wait For Notify"}});
        AddIndexedFile(m_files, "Object.iff", {{4096, "main"}});
    }

    /// Runs the editor on m_script; `body` runs inside it, after the drivers of `nested` have
    /// been queued for the dialogs that the body opens.
    int Run(std::function<void(CScriptEditorDlg&)> body, std::vector<std::function<void(wxDialog&)>> nested = {})
    {
        m_ui.modalDrivers.clear();
        m_dialog = std::make_unique<CScriptEditorDlg>();
        m_dialog->SetScript(m_script, m_files, "Object.iff", "Seating");
        if (m_opener)
            m_dialog->SetScriptOpener(m_opener);
        Drive(m_ui, [body](wxDialog& dialog) { body(static_cast<CScriptEditorDlg&>(dialog)); });
        for (auto& driver : nested)
            Drive(m_ui, std::move(driver));
        RefuseFurtherDialogs(m_ui);
        return Ui().RunModal(*m_dialog);
    }

    CScriptedUserInterface m_ui;
    CUiScope m_scope;
    CNeededFiles m_files;
    CBhavScript m_script;
    CScriptEditorDlg::CScriptOpener m_opener;
    std::unique_ptr<CScriptEditorDlg> m_dialog;
};

/// `count` lines, each going on to the next on success; the last returns TRUE. A line's opcode is
/// its number, so that the tests see where it went.
std::vector<CBhavInstruction> Chain(int count)
{
    std::vector<CBhavInstruction> lines;
    for (int line = 0; line < count; ++line)
        lines.push_back(Line(std::uint16_t(line), std::uint8_t(line + 1 < count ? line + 1 : 254), 255));
    return lines;
}

wxString StatusOf(const CScriptEditorDlg& dialog)
{
    return dialog.FindWindow(IDC_SCRIPT_STATUS)->GetLabel();
}
}

TEST_F(ScriptEditor, ShowsEveryLineWithDescriptionAndTargets)
{
    m_script = Script({Line(256, 254, 255, {1, 2, 3, 65535}), Line(4096, 253, 9), Line(0, 0, 1, {1, 2, 3, 4}),
                       Line(2, 252, 2, {3, 1, 0x0500, 0x0708})});
    Run([](CScriptEditorDlg& dialog) {
        EXPECT_EQ(dialog.GetTitle(), "SimAntics Script Editor - #0: test script");
        EXPECT_EQ(Shown(*dialog.Lines()),
                  (std::vector<std::string>{
                      "1|Global: Wait For Notify (Stack: 1, 2, 3, -1)|return TRUE|return FALSE",
                      "2|Private: main (Stack: 0, 0, 0, 0)|return ERROR|goto line 10 (missing)",
                      "3|Idle (Stack: 1, 2, 3, 4)|goto line 1|goto line 2",
                      "4|Temporary Storage 3 Assign To: 1|goto line 253 (missing)|goto line 3",
                  }));
        EXPECT_EQ(dialog.Lines()->GetSelection(), 0);
        EXPECT_TRUE(dialog.Lines()->Item(1)->failureMissing);
        EXPECT_FALSE(dialog.Lines()->Item(1)->successMissing);
        for (const int id : {IDC_SCRIPT_OPTIMIZE, IDC_SCRIPT_ADD, IDC_SCRIPT_DELETE, IDC_SCRIPT_COPY,
                             static_cast<int>(wxID_OK), static_cast<int>(wxID_CANCEL)})
            EXPECT_NE(dialog.FindWindow(id), nullptr) << id;
    });
}

TEST_F(ScriptEditor, AddAppendsAnEmptyLineAndSelectsIt)
{
    Run([this](CScriptEditorDlg& dialog) {
        ClickButton(dialog, IDC_SCRIPT_ADD);
        EXPECT_EQ(Shown(*dialog.Lines()),
                  (std::vector<std::string>{"1|Idle (Stack: 0, 0, 0, 0)|goto line 1|goto line 1"}));
        EXPECT_EQ(dialog.Lines()->GetSelection(), 0);

        ClickButton(dialog, IDC_SCRIPT_ADD);
        ASSERT_EQ(dialog.Lines()->Count(), 2u);
        EXPECT_EQ(dialog.Lines()->Item(1)->lineNumber, 2);
        EXPECT_EQ(dialog.Lines()->GetSelection(), 1);
        EXPECT_EQ(m_script.Lines(), (std::vector<CBhavInstruction>{Line(0, 0, 0), Line(0, 0, 0)}));
    });
}

TEST_F(ScriptEditor, CopyAppendsTheSelectedLineUnchanged)
{
    m_script = Script({Line(0, 1, 254), Line(8, 2, 255, {0, 8, 10, 0}), Line(0, 254, 254)});
    Run([this](CScriptEditorDlg& dialog) {
        SelectLine(*dialog.Lines(), wxNOT_FOUND);
        ClickButton(dialog, IDC_SCRIPT_COPY);  // nothing selected: nothing happens
        EXPECT_EQ(m_script.Lines().size(), 3u);

        SelectLine(*dialog.Lines(), 1);
        ClickButton(dialog, IDC_SCRIPT_COPY);
        ASSERT_EQ(m_script.Lines().size(), 4u);
        EXPECT_EQ(m_script.Lines()[3], m_script.Lines()[1]);
        const std::vector<std::string> shown = Shown(*dialog.Lines());
        EXPECT_EQ(shown[3], "4" + shown[1].substr(1));
        EXPECT_EQ(dialog.Lines()->GetSelection(), 3);
    });
}

TEST_F(ScriptEditor, DeleteKeepsTheOtherTargetsAndSelectsTheLineThatMovedUp)
{
    std::vector<CBhavInstruction> lines;
    for (std::uint16_t i = 0; i < 8; ++i)
        lines.push_back(Line(0, static_cast<std::uint8_t>(i + 1), 254, {i, 0, 0, 0}));
    lines[4].trueTarget = 6;  // line 5 goes on to line 7
    m_script = Script(lines);
    Run([this](CScriptEditorDlg& dialog) {
        CScriptLineListBox& list = *dialog.Lines();
        SelectLine(list, wxNOT_FOUND);
        ClickButton(dialog, IDC_SCRIPT_DELETE);  // nothing selected: nothing happens
        EXPECT_EQ(list.Count(), 8u);

        SelectLine(list, 2);
        ClickButton(dialog, IDC_SCRIPT_DELETE);
        ASSERT_EQ(list.Count(), 7u);
        EXPECT_EQ(m_script.Lines().size(), 7u);
        EXPECT_EQ(m_script.Lines()[2].params[0], 3);
        // The former line 5 is line 4 now and still goes to line 7, the former line 8.
        EXPECT_EQ(list.Item(3)->lineNumber, 4);
        EXPECT_EQ(list.Item(3)->successText, "goto line 7");
        EXPECT_EQ(list.Item(3)->description, "Idle (Stack: 4, 0, 0, 0)");
        EXPECT_EQ(list.GetSelection(), 2);
        EXPECT_EQ(list.Item(2)->description, "Idle (Stack: 3, 0, 0, 0)");

        SelectLine(list, 6);
        ClickButton(dialog, IDC_SCRIPT_DELETE);
        EXPECT_EQ(list.Count(), 6u);
        EXPECT_EQ(list.GetSelection(), wxNOT_FOUND);
        for (std::size_t i = 0; i < list.Count(); ++i)
            EXPECT_EQ(list.Item(i)->lineNumber, static_cast<int>(i + 1));
    });
}

TEST_F(ScriptEditor, OptimizeKeepsReachableLinesRenumberedAndSelectsNone)
{
    m_script = Script({Line(0, 2, 1), Line(1, 254, 255), Line(2, 255, 255), Line(3, 254, 254)});
    Run([this](CScriptEditorDlg& dialog) {
        SelectLine(*dialog.Lines(), 3);
        ClickButton(dialog, IDC_SCRIPT_OPTIMIZE);
        EXPECT_EQ(m_script.Lines(),
                  (std::vector<CBhavInstruction>{Line(0, 1, 2), Line(2, 255, 255), Line(1, 254, 255)}));
        const std::vector<std::string> shown = Shown(*dialog.Lines());
        ASSERT_EQ(shown.size(), 3u);
        EXPECT_EQ(shown[0], "1|Idle (Stack: 0, 0, 0, 0)|goto line 2|goto line 3");
        EXPECT_EQ(shown[1].substr(0, 2), "2|");
        EXPECT_EQ(shown[1].substr(shown[1].size() - 26), "|return FALSE|return FALSE");
        EXPECT_EQ(shown[2], "3|GenericSimCall (house tutorial complete, 0, 0, 0)|return TRUE|return FALSE");
        EXPECT_EQ(dialog.Lines()->GetSelection(), wxNOT_FOUND);
    });
}

TEST_F(ScriptEditor, DoubleClickEditsOnlyThatLine)
{
    m_script = Script({Line(0, 1, 254), Line(0, 2, 254), Line(0, 254, 255)});
    const CBhavScript original = m_script;
    Run(
        [this, &original](CScriptEditorDlg& dialog) {
            CScriptLineListBox& list = *dialog.Lines();
            SelectLine(list, wxNOT_FOUND, true);  // no line: no line editor
            EXPECT_EQ(m_ui.modalRuns.size(), 1u);

            SelectLine(list, 1, true);  // the line editor is cancelled
            EXPECT_EQ(m_script.Lines(), original.Lines());
            const std::vector<std::string> before = Shown(list);

            SelectLine(list, 1, true);  // the line editor ends with OK
            EXPECT_EQ(m_script.Lines()[1], Line(0, 4, 253));
            const std::vector<std::string> after = Shown(list);
            EXPECT_EQ(after[0], before[0]);
            EXPECT_EQ(after[1], "2|Idle (Stack: 0, 0, 0, 0)|goto line 5 (missing)|return ERROR");
            EXPECT_EQ(after[2], before[2]);
            EXPECT_EQ(list.GetSelection(), 1);
        },
        {
            [](wxDialog& dialog) {
                EXPECT_NE(dynamic_cast<CLineEditDlg*>(&dialog), nullptr);
                Pick(dialog, IDC_LINE_SUCCESS_CHOICE, CLineEditDlg::kReturnFalse);
                ClickButton(dialog, wxID_CANCEL);
            },
            [](wxDialog& dialog) {
                EXPECT_EQ(Edit(dialog, IDC_LINE_SUCCESS_LINE).GetValue(), "3");
                Type(dialog, IDC_LINE_SUCCESS_LINE, "5");
                Pick(dialog, IDC_LINE_FAILURE_CHOICE, CLineEditDlg::kReturnError);
                ClickButton(dialog, wxID_OK);
            },
        });
    EXPECT_EQ(m_ui.modalRuns.size(), 3u);
}

TEST_F(ScriptEditor, LinesStayTallWhateverTheirText)
{
    m_script = Script({Line(0, 1, 1), Line(31, 254, 255, {6, 0, 6, 2})});
    Run([](CScriptEditorDlg& dialog) {
        // A short line and a long one are equally tall, and tall enough for the list's text.
        CScriptLineListBox& list = *dialog.Lines();
        ASSERT_EQ(list.Count(), 2u);
        const int height = list.GetItemRect(0).GetHeight();
        EXPECT_EQ(list.GetItemRect(1).GetHeight(), height);
        EXPECT_GE(height, list.GetCharHeight());
    });
}

TEST_F(ScriptEditor, EveryChangeIsUndoneAndRedoneWithTheKeys)
{
    m_script = Script({Line(0, 1, 254), Line(1, 254, 255), Line(2, 254, 254)});  // line 3 is unreachable
    struct CStep
    {
        const char* what;
        int select;  // the line selected before the change; -2: as the last step left it
        std::function<void(CScriptEditorDlg&)> change;
    };
    const std::vector<CStep> steps = {
        {"copy", 1, [](CScriptEditorDlg& d) { ClickButton(d, IDC_SCRIPT_COPY); }},
        {"add", -2, [](CScriptEditorDlg& d) { ClickButton(d, IDC_SCRIPT_ADD); }},
        {"delete", 2, [](CScriptEditorDlg& d) { ClickButton(d, IDC_SCRIPT_DELETE); }},
        {"optimize", 3, [](CScriptEditorDlg& d) { ClickButton(d, IDC_SCRIPT_OPTIMIZE); }},
        {"line edit", 0, [](CScriptEditorDlg& d) { SelectLine(*d.Lines(), 0, true); }},
    };
    struct CView
    {
        std::vector<CBhavInstruction> instructions;
        std::vector<std::string> shown;
        int selection;
    };
    Run(
        [&](CScriptEditorDlg& dialog) {
            const auto view = [&] {
                return CView{m_script.Lines(), Shown(*dialog.Lines()), dialog.Lines()->GetSelection()};
            };
            const auto expectView = [&](const CView& expected, bool selection, const std::string& what) {
                SCOPED_TRACE(what);
                EXPECT_EQ(m_script.Lines(), expected.instructions);
                EXPECT_EQ(Shown(*dialog.Lines()), expected.shown);
                if (selection)
                {
                    EXPECT_EQ(dialog.Lines()->GetSelection(), expected.selection);
                }
            };
            std::vector<CView> before, after;
            for (const CStep& step : steps)
            {
                if (step.select != -2)
                    SelectLine(*dialog.Lines(), step.select);
                before.push_back(view());
                step.change(dialog);
                after.push_back(view());
                ASSERT_NE(after.back().instructions, before.back().instructions) << step.what;
            }
            PressKey(*dialog.Lines(), 'Z', wxMOD_NONE);  // not a command
            PressKey(*dialog.Lines(), 'Z', wxMOD_CONTROL | wxMOD_ALT);
            expectView(after.back(), true, "other keys");

            for (std::size_t i = steps.size(); i-- > 0;)
            {
                PressKey(*dialog.Lines(), 'Z', wxMOD_CONTROL);
                expectView(before[i], true, std::string("undo ") + steps[i].what);
            }
            EXPECT_FALSE(dialog.CanUndo());
            PressKey(*dialog.Lines(), 'Z', wxMOD_CONTROL);  // nothing left to undo
            expectView(before.front(), true, "undo past the start");

            for (std::size_t i = 0; i < steps.size(); ++i)
            {
                // Both keys redo.
                if (i % 2 == 0)
                    PressKey(*dialog.Lines(), 'Y', wxMOD_CONTROL);
                else
                    PressKey(*dialog.Lines(), 'Z', wxMOD_CONTROL | wxMOD_SHIFT);
                expectView(after[i], false, std::string("redo ") + steps[i].what);
            }
            EXPECT_FALSE(dialog.CanRedo());

            // A new change after an undo ends the redoing.
            PressKey(*dialog.Lines(), 'Z', wxMOD_CONTROL);
            ClickButton(dialog, IDC_SCRIPT_ADD);
            const CView added = view();
            PressKey(*dialog.Lines(), 'Y', wxMOD_CONTROL);
            expectView(added, true, "redo after a new change");
            PressKey(*dialog.Lines(), 'Z', wxMOD_CONTROL);
            expectView(before.back(), false, "undo of the new change");

            // A change that changes nothing is no step: Copy with no line selected.
            SelectLine(*dialog.Lines(), wxNOT_FOUND);
            ClickButton(dialog, IDC_SCRIPT_COPY);
            PressKey(*dialog.Lines(), 'Z', wxMOD_CONTROL);
            expectView(before[steps.size() - 2], false, "undo after a copy of nothing");
        },
        {[](wxDialog& dialog) {
            Pick(dialog, IDC_LINE_SUCCESS_CHOICE, CLineEditDlg::kReturnError);
            ClickButton(dialog, wxID_OK);
        }});
}

TEST_F(ScriptEditor, LineCommandsKeepEveryJumpOnItsInstructionAndAreUndone)
{
    using Lines = std::vector<CBhavInstruction>;
    const auto key = [](int code, int modifiers) {
        return [code, modifiers](CScriptEditorDlg& d) { PressKey(*d.Lines(), code, modifiers); };
    };
    const auto button = [](int id) { return [id](CScriptEditorDlg& d) { ClickButton(d, id); }; };
    struct CRow
    {
        const char* what;
        Lines start;
        int select;
        std::function<void(CScriptEditorDlg&)> command;
        Lines after;  // empty: the script stays as it was
        int selected;
        const char* message;  // the one message shown, or nullptr
    };
    const std::vector<CRow> rows = {
        {"Insert before line 2", {Line(10, 1, 2), Line(11, 2, 254), Line(12, 255, 0)}, 1, key(WXK_INSERT, 0),
         {Line(10, 2, 3), Line(0, 2, 2), Line(11, 3, 254), Line(12, 255, 0)}, 1, nullptr},
        {"Alt+Down", {Line(10, 1, 2), Line(11, 0, 254), Line(12, 2, 2)}, 0, key(WXK_DOWN, wxMOD_ALT),
         {Line(11, 1, 254), Line(10, 0, 2), Line(12, 2, 2)}, 1, nullptr},
        {"Shift+Delete sends the jumps into the line on to its success target",
         {Line(10, 1, 3), Line(11, 3, 254), Line(12, 1, 1), Line(13, 254, 255)}, 1, key(WXK_DELETE, wxMOD_SHIFT),
         {Line(10, 2, 2), Line(12, 2, 2), Line(13, 254, 255)}, 1,
         "The jumps into the deleted line 2 now go where it went on success (goto line 3): line 1 on success, "
         "line 2 on success, line 2 on failure."},
        {"Delete and renumber of a line that returns", {Line(10, 1, 255), Line(11, 254, 0)}, 1,
         button(IDC_SCRIPT_DELETE_RENUMBER), {Line(10, 254, 255)}, 0,
         "The jumps into the deleted line 2 now go where it went on success (return TRUE): line 1 on success."},
        {"Insert that would push line 253 out of reach", Chain(253), 0, key(WXK_INSERT, 0), {}, 0,
         "Line 252 jumps to line 253, which this would move past line 253, the last line a jump can reach."},
    };
    for (const CRow& row : rows)
    {
        SCOPED_TRACE(row.what);
        m_script = Script(row.start);
        m_ui.messages.clear();
        Run([&](CScriptEditorDlg& dialog) {
            SelectLine(*dialog.Lines(), row.select);
            row.command(dialog);
            EXPECT_EQ(m_script.Lines(), row.after.empty() ? row.start : row.after);
            EXPECT_EQ(dialog.Lines()->Count(), m_script.Lines().size());
            EXPECT_EQ(dialog.Lines()->GetSelection(), row.selected);
            if (row.message != nullptr)
                EXPECT_EQ(m_ui.Texts(), std::vector<wxString>{row.message});
            else
                EXPECT_TRUE(m_ui.messages.empty());
            EXPECT_EQ(dialog.CanUndo(), !row.after.empty());
            PressKey(*dialog.Lines(), 'Z', wxMOD_CONTROL);
            EXPECT_EQ(m_script.Lines(), row.start);
            EXPECT_EQ(dialog.Lines()->GetSelection(), row.select);
        });
    }
}

TEST_F(ScriptEditor, OkWithAJumpToAMissingLineAsksFirst)
{
    struct CRow
    {
        const char* what;
        std::vector<CBhavInstruction> lines;
        std::deque<int> answers;
        int ended;  // wxID_CANCEL: the editor stayed open and was cancelled afterwards
        std::vector<wxString> asked;
    };
    const wxString question = "Line 3 jumps to line 10, which does not exist. Store anyway?";
    const std::vector<CRow> rows = {
        {"every jump names a line", {Line(0, 1, 254), Line(0, 254, 255)}, {}, wxID_OK, {}},
        {"No keeps the editor open", {Line(0, 1, 254), Line(0, 2, 255), Line(0, 254, 9)}, {wxID_NO}, wxID_CANCEL,
         {question}},
        {"Yes stores", {Line(0, 1, 254), Line(0, 2, 255), Line(0, 254, 9)}, {wxID_YES}, wxID_OK, {question}},
    };
    for (const CRow& row : rows)
    {
        SCOPED_TRACE(row.what);
        m_script = Script(row.lines);
        m_ui.messages.clear();
        m_ui.answers = row.answers;
        const int ended = Run([](CScriptEditorDlg& dialog) { PressKey(*dialog.Lines(), WXK_RETURN, wxMOD_CONTROL); });
        EXPECT_EQ(ended, row.ended);
        EXPECT_EQ(m_ui.Texts(), row.asked);
        for (const CShownMessage& message : m_ui.messages)
            EXPECT_EQ(message.caption, "Warning:");
    }
}

TEST_F(ScriptEditor, KeysMoveTheSelectionAndReachTheLineEditorAndTheButtons)
{
    std::vector<CBhavInstruction> lines;
    for (std::uint16_t i = 0; i < 40; ++i)
        lines.push_back(Line(0, 254, 255, {i, 0, 0, 0}));
    constexpr int kOnePageDown = -2;  // a page is some lines more than one and fewer than all
    struct CRow
    {
        std::vector<std::pair<int, int>> keys;  // key, modifiers
        int selected;
        int editedLine;  // the line the line editor was opened on; -1: none
        int ended;       // how the editor ended; the driver ends it with OK when the keys did not
    };
    const std::vector<CRow> rows = {
        {{}, 0, -1, wxID_OK},
        {{{WXK_DOWN, 0}, {WXK_DOWN, 0}, {WXK_UP, 0}}, 1, -1, wxID_OK},
        {{{WXK_END, 0}}, 39, -1, wxID_OK},
        {{{WXK_END, 0}, {WXK_HOME, 0}}, 0, -1, wxID_OK},
        {{{WXK_PAGEDOWN, 0}, {WXK_PAGEDOWN, 0}, {WXK_PAGEUP, 0}}, kOnePageDown, -1, wxID_OK},
        {{{WXK_RETURN, 0}}, 0, 0, wxID_OK},
        {{{WXK_DOWN, 0}, {WXK_F2, 0}}, 1, 1, wxID_OK},
        {{{WXK_RETURN, wxMOD_CONTROL}}, 0, -1, wxID_OK},
        {{{WXK_ESCAPE, 0}}, 0, -1, wxID_CANCEL},
    };
    for (const CRow& row : rows)
    {
        SCOPED_TRACE(testing::PrintToString(row.keys));
        m_script = Script(lines);
        int edited = -1;
        int selection = -2;
        m_ui.modalDrivers.clear();
        m_dialog = std::make_unique<CScriptEditorDlg>();
        m_dialog->SetScript(m_script, m_files, "Object.iff", "Seating");
        Drive(
            m_ui,
            [&](wxDialog& dialog) {
                auto& editor = static_cast<CScriptEditorDlg&>(dialog);
                if (row.keys.empty())
                {
                    EXPECT_EQ(wxWindow::FindFocus(), editor.Lines());
                }
                for (const auto& [key, modifiers] : row.keys)
                    PressKey(*editor.Lines(), key, modifiers);
                selection = editor.Lines()->GetSelection();
            },
            wxID_OK);
        Drive(m_ui, [&](wxDialog& dialog) {
            edited = static_cast<CLineEditDlg&>(dialog).Instruction().params[0];
        });
        const int ended = Ui().RunModal(*m_dialog);
        EXPECT_EQ(ended, row.ended);
        EXPECT_EQ(edited, row.editedLine);
        if (row.selected == kOnePageDown)
        {
            EXPECT_GT(selection, 1);
            EXPECT_LT(selection, 39);
        }
        else if (row.ended == wxID_OK)
        {
            EXPECT_EQ(selection, row.selected);
        }
    }
}

TEST_F(ScriptEditor, GoToCalledScriptOpensItOrSaysWhyNot)
{
    struct CRow
    {
        const char* what;
        std::uint16_t opcode;
        bool byMouse;  // Ctrl+double-click instead of F12
        wxString status;
        int openerCalls;
    };
    const std::vector<CRow> rows = {
        {"a primitive", 2, false, "Line 2 calls no script.", 0},
        {"a global script that no loaded file holds", 300, true, "Global script #300 is not loaded.", 0},
        {"a semi-global script that no loaded file holds", 8192, false, "Semi-global script #8192 is not loaded.", 0},
        {"a global script that does not decode", 256, false,
         "BHAV #256 \"Wait For Notify\": the script is damaged: it promises more than its data hold", 0},
        {"a script of the file", 4097, true, "", 1},
        {"a script of the file that does not open", 4098, false, "no such script", 1},
    };
    for (const CRow& row : rows)
    {
        SCOPED_TRACE(row.what);
        m_script = Script({Line(0, 1, 254), Line(row.opcode, 254, 255)});
        m_script.SetId(4096);
        int calls = 0;
        m_opener = [&](std::uint16_t id, wxWindow& parent) {
            ++calls;
            EXPECT_EQ(id, row.opcode);
            EXPECT_EQ(&parent, m_dialog.get());
            return id == 4098 ? wxString("no such script") : wxString();
        };
        Run([&](CScriptEditorDlg& dialog) {
            if (row.byMouse)
                DoubleClickWith(*dialog.Lines(), 1, wxMOD_CONTROL);
            else
            {
                SelectLine(*dialog.Lines(), 1);
                PressKey(*dialog.Lines(), WXK_F12);
            }
            EXPECT_EQ(dialog.Lines()->GetSelection(), 1);
            EXPECT_EQ(StatusOf(dialog).utf8_string(), row.status.utf8_string());
        });
        EXPECT_EQ(calls, row.openerCalls);
    }
}

TEST_F(ScriptEditor, CopyAsTextCopiesTheSelectedLinesOrTheWholeListing)
{
    m_script = Script({Line(0, 1, 255, {1, 2, 3, 4}), Line(256, 2, 255), Line(2, 254, 9, {3, 1, 0x0500, 0x0708})});
    const std::string heading = "Line  Success        Failure        Description\n";
    const std::string line1 = "1     goto line 2    return FALSE   Idle (Stack: 1, 2, 3, 4)\n"
                              "                                    code: Idle(0x0001, 0x0002, 0x0003, 0x0004);  "
                              "(opcode 0, targets 1/255, params 1 2 3 4)\n";
    const std::string line2 = "2     goto line 3    return FALSE   Global: Wait For Notify (Stack: 0, 0, 0, 0)\n"
                              "                                    code: 0x0100(0x0000, 0x0000, 0x0000, 0x0000);  "
                              "(opcode 256, targets 2/255, params 0 0 0 0)\n";
    const std::string line3 = "3     return TRUE    goto line 10   Temporary Storage 3 Assign To: 1\n"
                              "                                    code: Temp[0x0003] = 0x0001  "
                              "(opcode 2, targets 254/9, params 3 1 1280 1800)\n";
    const std::string whole = "Script 0: test script\nHeader: 028000000000000000000000\nSemi-global file: Seating\n"
                              "3 lines\n" + heading + line1 + line2 + line3;
    struct CRow
    {
        const char* what;
        std::function<void(CScriptLineListBox&)> select;
        std::string copied;
        wxString status;
    };
    const std::vector<CRow> rows = {
        {"no line selected", [](CScriptLineListBox& list) { SelectLine(list, wxNOT_FOUND); }, whole,
         "Copied the script as text."},
        {"one line", [](CScriptLineListBox& list) { SelectLine(list, 1); }, heading + line2, "Copied line 2 as text."},
        {"Shift+Down from the first line", [](CScriptLineListBox& list) { PressKey(list, WXK_DOWN, wxMOD_SHIFT); },
         heading + line1 + line2, "Copied lines 1 to 2 as text."},
        {"Ctrl+A", [](CScriptLineListBox& list) { PressKey(list, 'A', wxMOD_CONTROL); }, whole,
         "Copied the script as text."},
    };
    for (const CRow& row : rows)
    {
        SCOPED_TRACE(row.what);
        m_ui.clipboard.clear();
        Run([&](CScriptEditorDlg& dialog) {
            row.select(*dialog.Lines());
            PressKey(*dialog.Lines(), 'C', wxMOD_CONTROL);
            EXPECT_EQ(m_ui.clipboard.utf8_string(), row.copied);
            EXPECT_EQ(StatusOf(dialog), row.status);
        });
    }
}

namespace
{
class ScriptEditorOnSample : public CSampleDocumentTest
{
protected:
    /// Double-clicks the entry of script `id` in the main view's list.
    void OpenScript(std::uint16_t id) { DoubleClickEntry(*View().ScriptList(), id, "script"); }
};

CBhavScript LoadScript(const CIffFile& container, std::uint16_t id)
{
    CBhavScript script;
    EXPECT_TRUE(script.Load(container, id)) << id;
    return script;
}
}

TEST_F(ScriptEditorOnSample, EveryScriptOpensWithItsCallsNamed)
{
    CUiScope scope(m_ui);
    const std::vector<std::uint8_t> image = Image();
    const CIffFile& container = Document().Container();
    std::vector<std::uint16_t> ids;
    for (std::size_t position = container.FindFirstOfType(kTypeBhav); position != CIffFile::kNoPosition;)
        ids.push_back(container.NextOfType(position).id);
    ASSERT_GE(ids.size(), 4u);

    for (const std::uint16_t id : ids)
    {
        const std::size_t lines = LoadScript(container, id).Lines().size();
        Drive(m_ui, [lines, id](wxDialog& dialog) {
            auto& editor = static_cast<CScriptEditorDlg&>(dialog);
            EXPECT_EQ(editor.Lines()->Count(), lines) << id;
            if (id != 4096)
                return;
            const std::vector<std::string> shown = Shown(*editor.Lines());
            for (const char* expected : {"Global: Wait For Notify (Stack: 0, 0, 0, 0)",
                                         "Global: Test If Owner (Stack: 1, 0, 0, 0)",
                                         "Private: choose seat (Stack: 5, 0, 0, 0)",
                                         "Semiglobal: Sit Down (Stack: 0, 0, 0, 0)",
                                         "Semiglobal: Comfort Advertisement (Stack: 0, 0, 0, 0)",
                                         "Temporary Storage 3 Assign To: 1", "4200 (Stack: 0, 0, 0, 0)"})
            {
                EXPECT_TRUE(std::any_of(shown.begin(), shown.end(),
                                        [expected](const std::string& line) {
                                            return line.find(std::string("|") + expected + "|") != std::string::npos;
                                        }))
                    << expected;
            }
        });
    }
    RefuseFurtherDialogs(m_ui);
    for (const std::uint16_t id : ids)
        OpenScript(id);
    EXPECT_EQ(m_ui.modalRuns.size(), ids.size());
    EXPECT_EQ(Image(), image);
    EXPECT_FALSE(Document().IsModified());
}

TEST_F(ScriptEditorOnSample, CancelAtEveryLevelKeepsTheContainer)
{
    CUiScope scope(m_ui);
    const std::vector<std::uint8_t> image = Image();
    // Script editor: Add, Delete, Optimize, and a line edited through both line editors with OK,
    // then Cancel.
    Drive(m_ui, [](wxDialog& dialog) {
        auto& editor = static_cast<CScriptEditorDlg&>(dialog);
        ClickButton(editor, IDC_SCRIPT_ADD);
        SelectLine(*editor.Lines(), 0);
        ClickButton(editor, IDC_SCRIPT_DELETE);
        ClickButton(editor, IDC_SCRIPT_OPTIMIZE);
        SelectLine(*editor.Lines(), 0, true);
        ClickButton(editor, wxID_CANCEL);
    });
    Drive(m_ui, [](wxDialog& dialog) {
        ClickButton(dialog, IDC_LINE_EXPERT_EDIT);
        ClickButton(dialog, wxID_OK);
    });
    Drive(m_ui, [](wxDialog& dialog) {
        Type(dialog, IDC_EXPERT_FUNCTION_DEC, "5");
        ClickButton(dialog, wxID_OK);
    });
    // Line editor cancelled after Expert Edit ended with OK; then the script editor with OK
    // stores the script as it was.
    Drive(m_ui, [](wxDialog& dialog) {
        SelectLine(*static_cast<CScriptEditorDlg&>(dialog).Lines(), 1, true);
        ClickButton(dialog, wxID_OK);
    });
    Drive(m_ui, [](wxDialog& dialog) {
        ClickButton(dialog, IDC_LINE_EXPERT_EDIT);
        ClickButton(dialog, wxID_CANCEL);
    });
    Drive(m_ui, [](wxDialog& dialog) {
        Type(dialog, IDC_EXPERT_PARAM0_DEC, "77");
        ClickButton(dialog, wxID_OK);
    });
    RefuseFurtherDialogs(m_ui);

    OpenScript(4097);
    EXPECT_EQ(m_ui.modalRuns.size(), 3u);
    EXPECT_EQ(Image(), image);
    EXPECT_FALSE(Document().IsModified());

    const CBhavScript before = LoadScript(Document().Container(), 4096);
    OpenScript(4096);
    EXPECT_EQ(m_ui.modalRuns.size(), 6u);
    EXPECT_FALSE(Document().IsModified());  // an OK that changed nothing is no change
    const CBhavScript after = LoadScript(Document().Container(), 4096);
    EXPECT_EQ(after.Lines(), before.Lines());
    EXPECT_EQ(after.Header(), before.Header());
    EXPECT_EQ(after.Name(), before.Name());
}

TEST_F(ScriptEditorOnSample, OkStoresWhatTheListShowsAndTheSavedFileKeepsIt)
{
    CUiScope scope(m_ui);
    std::vector<std::string> shown;
    const CBhavScript before = LoadScript(Document().Container(), 4097);
    Drive(m_ui, [&shown](wxDialog& dialog) {
        auto& editor = static_cast<CScriptEditorDlg&>(dialog);
        CScriptLineListBox& list = *editor.Lines();
        ClickButton(editor, IDC_SCRIPT_OPTIMIZE);  // the unreachable last line goes
        SelectLine(list, 1);
        ClickButton(editor, IDC_SCRIPT_COPY);
        ClickButton(editor, IDC_SCRIPT_ADD);
        SelectLine(list, static_cast<int>(list.Count()) - 1, true);
        shown = Shown(list);
        ClickButton(editor, wxID_OK);
    });
    Drive(m_ui, [](wxDialog& dialog) {
        Pick(dialog, IDC_LINE_FUNCTION_SCOPE, CLineEditDlg::kScopeSemiGlobal);
        Pick(dialog, IDC_LINE_FUNCTION, 1);  // Stand Up (8193)
        ClickButton(dialog, IDC_LINE_PARAMETERS);
        Pick(dialog, IDC_LINE_SUCCESS_CHOICE, CLineEditDlg::kReturnTrue);
        ClickButton(dialog, wxID_OK);
    });
    Drive(m_ui, [](wxDialog& dialog) {
        Type(dialog, IDC_EXPERT_PARAM2_HEX, "00ff");
        ClickButton(dialog, wxID_OK);
    });
    RefuseFurtherDialogs(m_ui);
    OpenScript(4097);
    ASSERT_EQ(m_ui.modalRuns.size(), 3u);
    EXPECT_TRUE(Document().IsModified());

    // The stored script, described as the editor describes it, is what the list showed.
    const CBhavScript stored = LoadScript(Document().Container(), 4097);
    ASSERT_EQ(stored.Lines().size(), 6u);
    EXPECT_EQ(stored.Lines().back(), Line(8193, 254, 0, {0, 0, 255, 0}));
    // The header as read, but for its instruction count.
    std::vector<std::uint8_t> header = before.Header();
    header[2] = 6;
    header[3] = 0;
    EXPECT_EQ(stored.Header(), header);
    EXPECT_EQ(stored.Name(), before.Name());
    CPlainTextRenderer renderer(Document().NeededFiles(), Document().FileName(), Document().SemiGlobalName());
    std::vector<std::string> described;
    for (std::size_t i = 0; i < stored.Lines().size(); ++i)
    {
        const auto item = CScriptEditorDlg::MakeLineItem(stored.Lines()[i], static_cast<int>(i),
                                                         static_cast<int>(stored.Lines().size()), renderer);
        described.push_back(std::to_string(item->lineNumber) + "|" + item->description.utf8_string() + "|" +
                            item->successText.utf8_string() + "|" + item->failureText.utf8_string());
    }
    EXPECT_EQ(shown, described);
    EXPECT_EQ(described.back(), "6|Semiglobal: Stand Up (Stack: 0, 0, 255, 0)|return TRUE|goto line 1");

    // Saved and opened again, the file holds the edited script.
    ASSERT_TRUE(Document().OnSaveDocument(m_path));
    ResetDocument();
    m_ui.modalDrivers.clear();  // the loader runs again
    ASSERT_TRUE(Document().OnOpenDocument(m_path));
    Flush();
    const CBhavScript reopened = LoadScript(Document().Container(), 4097);
    EXPECT_EQ(reopened.Lines(), stored.Lines());
}

TEST_F(ScriptEditorOnSample, TypedSemiGlobalNameNamesTheCalls)
{
    CUiScope scope(m_ui);
    std::vector<std::string> shown;
    Drive(m_ui, [&shown](wxDialog& dialog) { shown = Shown(*static_cast<CScriptEditorDlg&>(dialog).Lines()); });
    RefuseFurtherDialogs(m_ui);
    View().SemiGlobalField()->SetValue("Elsewhere");
    OpenScript(4099);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], "1|8192 (Stack: 0, 0, 0, 0)|goto line 2|return FALSE");
    EXPECT_EQ(shown[1], "2|Global: Wait For Notify (Stack: 0, 0, 0, 0)|goto line 3|return FALSE");
}

TEST_F(ScriptEditorOnSample, CallsLeadIntoNestedEditors)
{
    CUiScope scope(m_ui);
    const std::vector<std::uint8_t> image = Image();

    // "sit action" calls the global Wait For Notify on line 2: it opens read-only from the loaded
    // files, and nothing the user tries there changes it or closes it with OK. Its references
    // open "main" in an editor, but not "sit action", whose editor is open.
    ASSERT_EQ(LoadScript(Document().Container(), 4099).Lines().at(1).opcode, 256);
    Drive(m_ui, [](wxDialog& dialog) {
        auto& editor = static_cast<CScriptEditorDlg&>(dialog);
        SelectLine(*editor.Lines(), 1);
        PressKey(*editor.Lines(), WXK_F12);
    });
    Drive(m_ui, [](wxDialog& dialog) {
        auto& viewer = static_cast<CScriptEditorDlg&>(dialog);
        EXPECT_EQ(viewer.GetTitle(), "SimAntics Script Editor - #256: Wait For Notify (read-only)");
        EXPECT_FALSE(viewer.FindWindow(wxID_OK)->IsShown());
        EXPECT_EQ(viewer.FindWindow(wxID_CANCEL)->GetLabel(), "Close");
        const std::vector<std::string> shown = Shown(*viewer.Lines());
        ASSERT_FALSE(shown.empty());
        for (const auto& [key, modifiers] : std::vector<std::pair<int, int>>{
                 {WXK_RETURN, 0}, {WXK_F2, 0}, {WXK_INSERT, 0}, {WXK_DELETE, wxMOD_SHIFT}, {WXK_DOWN, wxMOD_ALT},
                 {WXK_RETURN, wxMOD_CONTROL}})
            PressKey(*viewer.Lines(), key, modifiers);
        ClickButton(viewer, IDC_SCRIPT_ADD);
        EXPECT_EQ(Shown(*viewer.Lines()), shown);
        EXPECT_EQ(StatusOf(viewer), "This script is read-only: its lines cannot be changed here.");
        EXPECT_TRUE(viewer.IsModal());
        PressKey(*viewer.Lines(), WXK_F12, wxMOD_SHIFT);
        PressKey(*viewer.Lines(), WXK_ESCAPE);
    });
    Drive(m_ui, [](wxDialog& dialog) {
        auto& references = dynamic_cast<CReferencesDlg&>(dialog);
        const auto rowOf = [&references](std::uint16_t id) {
            const auto& found = references.References();
            const auto it = std::find_if(found.begin(), found.end(),
                                         [id](const CScriptReference& reference) { return reference.place.id == id; });
            return it == found.end() ? -1L : static_cast<long>(it - found.begin());
        };
        ASSERT_GE(rowOf(4099), 0);
        ASSERT_GE(rowOf(4096), 0);
        references.OpenPlace(rowOf(4099));
        EXPECT_EQ(MainFrame().GetStatusBar()->GetStatusText(0), "Script #4099 is open in an editor already.");
        references.OpenPlace(rowOf(4096));
    });
    Drive(m_ui, [](wxDialog& dialog) {
        EXPECT_EQ(dialog.GetTitle(), "SimAntics Script Editor - #4096: main");
        EXPECT_TRUE(static_cast<CScriptEditorDlg&>(dialog).FindWindow(wxID_OK)->IsShown());
    });
    RefuseFurtherDialogs(m_ui);
    OpenScript(4099);
    EXPECT_EQ(m_ui.modalRuns,
              (std::vector<int>{IDD_SCRIPT_EDITOR, IDD_SCRIPT_EDITOR, IDD_REFERENCES, IDD_SCRIPT_EDITOR}));
    EXPECT_EQ(Image(), image);

    // "main" calls "choose seat" of the same file: it opens in an editor of its own, whose OK
    // stores it as one step while "main" stays open, and is cancelled afterwards.
    const CBhavScript main = LoadScript(Document().Container(), 4096);
    const CBhavScript chooseSeat = LoadScript(Document().Container(), 4097);
    const auto call = std::find_if(main.Lines().begin(), main.Lines().end(),
                                   [](const CBhavInstruction& line) { return line.opcode == 4097; });
    ASSERT_NE(call, main.Lines().end());
    const int callLine = static_cast<int>(call - main.Lines().begin());
    m_ui.modalDrivers.clear();
    m_ui.modalRuns.clear();
    Drive(m_ui, [callLine](wxDialog& dialog) {
        auto& editor = static_cast<CScriptEditorDlg&>(dialog);
        ClickButton(editor, IDC_SCRIPT_ADD);
        SelectLine(*editor.Lines(), callLine);
        PressKey(*editor.Lines(), WXK_F12);
    });
    Drive(m_ui, [](wxDialog& dialog) {
        auto& nested = static_cast<CScriptEditorDlg&>(dialog);
        EXPECT_EQ(nested.GetTitle(), "SimAntics Script Editor - #4097: choose seat");
        ClickButton(nested, IDC_SCRIPT_ADD);
        PressKey(*nested.Lines(), WXK_RETURN, wxMOD_CONTROL);
        EXPECT_FALSE(nested.IsModal());
    });
    RefuseFurtherDialogs(m_ui);
    OpenScript(4096);
    EXPECT_EQ(m_ui.modalRuns, (std::vector<int>{IDD_SCRIPT_EDITOR, IDD_SCRIPT_EDITOR}));
    EXPECT_EQ(LoadScript(Document().Container(), 4096).Lines(), main.Lines());
    EXPECT_EQ(LoadScript(Document().Container(), 4097).Lines().size(), chooseSeat.Lines().size() + 1);
    EXPECT_EQ(Document().GetCommandProcessor()->GetUndoMenuLabel().BeforeFirst('\t'), "&Undo Edit Script #4097");
    ASSERT_TRUE(Document().UndoChange());
    EXPECT_EQ(LoadScript(Document().Container(), 4097).Lines(), chooseSeat.Lines());
    EXPECT_FALSE(Document().IsModified());
}
