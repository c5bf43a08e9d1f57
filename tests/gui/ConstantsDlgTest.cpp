// The constants editor: selecting, typing with its check, Add with the one-byte count, Delete with
// the renumbering; then from the main view on the sample object, with Cancel keeping the
// container's bytes and OK storing what the list shows, through to the saved file.

#include "ScriptDialogDriving.h"

#include "TreewrightDoc.h"
#include "TreewrightView.h"

#include "editors/ConstantsDlg.h"
#include "records/ConstantTable.h"
#include "resources/Strings.h"
#include "resources/TableEditorIds.h"

#include <gtest/gtest.h>

#include <wx/listctrl.h>


namespace
{
wxListCtrl& ConstantList(wxWindow& dialog)
{
    return *wxDynamicCast(dialog.FindWindow(IDC_CONSTANTS_LIST), wxListCtrl);
}

/// "number=value" for every line of the list, from its two columns.
std::vector<std::string> Lines(wxWindow& dialog)
{
    wxListCtrl& list = ConstantList(dialog);
    std::vector<std::string> lines;
    for (long item = 0; item < list.GetItemCount(); ++item)
    {
        EXPECT_EQ(list.GetItemData(item), item);
        lines.push_back((list.GetItemText(item, 0) + "=" + list.GetItemText(item, 1)).utf8_string());
    }
    return lines;
}

long SelectedLine(wxWindow& dialog)
{
    return ConstantList(dialog).GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
}

/// Selects a line as a click would; the list raises its selection event.
void SelectLine(wxWindow& dialog, long item)
{
    ConstantList(dialog).SetItemState(item, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
}

class ConstantsEditor : public testing::Test
{
protected:
    ConstantsEditor() : m_scope(m_ui) {}

    int Run(std::function<void(wxDialog&)> body, int end = wxID_CANCEL)
    {
        m_ui.modalDrivers.clear();
        CConstantsDlg dialog;
        dialog.SetTable(m_table);
        Drive(m_ui, std::move(body), end);
        RefuseFurtherDialogs(m_ui);
        return Ui().RunModal(dialog);
    }

    CScriptedUserInterface m_ui;
    CUiScope m_scope;
    CConstantTable m_table;
};
}

TEST_F(ConstantsEditor, SelectingShowsTheValueAndTypingStoresIt)
{
    m_table.ReplaceValues({5, -1, 300});
    Run([this](wxDialog& dialog) {
        EXPECT_EQ(dialog.GetTitle(), "Constants");
        EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"0=5", "1=-1", "2=300"}));
        EXPECT_EQ(SelectedLine(dialog), -1);

        // With no line selected, typing changes nothing.
        Type(dialog, IDC_CONSTANTS_VALUE, "77");
        EXPECT_EQ(m_table.Values(), (std::vector<std::int16_t>{5, -1, 300}));

        SelectLine(dialog, 2);
        EXPECT_EQ(Edit(dialog, IDC_CONSTANTS_VALUE).GetValue(), "300");
        Type(dialog, IDC_CONSTANTS_VALUE, "12");
        EXPECT_EQ(m_table.Values(), (std::vector<std::int16_t>{5, -1, 12}));
        EXPECT_EQ(Lines(dialog)[2], "2=12");

        SelectLine(dialog, 1);
        EXPECT_EQ(Edit(dialog, IDC_CONSTANTS_VALUE).GetValue(), "-1");
        EXPECT_TRUE(m_ui.messages.empty());
    });
}

TEST_F(ConstantsEditor, TextsThatAreNoNumberYetWaitAndOkChecksThem)
{
    m_table.ReplaceValues({5, 6});
    Run([this](wxDialog& dialog) {
        SelectLine(dialog, 0);
        // Typed key by key: the field emptied, then "-" and "7". Nothing is said on the way.
        wxTextCtrl& field = Edit(dialog, IDC_CONSTANTS_VALUE);
        field.ChangeValue("");
        field.WriteText("-");
        EXPECT_TRUE(m_ui.messages.empty());
        EXPECT_EQ(m_table.Values()[0], 5);
        EXPECT_EQ(Lines(dialog)[0], "0=5");

        field.WriteText("7");
        EXPECT_EQ(field.GetValue(), "-7");
        EXPECT_EQ(m_table.Values()[0], -7);
        EXPECT_EQ(Lines(dialog)[0], "0=-7");

        // Out of range: kept as typed, not taken, and refused on OK.
        Type(dialog, IDC_CONSTANTS_VALUE, "40000");
        EXPECT_TRUE(m_ui.messages.empty());
        EXPECT_EQ(m_table.Values()[0], -7);
        ClickButton(dialog, wxID_OK);
        EXPECT_TRUE(dialog.IsModal());
        ASSERT_EQ(m_ui.Texts(), (std::vector<wxString>{"Please enter an integer."}));
        EXPECT_EQ(m_ui.messages[0].owner, &dialog);
        EXPECT_EQ(m_ui.messages[0].caption, kProgramName);
        Type(dialog, IDC_CONSTANTS_VALUE, "-7");
        ClickButton(dialog, wxID_OK);
    });
    EXPECT_EQ(m_table.Values()[0], -7);
}

TEST_F(ConstantsEditor, AddAppendsAZeroAndLeavesNoLineSelected)
{
    Run([this](wxDialog& dialog) {
        EXPECT_TRUE(Lines(dialog).empty());
        ClickButton(dialog, IDC_CONSTANTS_ADD);
        EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"0=0"}));
        EXPECT_EQ(SelectedLine(dialog), -1);
        EXPECT_EQ(m_table.Values(), (std::vector<std::int16_t>{0}));

        SelectLine(dialog, 0);
        ClickButton(dialog, IDC_CONSTANTS_ADD);
        EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"0=0", "1=0"}));
        EXPECT_EQ(SelectedLine(dialog), -1);
    });
}

TEST_F(ConstantsEditor, AddRefusesA256thConstant)
{
    ASSERT_TRUE(m_table.ReplaceValues(std::vector<std::int16_t>(CConstantTable::kMaxConstants - 1, 3)));
    Run([this](wxDialog& dialog) {
        ClickButton(dialog, IDC_CONSTANTS_ADD);
        EXPECT_EQ(m_table.Values().size(), 255u);
        EXPECT_TRUE(m_ui.messages.empty());

        ClickButton(dialog, IDC_CONSTANTS_ADD);
        EXPECT_EQ(m_table.Values().size(), 255u);
        EXPECT_EQ(ConstantList(dialog).GetItemCount(), 255);
        ASSERT_EQ(m_ui.Texts(), (std::vector<wxString>{CConstantsDlg::kTableFullMessage}));
        EXPECT_EQ(m_ui.messages[0].owner, &dialog);
    });
}

TEST_F(ConstantsEditor, DeleteRenumbersTheConstantsAfterIt)
{
    m_table.ReplaceValues({10, 20, 30});
    Run([this](wxDialog& dialog) {
        ClickButton(dialog, IDC_CONSTANTS_DELETE);  // nothing selected: nothing removed
        EXPECT_EQ(m_table.Values().size(), 3u);

        SelectLine(dialog, 1);
        ClickButton(dialog, IDC_CONSTANTS_DELETE);
        EXPECT_EQ(m_table.Values(), (std::vector<std::int16_t>{10, 30}));
        EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"0=10", "1=30"}));
        EXPECT_EQ(SelectedLine(dialog), -1);

        // The old constant 2 is number 1 now, and typing reaches it under that number.
        SelectLine(dialog, 1);
        Type(dialog, IDC_CONSTANTS_VALUE, "31");
        EXPECT_EQ(m_table.Values(), (std::vector<std::int16_t>{10, 31}));
    });
}

namespace
{
class ConstantsOnSample : public CSampleDocumentTest
{
protected:
    /// Double-clicks the entry of constant table `id` in the main view's list.
    void Open(std::uint16_t id) { DoubleClickEntry(*View().ConstantList(), id, "constant table"); }

    // Edits constant 4 to 7 and removes constant 1.
    void EditTuning(CScriptedUserInterface& ui, int end)
    {
        Drive(
            ui,
            [end](wxDialog& dialog) {
                SelectLine(dialog, 4);
                Type(dialog, IDC_CONSTANTS_VALUE, "7");
                SelectLine(dialog, 1);
                ClickButton(dialog, IDC_CONSTANTS_DELETE);
                if (end == wxID_OK)
                    ClickButton(dialog, wxID_OK);
            },
            end);
        RefuseFurtherDialogs(ui);
        Open(4096);
    }
};

CConstantTable LoadConstants(const CIffFile& container, std::uint16_t id)
{
    CConstantTable table;
    EXPECT_TRUE(table.Load(container, id)) << id;
    return table;
}
}

TEST_F(ConstantsOnSample, CancelKeepsTheContainerAndOkStoresWhatTheListShows)
{
    CUiScope scope(m_ui);
    const std::vector<std::uint8_t> before = Image();
    EditTuning(m_ui, wxID_CANCEL);
    ASSERT_EQ(m_ui.modalRuns, (std::vector<int>{IDD_CONSTANTS}));
    EXPECT_EQ(Image(), before);
    EXPECT_FALSE(Document().IsModified());

    m_ui.modalDrivers.clear();
    EditTuning(m_ui, wxID_OK);
    const CConstantTable stored = LoadConstants(Document().Container(), 4096);
    EXPECT_EQ(stored.Values(), (std::vector<std::int16_t>{5, 300, 0, 7}));
    EXPECT_EQ(stored.Flags(), 0x80);
    EXPECT_EQ(stored.Name(), "tuning");
    EXPECT_TRUE(Document().IsModified());
    EXPECT_EQ(LoadConstants(Document().Container(), 4097).Values(), (std::vector<std::int16_t>{450, 25}));

    ASSERT_TRUE(Document().OnSaveDocument(m_path));
    const CIffFile saved = ReadIff(m_path);
    EXPECT_EQ(LoadConstants(saved, 4096).Values(), (std::vector<std::int16_t>{5, 300, 0, 7}));
}
