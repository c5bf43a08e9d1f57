// Finding one's way in the main view: the filters above the lists, and the window of the places
// that refer to a script, whose rows open those places.

#include "ScriptDialogDriving.h"

#include "ReferencesDlg.h"
#include "TreewrightDoc.h"
#include "TreewrightView.h"

#include "containers/TypeCodes.h"
#include "editors/ScriptEditorDlg.h"
#include "editors/ScriptLineListBox.h"
#include "records/BhavScript.h"
#include "resources/ResourceIds.h"
#include "resources/ObjectEditorIds.h"
#include "resources/TableEditorIds.h"

#include <gtest/gtest.h>

#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

namespace
{
std::vector<std::uint16_t> Listed(const wxListBox& list)
{
    std::vector<std::uint16_t> ids;
    for (unsigned int i = 0; i < list.GetCount(); ++i)
        ids.push_back(ChunkIdOf(list, i));
    return ids;
}

std::uint16_t SelectedId(const wxListBox& list)
{
    const int item = list.GetSelection();
    return item == wxNOT_FOUND ? 0 : ChunkIdOf(list, static_cast<unsigned>(item));
}

void Activate(wxListCtrl& list, long row)
{
    wxListEvent event(wxEVT_LIST_ITEM_ACTIVATED, list.GetId());
    event.SetEventObject(&list);
    event.SetIndex(row);
    list.GetEventHandler()->ProcessEvent(event);
}

using Finding = CSampleDocumentTest;
}

TEST_F(Finding, TheFilterNarrowsAListByIdOrNameAndEscapeClearsIt)
{
    CUiScope scope(m_ui);
    wxListBox& scripts = *View().ScriptList();
    wxTextCtrl& filter = *View().FilterOf(ERecordKind::Script);
    View().SelectRecord(ERecordKind::Script, 4099);
    struct CCase
    {
        const char* text;
        std::vector<std::uint16_t> listed;
    };
    const CCase cases[] = {
        {"409", {4096, 4097, 4098, 4099}},
        {"0x1004", {4100}},
        {"0X100", {4096, 4097, 4098, 4099, 4100}},
        {"0x0", {}},  // no id below 0x1000
        {"SIT", {4099}},
        {"Stand U", {4100}},
        {"zzz", {}},
    };
    for (const CCase& c : cases)
    {
        filter.SetValue(c.text);
        EXPECT_EQ(Listed(scripts), c.listed) << c.text;
    }
    // The entry chosen before stays chosen where the filter keeps it.
    filter.SetValue("sit");
    EXPECT_EQ(SelectedId(scripts), 4099);
    PressKey(filter, WXK_ESCAPE);
    EXPECT_EQ(filter.GetValue(), "");
    EXPECT_EQ(Listed(scripts).size(), 5u);
    EXPECT_EQ(SelectedId(scripts), 4099);

    // Ctrl+F goes to the filter of the list in use; the hexadecimal form holds for tables too.
    View().SelectRecord(ERecordKind::Constants, 4097);
    SendCommand(ID_EDIT_FIND);
    EXPECT_EQ(wxWindow::FindFocus(), View().FilterOf(ERecordKind::Constants));
    View().FilterOf(ERecordKind::Constants)->SetValue("0x1001");
    EXPECT_EQ(Listed(*View().ConstantList()), (std::vector<std::uint16_t>{4097}));
    EXPECT_EQ(Listed(scripts).size(), 5u) << "each list has its own filter";

    // A file opened starts without filters.
    OpenDocument(m_path);
    EXPECT_EQ(View().FilterOf(ERecordKind::Constants)->GetValue(), "");
    EXPECT_EQ(View().ConstantList()->GetCount(), 2u);
}

TEST_F(Finding, RecordCommandsWorkOnAFilteredList)
{
    CUiScope scope(m_ui);
    wxListBox& scripts = *View().ScriptList();
    wxTextCtrl& filter = *View().FilterOf(ERecordKind::Script);
    filter.SetValue("s");  // choose seat, sit action, stand up
    View().SelectRecord(ERecordKind::Script, 4099);
    m_ui.answers.push_back(wxID_YES);
    SendCommand(ID_RECORD_DELETE);
    EXPECT_EQ(Listed(scripts), (std::vector<std::uint16_t>{4097, 4100}));
    SendCommand(ID_EDIT_UNDO);
    EXPECT_EQ(Listed(scripts), (std::vector<std::uint16_t>{4097, 4099, 4100}));

    // A record made where the filter would hide it is shown and chosen.
    Drive(m_ui, [](wxDialog& dialog) {
        Type(dialog, IDC_RECORD_NAME, "init");
        Type(dialog, IDC_RECORD_ID, "4101");
        ClickButton(dialog, wxID_OK);
    });
    SendCommand(ID_RECORD_NEW_SCRIPT);
    EXPECT_EQ(filter.GetValue(), "");
    EXPECT_EQ(SelectedId(scripts), 4101);
}

TEST_F(Finding, FindReferencesListsEveryPlaceAndADoubleClickOpensIt)
{
    CUiScope scope(m_ui);
    // A loaded file of the test's own that calls a global script, so that a row lies outside the
    // open file.
    CIffFile extra;
    CBhavScript caller;
    caller.SetName("extra caller");
    caller.ReplaceLines({{0, 1, kTargetFalse, {}}, {256, kTargetTrue, kTargetFalse, {}}});
    ASSERT_TRUE(caller.Store(extra, 4096));
    Document().NeededFiles().Add(extra, "Extra.iff");

    const auto fromMainView = [](std::uint16_t id) {
        return [id] {
            View().SelectRecord(ERecordKind::Script, id);
            SendCommand(ID_FIND_REFERENCES);
        };
    };
    const auto selectedLine = [](int line) {
        return [line](wxDialog& dialog) {
            auto& editor = dynamic_cast<CScriptEditorDlg&>(dialog);
            EXPECT_EQ(editor.Lines()->GetSelection(), line);
        };
    };
    struct CCase
    {
        const char* what;
        std::function<void()> open;
        std::vector<wxString> rows;
        long opened;                           // the row double-clicked; -1: none
        std::function<void(wxDialog&)> check;  // on the dialog the row opens
    };
    const std::vector<CCase> cases = {
        {"a private script",
         fromMainView(4098),
         {"Sample Object.iff | Script #4096: main | line 35 | Private: check available (Stack: 0, 0, 0, 0)",
          "Sample Object.iff | Script #4097: choose seat | line 3 | Private: check available (Stack: 0, 0, 0, 0)",
          "Sample Object.iff | Interaction Table #128: interactions | interaction 0, check tree | Sit",
          "Sample Object.iff | Object #128: Sample Chair | check of \"user placement\" | "},
         1, selectedLine(2)},
        {"the action tree of the second interaction",
         fromMainView(4096),
         {"Sample Object.iff | Interaction Table #128: interactions | interaction 1, action tree | Admire",
          "Sample Object.iff | Object #128: Sample Chair | main script | ",
          "Sample Object.iff | Object #128: Sample Chair | action of \"main\" | "},
         0,
         [](wxDialog& dialog) {
             EXPECT_EQ(dialog.GetId(), IDD_INTERACTIONS);
             EXPECT_EQ(wxDynamicCast(dialog.FindWindow(IDC_INTERACTIONS_ITEMS), wxListBox)->GetSelection(), 1);
         }},
        {"a global script, as the script editor asks",
         [] { ShowScriptReferences(View().Form(), Document(), 256, "global.IFF"); },
         {"Sample Object.iff | Script #4096: main | line 30 | Global: Wait For Notify (Stack: 0, 0, 0, 0)",
          "Sample Object.iff | Script #4099: sit action | line 2 | Global: Wait For Notify (Stack: 0, 0, 0, 0)",
          "Extra.iff | Script #4096: extra caller | line 2 | Global: Wait For Notify (Stack: 0, 0, 0, 0)"},
         2,
         [selectedLine](wxDialog& dialog) {
             // A loaded file's script opens where nothing can be stored.
             selectedLine(1)(dialog);
             EXPECT_TRUE(dialog.GetTitle().EndsWith("(read-only)"));
             EXPECT_FALSE(dialog.FindWindow(wxID_OK)->IsShown());
         }},
        {"a script named only as an entry point", fromMainView(4100),
         {"Sample Object.iff | Object #128: Sample Chair | stand script | ",
          "Sample Object.iff | Object #128: Sample Chair | action of \"stand\" | "},
         0, [](wxDialog& dialog) { EXPECT_EQ(dialog.GetId(), IDD_OBJECT_EDITOR); }},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        bool shown = false;
        Drive(m_ui, [&](wxDialog& dialog) {
            shown = true;
            auto& references = dynamic_cast<CReferencesDlg&>(dialog);
            EXPECT_EQ(ReportRows(*references.List()), c.rows);
            if (c.opened < 0)
                return;
            Drive(m_ui, c.check);
            Activate(*references.List(), c.opened);
            EXPECT_EQ(ReportRows(*references.List()), c.rows) << "looked for again, unchanged";
        });
        c.open();
        EXPECT_TRUE(shown);
        EXPECT_TRUE(m_ui.modalDrivers.empty());
    }
    EXPECT_FALSE(Document().IsModified()) << "every place was left with Cancel";
}
