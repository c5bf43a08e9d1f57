// The window of the differences from another file as a person uses it: File > Compare With...,
// the rows, a double-click showing a record's two versions side by side, the window following an
// edit, the close button. Input goes through the display server.

#include "RealInput.h"
#include "ScriptDialogDriving.h"

#include "ComparisonFrame.h"
#include "MainFrame.h"
#include "TreewrightDoc.h"
#include "TreewrightView.h"

#include "containers/ByteStream.h"
#include "containers/TypeCodes.h"
#include "records/BhavScript.h"
#include "records/ConstantTable.h"
#include "records/RecordEditing.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

namespace
{
using ComparisonWindow = CSampleDocumentTest;
}

TEST_F(ComparisonWindow, ListsTheDifferencesShowsBothVersionsAndFollowsAnEdit)
{
    CUiScope scope(m_ui);
    // The other version: a constant changed, a line's target changed, a script the open file lacks.
    CIffFile other = ReadIff(m_path);
    CConstantTable tuning;
    ASSERT_TRUE(tuning.Load(other, 4096));
    ASSERT_TRUE(tuning.SetValue(0, 6));
    ASSERT_TRUE(tuning.Store(other, 4096));
    CBhavScript main;
    ASSERT_TRUE(main.Load(other, 4096));
    CBhavInstruction line = main.Lines()[0];
    line.falseTarget = kTargetTrue;
    ASSERT_TRUE(main.SetLine(0, line));
    ASSERT_TRUE(main.Store(other, 4096));
    ASSERT_TRUE(CreateRecord(other, ERecordKind::Script, 4101, "old helper"));
    const std::string otherPath = m_folder.File("Older.iff");
    {
        CFileStream stream;
        ASSERT_TRUE(stream.Open(otherPath, CFileStream::EMode::Create) && other.Write(&stream) && stream.Close());
    }

    m_ui.filesToOpen.push_back(otherPath);
    ChooseMenuItem(*MainFrame().GetMenuBar(), 0, ID_FILE_COMPARE_WITH);
    CComparisonFrame* window = MainFrame().ComparisonWindow();
    ASSERT_NE(window, nullptr) << "File > Compare With... opened no window";
    wxListCtrl& list = *window->List();
    const std::vector<wxString> expected = {
        "BHAV #4101: old helper |  | only in Older.iff",
        "BHAV #4096: main | line 1 | failure return TRUE -> return FALSE",
        "BCON #4096: tuning | constant 0 | 6 -> 5",
    };
    EXPECT_EQ(ReportRows(list), expected);

    // A double-click on the line's row shows both versions of the script, the other read-only.
    wxRect rect;
    ASSERT_TRUE(list.GetItemRect(1, rect));
    bool shown = false;
    Drive(m_ui, [&shown](wxDialog& dialog) {
        shown = dialog.GetId() == IDD_RECORD_VERSIONS;
        auto* open = wxDynamicCast(dialog.FindWindow(IDC_VERSIONS_OPEN), wxTextCtrl);
        auto* older = wxDynamicCast(dialog.FindWindow(IDC_VERSIONS_OTHER), wxTextCtrl);
        ASSERT_TRUE(open != nullptr && older != nullptr);
        EXPECT_TRUE(open->GetValue().Contains("1     goto line 2    return FALSE"));
        EXPECT_TRUE(older->GetValue().Contains("1     goto line 2    return TRUE "));
        EXPECT_FALSE(older->IsEditable());
    });
    ClickAt(list, wxPoint(rect.x + 20, rect.y + rect.height / 2), true);
    EXPECT_TRUE(WaitUntil([this] { return m_ui.modalDrivers.empty(); }, 3000));
    EXPECT_TRUE(shown) << "the double-click showed no versions";

    // An edit of the open file that makes the constant as the other has it takes its row away.
    ASSERT_TRUE(Document().ChangeRecords("Edit Constants", [](CIffFile& file) {
        CConstantTable table;
        return table.Load(file, 4096) && table.SetValue(0, 6) && table.Store(file, 4096);
    }));
    EXPECT_EQ(ReportRows(list), std::vector<wxString>(expected.begin(), expected.begin() + 2));

    PressCloseButton(*window);
    EXPECT_TRUE(WaitUntil([] { return MainFrame().ComparisonWindow() == nullptr; }, 3000));
}
