// The object editor on the sample object: opened from the Objects list by a real double-click
// through the display server, a field typed and OK; what it shows of the
// entry points; a value that does not fit or a GUID in use refused at its field; an unchanged OK
// that changes nothing; and one undo step for an OK.

#include "ScriptDialogDriving.h"

#include "TreewrightDoc.h"
#include "TreewrightView.h"

#include "containers/ByteOrder.h"
#include "containers/ChunkSnapshot.h"
#include "containers/TypeCodes.h"
#include "editors/ObjectEditorDlg.h"
#include "records/ObjectDefinition.h"
#include "records/RecordEditing.h"
#include "resources/ObjectEditorIds.h"

#include <gtest/gtest.h>

#include <wx/cmdproc.h>
#include <wx/combobox.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

namespace
{
constexpr std::uint16_t kChair = 128;

std::vector<std::uint8_t> ObjectBytes()
{
    return TakeChunkSnapshot(Document().Container(), kTypeObjd, kChair).data;
}

// The id of the named field's control in the identity and catalog part.
int NamedFieldId(wxWindow& dialog, const wxString& label)
{
    for (int id = IDC_OBJECT_FIELD_FIRST; dialog.FindWindow(id) != nullptr; ++id)
    {
        wxWindow* field = dialog.FindWindow(id);
        wxWindowList& siblings = field->GetParent()->GetChildren();
        const auto at = siblings.Find(field);
        if (at != nullptr && at->GetPrevious() != nullptr && at->GetPrevious()->GetData()->GetLabel() == label + ":")
            return id;
    }
    ADD_FAILURE() << "no field " << label;
    return wxID_NONE;
}

std::vector<std::string> EntryRows(CObjectEditorDlg& dialog)
{
    std::vector<std::string> rows;
    wxListCtrl& list = *dialog.EntryPoints();
    for (long item = 0; item < list.GetItemCount(); ++item)
        if (!list.GetItemText(item, 1).empty())
            rows.push_back((list.GetItemText(item, 0) + " | " + list.GetItemText(item, 1) + " | " +
                            list.GetItemText(item, 2) + " | " + list.GetItemText(item, 3) +
                            (list.GetItemTextColour(item) == *wxRED ? " (red)" : ""))
                               .utf8_string());
    return rows;
}

class ObjectEditor : public CSampleDocumentTest
{
protected:
    void TearDown() override
    {
        RefuseFurtherDialogs(m_ui);
        CSampleDocumentTest::TearDown();
    }

    CUiScope m_scope{m_ui};
};
}

TEST_F(ObjectEditor, ARealDoubleClickOpensItAndTypedChangesLandAtTheirOffsetsInOneStep)
{
    wxListBox& list = *View().ObjectList();
    ASSERT_EQ(list.GetCount(), 1u);
    EXPECT_EQ(list.GetString(0), "#128: Sample Chair (GUID 0x4D52460A)");
    std::vector<std::uint8_t> expected = ObjectBytes();
    expected[36] = 0x2C;  // price 300
    expected[37] = 0x01;

    bool shown = false;
    Drive(
        m_ui,
        [&](wxDialog& dialog) {
            shown = true;
            auto& price = Edit(dialog, NamedFieldId(dialog, "Price"));
            EXPECT_EQ(price.GetValue(), "450");
            Type(dialog, price.GetId(), "300");
            ClickButton(dialog, wxID_OK);
        },
        wxID_CANCEL);
    list.SetFocus();
    Flush();
    wxUIActionSimulator input;
    input.MouseMove(list.ClientToScreen(wxPoint(list.FromDIP(20), list.FromDIP(8))));
    Flush();
    input.MouseDblClick();
    Flush();
    ASSERT_TRUE(shown) << "the double-click opened no editor";
    EXPECT_EQ(ObjectBytes(), expected);
    EXPECT_EQ(Document().GetCommandProcessor()->GetUndoMenuLabel().BeforeFirst('\t'), "&Undo Edit Object #128");
    Document().GetCommandProcessor()->Undo();
    EXPECT_EQ(ObjectBytes()[36], 0xC2);
}

TEST_F(ObjectEditor, EntryPointsShowWhereTheirScriptsLiveAndChangeThroughThePicker)
{
    const std::vector<std::uint8_t> before = ObjectBytes();
    Drive(m_ui, [&](wxDialog& dialog) {
        auto& editor = dynamic_cast<CObjectEditorDlg&>(dialog);
        EXPECT_EQ(EntryRows(editor), (std::vector<std::string>{
                                         "main script | 4096 | main | this file",
                                         "sit script | 8192 | Sit Down | semi-global",
                                         "stand script | 4100 | stand up | this file",
                                         "init script | 4097 | choose seat | this file",
                                         "load script | 4201 |  | missing (red)",
                                         "cleanup script | 262 | Standard Exit | global",
                                         "action of \"init\" | 4097 | choose seat | this file",
                                         "action of \"main\" | 4096 | main | this file",
                                         "action of \"cleanup\" | 262 | Standard Exit | global",
                                         "check of \"user placement\" | 4098 | check available | this file",
                                         "action of \"user placement\" | 4099 | sit action | this file",
                                         "action of \"sit\" | 8192 | Sit Down | semi-global",
                                         "action of \"stand\" | 4100 | stand up | this file",
                                     }));
        // The missing load script takes a script of the file, picked by name.
        wxListCtrl& entries = *editor.EntryPoints();
        const long load = entries.FindItem(-1, "load script");
        entries.SetItemState(load, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        auto& picker = *wxDynamicCast(dialog.FindWindow(IDC_OBJECT_ENTRY_PICK), wxComboBox);
        picker.SetSelection(3);  // #4099: sit action
        wxCommandEvent picked(wxEVT_COMBOBOX, IDC_OBJECT_ENTRY_PICK);
        picked.SetEventObject(&picker);
        picker.GetEventHandler()->ProcessEvent(picked);
        EXPECT_EQ(entries.GetItemText(load, 2), "sit action");
        EXPECT_EQ(Edit(dialog, IDC_OBJECT_ENTRY_ID).GetValue(), "4099");
        ClickButton(dialog, wxID_OK);
    });
    View().SelectRecord(ERecordKind::Objects, kChair);
    View().EditRecord(ERecordKind::Objects, kChair);
    EXPECT_EQ(ReadLE16(ObjectBytes().data() + 94), 4099);
    Document().GetCommandProcessor()->Undo();
    EXPECT_EQ(ObjectBytes(), before);

    // An unchanged OK changes nothing and makes no step.
    const std::size_t steps = Document().GetCommandProcessor()->GetCommands().size();
    const std::vector<std::uint8_t> image = Image();
    Drive(m_ui, [](wxDialog& dialog) { ClickButton(dialog, wxID_OK); });
    View().EditRecord(ERecordKind::Objects, kChair);
    EXPECT_EQ(Image(), image);
    EXPECT_EQ(Document().GetCommandProcessor()->GetCommands().size(), steps);
}

TEST_F(ObjectEditor, AValueThatDoesNotFitOrAGuidInUseIsRefusedAtItsField)
{
    ASSERT_TRUE(Document().ChangeRecords("New Object", [](CIffFile& container) {
        return CreateObject(container, 129, "Other", 0x00001234, false);
    }));
    const std::vector<std::uint8_t> before = ObjectBytes();
    struct CCase
    {
        const char* field;
        const char* text;
        const char* message;
    };
    const CCase cases[] = {
        {"Price", "65536", "Please enter an integer between -32768 and 65535."},
        {"Sale price", "12a", "Please enter an integer between -32768 and 65535."},
        {"GUID", "0x1FFFFFFFF", nullptr},
        {"GUID", "0x1234", "GUID 0x00001234 is in use by OBJD #129 \"Other\"."},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.text);
        m_ui.messages.clear();
        Drive(m_ui, [&](wxDialog& dialog) {
            const int id = NamedFieldId(dialog, c.field);
            Type(dialog, id, c.text);
            ClickButton(dialog, wxID_OK);
            EXPECT_TRUE(dialog.IsModal()) << "stays open";
            EXPECT_EQ(wxWindow::FindFocus(), dialog.FindWindow(id));
        });
        View().EditRecord(ERecordKind::Objects, kChair);
        ASSERT_EQ(m_ui.messages.size(), 1u);
        if (c.message != nullptr)
        {
            EXPECT_EQ(m_ui.messages[0].text, c.message);
        }
        EXPECT_EQ(ObjectBytes(), before);
    }

    // New GUID draws one that no object has.
    Drive(m_ui, [](wxDialog& dialog) {
        ClickButton(dialog, IDC_OBJECT_NEW_GUID);
        ClickButton(dialog, wxID_OK);
    });
    View().EditRecord(ERecordKind::Objects, kChair);
    CObjectDefinition chair;
    ASSERT_TRUE(chair.Load(Document().Container(), kChair));
    EXPECT_NE(chair.Guid(), 0x4D52460Au);
    EXPECT_NE(chair.Guid(), 0x00001234u);
    EXPECT_TRUE(ObjectGuidProblem(Document().Container(), kChair, chair.Guid()).empty());
}
