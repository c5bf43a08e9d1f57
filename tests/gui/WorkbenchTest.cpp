// The record commands of the main view and the document's history: each command changes the
// file, selects its record, and undoes and redoes back to the exact bytes of every chunk.

#include "ScriptDialogDriving.h"

#include "MainFrame.h"
#include "TreewrightDoc.h"
#include "TreewrightView.h"

#include "containers/ChunkSnapshot.h"
#include "containers/TypeCodes.h"
#include "records/BhavScript.h"
#include "records/RecordEditing.h"
#include "resources/ResourceIds.h"
#include "resources/TableEditorIds.h"

#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/cmdproc.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

namespace
{
// Every chunk but the resource map, as it stands and in directory order (the order the file is
// written in): type, id, flags, name and data.
std::vector<CChunkSnapshot> Chunks()
{
    std::vector<CChunkSnapshot> chunks;
    for (const CIffChunk& chunk : Document().Container().Chunks())
        if (chunk.type != kTypeRsmp)
            chunks.push_back(TakeChunkSnapshot(Document().Container(), chunk.type, chunk.id));
    return chunks;
}

// The file as Save would write it.
std::vector<std::uint8_t> Written()
{
    CMemoryStream stream;
    EXPECT_TRUE(Document().Container().Write(&stream));
    return stream.TakeBytes();
}

// Undo or Redo as the menu and the toolbar show it after the toolkit's update.
bool Enabled(int id)
{
    MainFrame().UpdateWindowUI(wxUPDATE_UI_RECURSE);
    return MainFrame().GetMenuBar()->IsEnabled(id) && MainFrame().GetToolBar()->GetToolEnabled(id);
}

wxString UndoLabel()
{
    return Document().GetCommandProcessor()->GetUndoMenuLabel().BeforeFirst('\t');
}

class Workbench : public CSampleDocumentTest
{
protected:
    // Answers the name dialog with a name and an id.
    void Name(const wxString& name, const wxString& id)
    {
        Drive(m_ui, [name, id](wxDialog& dialog) {
            Type(dialog, IDC_RECORD_NAME, name);
            Type(dialog, IDC_RECORD_ID, id);
            ClickButton(dialog, wxID_OK);
        });
    }

    std::uint16_t SelectedId(wxListBox& list) const
    {
        const int item = list.GetSelection();
        return item == wxNOT_FOUND ? 0 : ChunkIdOf(list, static_cast<unsigned>(item));
    }
};
}

TEST_F(Workbench, EachCommandChangesTheFileAndUndoesToTheExactBytes)
{
    CUiScope scope(m_ui);
    EXPECT_FALSE(Enabled(ID_EDIT_UNDO));
    EXPECT_FALSE(Enabled(ID_EDIT_REDO));
    struct CStep
    {
        const char* undoLabel;
        std::function<void()> run;
        wxListBox* list;
        std::uint16_t selected;
        std::function<void()> check;
    };
    const CStep steps[] = {
        {"&Undo New Script #4101",
         [&] {
             Drive(m_ui, [](wxDialog& dialog) {
                 // An id in use is refused and the dialog stays; a free one is taken.
                 Type(dialog, IDC_RECORD_NAME, "fresh");
                 Type(dialog, IDC_RECORD_ID, "4096");
                 ClickButton(dialog, wxID_OK);
                 Type(dialog, IDC_RECORD_ID, "4101");
                 ClickButton(dialog, wxID_OK);
             });
             SendCommand(ID_RECORD_NEW_SCRIPT);
         },
         View().ScriptList(), 4101,
         [&] {
             CBhavScript script;
             ASSERT_TRUE(script.Load(Document().Container(), 4101));
             EXPECT_EQ(script.Format(), 0x8002);
             ASSERT_EQ(script.Lines().size(), 1u);
             EXPECT_EQ(script.Lines()[0].trueTarget, kTargetTrue);
             EXPECT_EQ(script.Lines()[0].falseTarget, kTargetFalse);
             ASSERT_EQ(m_ui.messages.size(), 1u);
             EXPECT_EQ(m_ui.messages[0].text, "#4096 is in use by another Script.");
         }},
        {"&Undo New Interaction Table #129",
         [&] {
             Name("more", "0x81");
             SendCommand(ID_RECORD_NEW_INTERACTIONS);
         },
         View().InteractionList(), 129,
         [&] {
             EXPECT_TRUE(TakeChunkSnapshot(Document().Container(), kTypeTtas, 129).present);
         }},
        {"&Undo Duplicate Script #4097",
         [&] {
             View().SelectRecord(ERecordKind::Script, 4097);
             Name("copy of choose seat", "4102");
             SendCommand(ID_RECORD_DUPLICATE);
         },
         View().ScriptList(), 4102,
         [&] {
             EXPECT_EQ(TakeChunkSnapshot(Document().Container(), kTypeBhav, 4102).data,
                       TakeChunkSnapshot(Document().Container(), kTypeBhav, 4097).data);
         }},
        {"&Undo Rename Constant Table #4096",
         [&] {
             View().SelectRecord(ERecordKind::Constants, 4096);
             Name("renamed", "300");
             SendCommand(ID_RECORD_RENAME);
         },
         View().ConstantList(), 300,
         [&] {
             EXPECT_FALSE(TakeChunkSnapshot(Document().Container(), kTypeBcon, 4096).present);
             EXPECT_EQ(TakeChunkSnapshot(Document().Container(), kTypeBcon, 300).name, "renamed");
         }},
        {"&Undo Delete Script #4098",
         [&] {
             View().SelectRecord(ERecordKind::Script, 4098);
             m_ui.answers.push_back(wxID_YES);
             SendCommand(ID_RECORD_DELETE);
         },
         View().ScriptList(), 0,
         [&] {
             // The scripts that call it and the interaction that checks with it come before the question.
             ASSERT_EQ(m_ui.messages.size(), 1u);
             EXPECT_TRUE(m_ui.messages[0].text.StartsWith("These refer to it:\nBHAV #4096 \"main\", line 35\n"
                                                          "BHAV #4097 \"choose seat\", line 3\n"
                                                          "TTAB #128 \"interactions\", interaction 0, check tree\n"))
                 << m_ui.messages[0].text;
             EXPECT_TRUE(m_ui.messages[0].text.EndsWith("Delete Script #4098: check available?"));
             EXPECT_FALSE(TakeChunkSnapshot(Document().Container(), kTypeBhav, 4098).present);
         }},
    };
    for (const CStep& step : steps)
    {
        SCOPED_TRACE(step.undoLabel);
        m_ui.messages.clear();
        const std::vector<CChunkSnapshot> before = Chunks();
        const std::vector<std::uint8_t> writtenBefore = Written();
        step.run();
        step.check();
        const std::vector<CChunkSnapshot> after = Chunks();
        EXPECT_NE(after, before);
        EXPECT_TRUE(Document().IsModified());
        EXPECT_EQ(SelectedId(*step.list), step.selected);
        EXPECT_EQ(UndoLabel(), step.undoLabel);
        EXPECT_TRUE(Enabled(ID_EDIT_UNDO));

        SendCommand(ID_EDIT_UNDO);
        EXPECT_EQ(Chunks(), before);
        EXPECT_EQ(Written(), writtenBefore);
        EXPECT_FALSE(Document().IsModified()) << "undone back to the file as opened";
        SendCommand(ID_EDIT_REDO);
        EXPECT_EQ(Chunks(), after);
        SendCommand(ID_EDIT_UNDO);
    }
    EXPECT_FALSE(Document().GetCommandProcessor()->CanUndo());
}

TEST_F(Workbench, TheNameIsOneStepPerEditAndSavingKeepsTheHistory)
{
    CUiScope scope(m_ui);
    wxTextCtrl* field = View().SemiGlobalField();
    field->SetValue("Sofas");
    field->AppendText("Two");
    Document().CommitSemiGlobalName();  // as leaving the field does
    EXPECT_EQ(UndoLabel(), "&Undo Edit Semi-global Name");

    // An editor's OK that changes nothing is no step.
    Drive(m_ui, [](wxDialog& dialog) { ClickButton(dialog, wxID_OK); });
    DoubleClickEntry(*View().ConstantList(), 4096, "constant table");
    EXPECT_EQ(UndoLabel(), "&Undo Edit Semi-global Name");

    SendCommand(ID_FILE_SAVE);
    EXPECT_FALSE(Document().IsModified());
    SendCommand(ID_EDIT_UNDO);
    EXPECT_EQ(field->GetValue(), "Seating");
    EXPECT_TRUE(Document().IsModified()) << "the saved file holds the new name";
    SendCommand(ID_EDIT_REDO);
    EXPECT_EQ(Document().SemiGlobalName(), "SofasTwo");
    EXPECT_FALSE(Document().IsModified());

    // Opening a file starts the history anew.
    OpenDocument(m_path);
    EXPECT_FALSE(Document().GetCommandProcessor()->CanUndo());
}

TEST_F(Workbench, ASmallObjectBuiltFromNewSavesAndReopensUnchanged)
{
    CUiScope scope(m_ui);
    ResetDocument();
    Drive(m_ui, [](wxDialog& dialog) {
        // An empty id is no number.
        Type(dialog, IDC_RECORD_NAME, "init");
        Type(dialog, IDC_RECORD_ID, "");
        ClickButton(dialog, wxID_OK);
        Type(dialog, IDC_RECORD_ID, "0x1000");
        ClickButton(dialog, wxID_OK);
    });
    SendCommand(ID_RECORD_NEW_SCRIPT);
    EXPECT_EQ(m_ui.messages.size(), 1u);
    for (const int command : {ID_RECORD_NEW_STRINGS, ID_RECORD_NEW_INTERACTIONS, ID_RECORD_NEW_CONSTANTS})
    {
        Drive(m_ui, [](wxDialog& dialog) { ClickButton(dialog, wxID_OK); });  // the proposed id, no name
        SendCommand(command);
    }
    const std::vector<CChunkSnapshot> built = Chunks();
    ASSERT_EQ(built.size(), 5u);
    EXPECT_EQ(View().ScriptList()->GetString(0), "#4096: init");

    const std::string saved = m_folder.File("Built.iff");
    m_ui.filesToSave.push_back(saved);
    SendCommand(ID_FILE_SAVE);
    EXPECT_FALSE(Document().IsModified());
    OpenDocument(saved);
    EXPECT_EQ(Chunks(), built);
    EXPECT_EQ(View().InteractionList()->GetCount(), 1u);
}

TEST_F(Workbench, F2RenumbersAScriptWithItsReferencesUnlessTheBoxIsCleared)
{
    CUiScope scope(m_ui);
    struct CRow
    {
        bool follow;
        std::size_t atNewId;  // references that reach the new id afterwards
    };
    for (const CRow& row : {CRow{true, 4}, CRow{false, 0}})
    {
        SCOPED_TRACE(row.follow);
        const std::size_t before = FindScriptReferences(Document().Container(), 4098).size();
        ASSERT_EQ(before, 4u);  // two calling lines, an interaction's check tree, an entry point
        wxString label;
        Drive(m_ui, [&](wxDialog& dialog) {
            auto* box = wxDynamicCast(dialog.FindWindow(IDC_RECORD_FOLLOW), wxCheckBox);
            ASSERT_NE(box, nullptr);
            label = box->GetLabel();
            EXPECT_TRUE(box->GetValue());
            if (!row.follow)
            {
                box->SetValue(false);
                wxCommandEvent click(wxEVT_CHECKBOX, IDC_RECORD_FOLLOW);
                click.SetEventObject(box);
                box->GetEventHandler()->ProcessEvent(click);
            }
            Type(dialog, IDC_RECORD_ID, "5000");
            ClickButton(dialog, wxID_OK);
        });
        View().SelectRecord(ERecordKind::Script, 4098);
        View().ScriptList()->SetFocus();
        PressKey(*View().ScriptList(), WXK_F2);
        EXPECT_EQ(label, "4 references will follow");
        EXPECT_EQ(FindScriptReferences(Document().Container(), 5000).size(), row.atNewId);
        EXPECT_EQ(FindScriptReferences(Document().Container(), 4098).size(), before - row.atNewId);
        SendCommand(ID_EDIT_UNDO);  // one step takes back the script and every reference
        EXPECT_EQ(FindScriptReferences(Document().Container(), 4098).size(), before);
        EXPECT_FALSE(Document().IsModified());
    }
}
