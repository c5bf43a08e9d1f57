// The script editor: its lines, Add, Copy, Delete, Optimize and the editing of one line, on a
// script of the test's own; then the whole road from the main view on the sample object, with
// Cancel at every level and OK storing what the list shows.

#include "ScriptDialogDriving.h"
#include "tests/IndexedFiles.h"

#include "MainFrame.h"
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
    script.m_name = "test script";
    script.m_instructions = std::move(lines);
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
    std::unique_ptr<CScriptEditorDlg> m_dialog;
};
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
        EXPECT_EQ(m_script.m_instructions, (std::vector<CBhavInstruction>{Line(0, 0, 0), Line(0, 0, 0)}));
    });
}

TEST_F(ScriptEditor, CopyAppendsTheSelectedLineUnchanged)
{
    m_script = Script({Line(0, 1, 254), Line(8, 2, 255, {0, 8, 10, 0}), Line(0, 254, 254)});
    Run([this](CScriptEditorDlg& dialog) {
        SelectLine(*dialog.Lines(), wxNOT_FOUND);
        ClickButton(dialog, IDC_SCRIPT_COPY);  // nothing selected: nothing happens
        EXPECT_EQ(m_script.m_instructions.size(), 3u);

        SelectLine(*dialog.Lines(), 1);
        ClickButton(dialog, IDC_SCRIPT_COPY);
        ASSERT_EQ(m_script.m_instructions.size(), 4u);
        EXPECT_EQ(m_script.m_instructions[3], m_script.m_instructions[1]);
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
        EXPECT_EQ(m_script.m_instructions.size(), 7u);
        EXPECT_EQ(m_script.m_instructions[2].params[0], 3);
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
        EXPECT_EQ(m_script.m_instructions,
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
            EXPECT_EQ(m_script.m_instructions, original.m_instructions);
            const std::vector<std::string> before = Shown(list);

            SelectLine(list, 1, true);  // the line editor ends with OK
            EXPECT_EQ(m_script.m_instructions[1], Line(0, 4, 253));
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

namespace
{
/// Presses `key` with the modifiers while the line list has the focus, as the toolkit delivers it.
void Press(CScriptEditorDlg& dialog, int key, int modifiers)
{
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = key;
    event.SetControlDown((modifiers & wxMOD_CONTROL) != 0);
    event.SetShiftDown((modifiers & wxMOD_SHIFT) != 0);
    event.SetAltDown((modifiers & wxMOD_ALT) != 0);
    event.SetEventObject(dialog.Lines());
    dialog.Lines()->GetEventHandler()->ProcessEvent(event);
}
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
                return CView{m_script.m_instructions, Shown(*dialog.Lines()), dialog.Lines()->GetSelection()};
            };
            const auto expectView = [&](const CView& expected, bool selection, const std::string& what) {
                SCOPED_TRACE(what);
                EXPECT_EQ(m_script.m_instructions, expected.instructions);
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
            Press(dialog, 'Z', wxMOD_NONE);  // not a command
            Press(dialog, 'Z', wxMOD_CONTROL | wxMOD_ALT);
            expectView(after.back(), true, "other keys");

            for (std::size_t i = steps.size(); i-- > 0;)
            {
                Press(dialog, 'Z', wxMOD_CONTROL);
                expectView(before[i], true, std::string("undo ") + steps[i].what);
            }
            EXPECT_FALSE(dialog.CanUndo());
            Press(dialog, 'Z', wxMOD_CONTROL);  // nothing left to undo
            expectView(before.front(), true, "undo past the start");

            for (std::size_t i = 0; i < steps.size(); ++i)
            {
                // Both keys redo.
                if (i % 2 == 0)
                    Press(dialog, 'Y', wxMOD_CONTROL);
                else
                    Press(dialog, 'Z', wxMOD_CONTROL | wxMOD_SHIFT);
                expectView(after[i], false, std::string("redo ") + steps[i].what);
            }
            EXPECT_FALSE(dialog.CanRedo());

            // A new change after an undo ends the redoing.
            Press(dialog, 'Z', wxMOD_CONTROL);
            ClickButton(dialog, IDC_SCRIPT_ADD);
            const CView added = view();
            Press(dialog, 'Y', wxMOD_CONTROL);
            expectView(added, true, "redo after a new change");
            Press(dialog, 'Z', wxMOD_CONTROL);
            expectView(before.back(), false, "undo of the new change");

            // A change that changes nothing is no step: Copy with no line selected.
            SelectLine(*dialog.Lines(), wxNOT_FOUND);
            ClickButton(dialog, IDC_SCRIPT_COPY);
            Press(dialog, 'Z', wxMOD_CONTROL);
            expectView(before[steps.size() - 2], false, "undo after a copy of nothing");
        },
        {[](wxDialog& dialog) {
            Pick(dialog, IDC_LINE_SUCCESS_CHOICE, CLineEditDlg::kReturnError);
            ClickButton(dialog, wxID_OK);
        }});
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
        const std::size_t lines = LoadScript(container, id).m_instructions.size();
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
    EXPECT_EQ(after.m_instructions, before.m_instructions);
    EXPECT_EQ(after.m_header, before.m_header);
    EXPECT_EQ(after.m_name, before.m_name);
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
    ASSERT_EQ(stored.m_instructions.size(), 6u);
    EXPECT_EQ(stored.m_instructions.back(), Line(8193, 254, 0, {0, 0, 255, 0}));
    // The header as read, but for its instruction count.
    std::vector<std::uint8_t> header = before.m_header;
    header[2] = 6;
    header[3] = 0;
    EXPECT_EQ(stored.m_header, header);
    EXPECT_EQ(stored.m_name, before.m_name);
    CPlainTextRenderer renderer(Document().NeededFiles(), Document().FileName(), Document().SemiGlobalName());
    std::vector<std::string> described;
    for (std::size_t i = 0; i < stored.m_instructions.size(); ++i)
    {
        const auto item = CScriptEditorDlg::MakeLineItem(stored.m_instructions[i], static_cast<int>(i),
                                                         static_cast<int>(stored.m_instructions.size()), renderer);
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
    EXPECT_EQ(reopened.m_instructions, stored.m_instructions);
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
