// The Problems window as a person uses it: opened from the View menu, following an edit made from
// the Edit menu and its undo with Ctrl+Z, a double-click on a row opening the place, the close
// button closing it. Input goes through the display server.

#include "RealInput.h"
#include "ScriptDialogDriving.h"

#include "MainFrame.h"
#include "ProblemsFrame.h"
#include "TreewrightDoc.h"
#include "TreewrightView.h"

#include "containers/TypeCodes.h"
#include "editors/ScriptEditorDlg.h"
#include "editors/ScriptLineListBox.h"
#include "records/BhavScript.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/menu.h>

#include <algorithm>

namespace
{
bool Has(const std::vector<wxString>& rows, const wxString& row)
{
    return std::find(rows.begin(), rows.end(), row) != rows.end();
}

using ProblemsWindow = CSampleDocumentTest;
}

TEST_F(ProblemsWindow, FollowsAnEditAndItsUndoAndADoubleClickOpensThePlace)
{
    CUiScope scope(m_ui);
    const wxString missingCall = "error | Script #4096: main | line 37 | Line 37 calls script #4200, which this file does not hold.";
    const wxString unused = "note | Script #4101:  |  | Nothing in this file calls this private script or names it as an entry point or tree.";

    ChooseMenuItem(*MainFrame().GetMenuBar(), 2, ID_VIEW_PROBLEMS);
    CProblemsFrame* problems = MainFrame().ProblemsWindow();
    ASSERT_NE(problems, nullptr) << "View > Problems opened no window";
    ASSERT_TRUE(problems->IsShown());
    wxListCtrl& list = *problems->List();
    const std::vector<wxString> before = ReportRows(list);
    EXPECT_TRUE(Has(before, missingCall));
    EXPECT_FALSE(Has(before, unused));

    // An edit from the Edit menu: a new script that nothing calls is noted at once.
    Drive(m_ui, [](wxDialog&) {}, wxID_OK);
    PointAt(*View().ScriptList());  // the main window in front of the Problems window
    ChooseMenuItem(*MainFrame().GetMenuBar(), 1, ID_RECORD_NEW_SCRIPT);
    EXPECT_TRUE(m_ui.modalDrivers.empty()) << "the name dialog did not open";
    std::vector<wxString> after = ReportRows(list);
    EXPECT_TRUE(Has(after, unused)) << "the window did not follow the edit: " << after.back();
    EXPECT_EQ(after.size(), before.size() + 1);

    // Ctrl+Z in the main window takes the edit back, and the note with it.
    PointAt(*View().ScriptList());
    PressKeys('z', wxMOD_CONTROL);
    EXPECT_EQ(ReportRows(list), before) << "the window did not follow the undo";

    // A change that fixes a problem takes its row away.
    ASSERT_TRUE(Document().ChangeRecords("New Script", [](CIffFile& file) {
        CBhavScript script;
        script.SetName("made");
        script.AppendLine({0, kTargetTrue, kTargetFalse, {}});
        return bool(script.Store(file, 4200));
    }));
    EXPECT_FALSE(Has(ReportRows(list), missingCall));
    PointAt(*View().ScriptList());
    PressKeys('z', wxMOD_CONTROL);
    EXPECT_TRUE(Has(ReportRows(list), missingCall));

    // A double-click on the row opens the script on its line.
    const std::vector<wxString> shown = ReportRows(list);
    const long index = long(std::find(shown.begin(), shown.end(), missingCall) - shown.begin());
    list.EnsureVisible(index);
    wxRect rect;
    ASSERT_TRUE(list.GetItemRect(index, rect));
    int opened = -1;
    Drive(m_ui, [&opened](wxDialog& dialog) {
        auto& editor = dynamic_cast<CScriptEditorDlg&>(dialog);
        opened = editor.Lines()->GetSelection();
    });
    ClickAt(list, wxPoint(rect.x + 20, rect.y + rect.height / 2), true);
    EXPECT_TRUE(WaitUntil([this] { return m_ui.modalDrivers.empty(); }, 3000)) << "the double-click opened nothing";
    EXPECT_EQ(opened, 36);

    // The close button closes it.
    PressCloseButton(*problems);
    EXPECT_TRUE(WaitUntil([] { return MainFrame().ProblemsWindow() == nullptr; }, 3000));
}
