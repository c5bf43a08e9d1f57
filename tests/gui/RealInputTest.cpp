// Each window's main path driven as a person drives it, with input sent through the display server:
// the pointer and the keys by XTest, the close button by the window manager's request. Nothing here
// calls a handler; the program sees only what the toolkit makes of the input.

#include "RealInput.h"
#include "ScriptDialogDriving.h"

#include "MainFrame.h"
#include "TreewrightDoc.h"
#include "TreewrightView.h"

#include "editors/ScriptEditorDlg.h"
#include "editors/ScriptGraphCanvas.h"
#include "editors/ScriptGraphFrame.h"
#include "editors/ScriptLineListBox.h"
#include "resources/ResourceIds.h"
#include "resources/ScriptEditorIds.h"
#include "resources/ScriptGraphIds.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <filesystem>

namespace
{
/// Whether `dialog` has ended: a button pressed with Enter clicks once the key is up or a moment has
/// passed, as GTK's buttons do.
bool Ended(wxDialog& dialog)
{
    return WaitUntil([&dialog] { return !dialog.IsModal(); }, 3000);
}

class RealInput : public CSampleDocumentTest
{
protected:
    /// Clicks the first entry of `list`.
    static void ClickFirstEntry(wxListBox& list)
    {
        ASSERT_GT(list.GetCount(), 0u);
        const wxRect entry = EntryRect(list, 0);
        ASSERT_FALSE(entry.IsEmpty());
        ClickAt(list, wxPoint(entry.x + 10, entry.y + entry.height / 2));
        ASSERT_EQ(list.GetSelection(), 0);
    }

    /// Opens the script editor on the first script as a person does: a click on its entry, Enter.
    void OpenFirstScript(std::function<void(CScriptEditorDlg&)> body)
    {
        Drive(m_ui, [body](wxDialog& shown) {
            auto* editor = dynamic_cast<CScriptEditorDlg*>(&shown);
            ASSERT_NE(editor, nullptr);
            body(*editor);
        });
        wxListBox& scripts = *View().ScriptList();
        ClickFirstEntry(scripts);
        PressKeys(WXK_RETURN);
        EXPECT_TRUE(m_ui.modalDrivers.empty()) << "the script editor did not open";
    }

    static CScriptGraphFrame* OpenGraph(CScriptEditorDlg& editor)
    {
        PointAt(*editor.Lines());
        PressKeys('g', wxMOD_CONTROL);
        CScriptGraphFrame* graph = editor.GraphWindow();
        if (graph == nullptr)
            return nullptr;
        EXPECT_TRUE(WaitUntil([graph] { return !graph->LayingOut(); }));
        PointAt(*graph->Canvas());
        return graph;
    }

    static bool Closed(CScriptEditorDlg& editor)
    {
        return WaitUntil([&editor] { return editor.GraphWindow() == nullptr; }, 3000);
    }
};
}

TEST_F(RealInput, MainWindowOpensAFileRunsAMenuItemAndAsksBeforeClosing)
{
    ResetDocument();
    CUiScope scope(m_ui);
    m_ui.filesToOpen.push_back(m_path);
    ChooseMenuItem(*MainFrame().GetMenuBar(), 0, ID_FILE_OPEN);
    EXPECT_EQ(Document().GetFilename(), wxString(m_path));
    EXPECT_TRUE(m_ui.filesToOpen.empty());
    // The first keys go to the scripts list, not into the semi-global field.
    EXPECT_EQ(wxWindow::FindFocus(), View().ScriptList());

    bool aboutShown = false;
    Drive(m_ui, [&aboutShown](wxDialog& about) {
        aboutShown = about.GetId() == IDD_ABOUTBOX;
        PointAt(about);
        PressKeys(WXK_ESCAPE);
        EXPECT_TRUE(Ended(about)) << "Escape did not close the about box";
    });
    ChooseMenuItem(*MainFrame().GetMenuBar(), 3, ID_APP_ABOUT);
    EXPECT_TRUE(aboutShown);
    EXPECT_TRUE(m_ui.modalDrivers.empty());

    // The close button asks about unsaved changes; Cancel keeps the window and the file.
    Document().Modify(true);
    m_ui.answers.push_back(wxID_CANCEL);
    m_ui.messages.clear();
    PressCloseButton(MainFrame());
    ASSERT_EQ(m_ui.messages.size(), 1u);
    EXPECT_TRUE(m_ui.messages[0].text.StartsWith("Save changes to")) << m_ui.messages[0].text;
    EXPECT_TRUE(MainFrame().IsShown());
    EXPECT_EQ(Document().GetFilename(), wxString(m_path));
    Document().Modify(false);
}

// The graph window beside the modal script editor takes its own menus, keys and close button.
TEST_F(RealInput, GraphWindowBesideTheScriptEditorTakesItsMenusKeysAndCloseButton)
{
    OpenDocument(m_path);
    CUiScope scope(m_ui);
    CTempFolder folder;
    OpenFirstScript([&folder, this](CScriptEditorDlg& editor) {
        // File > Export SVG..., then View > Zoom In, each by a click on the menu and its item.
        CScriptGraphFrame* graph = OpenGraph(editor);
        ASSERT_NE(graph, nullptr) << "Ctrl+G opened no graph";
        m_ui.filesToSave.push_back(folder.File("graph.svg"));
        ChooseMenuItem(*graph->GetMenuBar(), 0, ID_GRAPH_EXPORT_SVG);
        EXPECT_TRUE(m_ui.filesToSave.empty()) << "File > Export SVG did not ask for a file";
        EXPECT_TRUE(std::filesystem::exists(folder.File("graph.svg")));
        const double zoom = graph->Canvas()->Zoom();
        ChooseMenuItem(*graph->GetMenuBar(), 1, ID_GRAPH_ZOOM_IN);
        EXPECT_GT(graph->Canvas()->Zoom(), zoom) << "View > Zoom In did nothing";

        // Three ways to close it: Ctrl+W, File > Close and the title bar's close button.
        PressKeys('w', wxMOD_CONTROL);
        EXPECT_TRUE(Closed(editor)) << "Ctrl+W did not close the graph";
        graph = OpenGraph(editor);
        ASSERT_NE(graph, nullptr);
        ChooseMenuItem(*graph->GetMenuBar(), 0, wxID_CLOSE);
        EXPECT_TRUE(Closed(editor)) << "File > Close did not close the graph";
        graph = OpenGraph(editor);
        ASSERT_NE(graph, nullptr);
        PressCloseButton(*graph);
        EXPECT_TRUE(Closed(editor)) << "the close button did not close the graph";

        // The editor itself closes with Escape.
        PointAt(*editor.Lines());
        PressKeys(WXK_ESCAPE);
        EXPECT_TRUE(Ended(editor)) << "Escape did not close the script editor";
    });
}

// Ctrl+F reaches the filter of the list in use from any list, and from the semi-global field.
TEST_F(RealInput, CtrlFReachesTheFilterFromEveryList)
{
    OpenDocument(m_path);
    CUiScope scope(m_ui);
    for (const ERecordKind kind : {ERecordKind::Script, ERecordKind::Strings, ERecordKind::Interactions})
    {
        wxListBox* list = kind == ERecordKind::Script    ? View().ScriptList()
                          : kind == ERecordKind::Strings ? View().StringList()
                                                         : View().InteractionList();
        ClickFirstEntry(*list);
        PressKeys('f', wxMOD_CONTROL);
        EXPECT_EQ(wxWindow::FindFocus(), View().FilterOf(kind)) << int(kind);
        // The key went nowhere else: no search box of the list's own took the letters typed next.
        PressKeys('z');
        EXPECT_EQ(View().FilterOf(kind)->GetValue(), "z") << int(kind);
        PressKeys(WXK_ESCAPE);
        EXPECT_TRUE(View().FilterOf(kind)->IsEmpty());
    }
}

// Enter is OK and Escape is Cancel in the record dialogs opened from a list's keys.
TEST_F(RealInput, EnterIsOkAndEscapeIsCancelInTheRecordDialogs)
{
    OpenDocument(m_path);
    CUiScope scope(m_ui);
    struct CRow
    {
        const char* what;
        int key;
        int modifiers;
        int answer;          // the key that ends the dialog
        std::size_t scripts; // the scripts listed afterwards, against before
    };
    const std::size_t before = View().ScriptList()->GetCount();
    const CRow rows[] = {
        {"New, Enter", WXK_INSERT, wxMOD_NONE, WXK_RETURN, before + 1},
        {"New, Escape", WXK_INSERT, wxMOD_NONE, WXK_ESCAPE, before + 1},
        {"Duplicate, Enter", 'd', wxMOD_CONTROL, WXK_RETURN, before + 2},
        {"Duplicate, Escape", 'd', wxMOD_CONTROL, WXK_ESCAPE, before + 2},
        {"Rename, Escape", WXK_F2, wxMOD_NONE, WXK_ESCAPE, before + 2},
    };
    for (const CRow& row : rows)
    {
        SCOPED_TRACE(row.what);
        bool ended = false;
        Drive(m_ui, [&row, &ended](wxDialog& dialog) {
            EXPECT_EQ(dialog.GetId(), IDD_RECORD_NAME);
            PointAt(dialog);
            PressKeys(row.answer);
            ended = Ended(dialog);
        });
        ClickFirstEntry(*View().ScriptList());
        PressKeys(row.key, row.modifiers);
        EXPECT_TRUE(ended);
        EXPECT_EQ(View().ScriptList()->GetCount(), row.scripts);
    }
    // Rename with Enter: the name typed is taken.
    Drive(m_ui, [](wxDialog& dialog) {
        PointAt(dialog);
        wxTextCtrl& name = Edit(dialog, IDC_RECORD_NAME);
        name.SetFocus();
        name.SelectAll();
        PressKeys('q');
        PressKeys(WXK_RETURN);
        EXPECT_TRUE(Ended(dialog));
    });
    ClickFirstEntry(*View().ScriptList());
    PressKeys(WXK_F2);
    EXPECT_TRUE(View().ScriptList()->GetString(0).EndsWith(": q")) << View().ScriptList()->GetString(0);
    Document().Modify(false);
}

// In the line editor Ctrl+Enter is OK, and Enter on its focused Expert Edit button opens the expert
// editor once.
TEST_F(RealInput, LineEditorTakesCtrlEnterAndOpensExpertEditOnce)
{
    OpenDocument(m_path);
    CUiScope scope(m_ui);
    int expertRuns = 0;
    OpenFirstScript([this, &expertRuns](CScriptEditorDlg& editor) {
        Drive(m_ui, [&expertRuns, this](wxDialog& line) {
            EXPECT_EQ(line.GetId(), IDD_LINE_EDIT);
            // Drivers for the expert editor: Enter is its OK; a second run would be the fault.
            for (int i = 0; i < 2; ++i)
            {
                Drive(m_ui, [&expertRuns](wxDialog& expert) {
                    ++expertRuns;
                    EXPECT_EQ(expert.GetId(), IDD_EXPERT_LINE);
                    PointAt(expert);
                    PressKeys(WXK_RETURN);
                    EXPECT_TRUE(Ended(expert));
                });
            }
            PointAt(line);
            line.FindWindow(IDC_LINE_EXPERT_EDIT)->SetFocus();
            PressKeys(WXK_RETURN);
            EXPECT_EQ(expertRuns, 1);
            EXPECT_TRUE(line.IsModal());
            PressKeys(WXK_RETURN, wxMOD_CONTROL);
            EXPECT_TRUE(Ended(line)) << "Ctrl+Enter did not close the line editor";
            m_ui.modalDrivers.clear();
        });
        ClickAt(*editor.Lines(), wxPoint(40, 20));
        PressKeys(WXK_RETURN);
        EXPECT_EQ(expertRuns, 1);
        PressKeys(WXK_ESCAPE);
    });
}
