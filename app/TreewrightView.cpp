#include "TreewrightView.h"

#include "TreewrightDoc.h"

#include "containers/TypeCodes.h"
#include "editors/ConstantsDlg.h"
#include "editors/InteractionsDlg.h"
#include "editors/ScriptEditorDlg.h"
#include "editors/StringsEditorDlg.h"
#include "framework/UserInterface.h"
#include "records/BhavScript.h"
#include "records/ConstantTable.h"
#include "records/InteractionTable.h"
#include "records/RecordFault.h"
#include "records/SemiGlobalReference.h"
#include "records/StringTable.h"
#include "resources/ResourceIds.h"
#include "resources/Strings.h"

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdint>

wxIMPLEMENT_DYNAMIC_CLASS(CTreewrightView, wxView);

namespace
{
wxListBox* CreateList(wxWindow* parent, int id)
{
    return new wxListBox(parent, id, wxDefaultPosition, wxDefaultSize, 0, nullptr,
                         wxLB_SINGLE | wxLB_SORT | wxLB_ALWAYS_SB);
}

// A framed list that grows with the window; `size` is its smallest size in dialog units.
wxStaticBoxSizer* FramedList(wxWindow* parent, const wxString& title, wxListBox*& list, int id, wxSize size)
{
    auto* frame = new wxStaticBoxSizer(wxVERTICAL, parent, title);
    list = CreateList(frame->GetStaticBox(), id);
    list->SetMinSize(parent->ConvertDialogToPixels(size));
    frame->Add(list, 1, wxEXPAND | wxALL, parent->FromDIP(4));
    return frame;
}
}

std::uint16_t ChunkIdOf(const wxListBox& list, unsigned int item)
{
    return static_cast<std::uint16_t>(reinterpret_cast<std::uintptr_t>(list.GetClientData(item)));
}

bool CTreewrightView::OnCreate(wxDocument* doc, long flags)
{
    if (!wxView::OnCreate(doc, flags))
        return false;
    wxWindow* frame = wxTheApp != nullptr ? wxTheApp->GetTopWindow() : nullptr;
    if (frame == nullptr)
        return false;
    SetFrame(frame);
    CreateForm(frame);
    frame->Layout();
    Activate(true);
    return true;
}

void CTreewrightView::CreateForm(wxWindow* parent)
{
    m_form = new wxPanel(parent, IDD_TREEWRIGHT_FORM);
    const int gap = m_form->FromDIP(7);

    auto* nameRow = new wxBoxSizer(wxHORIZONTAL);
    nameRow->Add(new wxStaticText(m_form, wxID_ANY, "Semi-global file:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    m_semiGlobal = new wxTextCtrl(m_form, IDC_SEMI_GLOBAL, wxString(), wxDefaultPosition, wxDefaultSize,
                                  wxTE_LEFT | wxHSCROLL);
    m_semiGlobal->SetMinSize(wxSize(m_form->ConvertDialogToPixels(wxSize(114, 12)).x, -1));
    m_semiGlobal->SetMaxLength(kMaxSemiGlobalNameLength);
    nameRow->Add(m_semiGlobal, 1, wxALIGN_CENTER_VERTICAL);

    auto* left = new wxBoxSizer(wxVERTICAL);
    left->Add(nameRow, 0, wxEXPAND | wxBOTTOM, gap);
    left->Add(FramedList(m_form, "SimAntics Scripts", m_scripts, IDC_SCRIPT_LIST, wxSize(156, 183)), 1, wxEXPAND);

    auto* right = new wxBoxSizer(wxVERTICAL);
    right->Add(FramedList(m_form, "SimAntics strings", m_strings, IDC_STRING_LIST, wxSize(150, 69)), 69,
               wxEXPAND | wxBOTTOM, gap);
    right->Add(FramedList(m_form, "Interaction sections", m_interactions, IDC_INTERACTION_LIST, wxSize(150, 38)),
               38, wxEXPAND | wxBOTTOM, gap);
    right->Add(FramedList(m_form, "Constants", m_constants, IDC_CONSTANT_LIST, wxSize(150, 38)), 38, wxEXPAND);

    auto* columns = new wxBoxSizer(wxHORIZONTAL);
    columns->Add(left, 1, wxEXPAND | wxRIGHT, gap);
    columns->Add(right, 1, wxEXPAND);
    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(columns, 1, wxEXPAND | wxALL, gap);
    m_form->SetSizer(outer);

    m_form->Bind(wxEVT_LISTBOX_DCLICK, &CTreewrightView::OnScriptsDoubleClick, this, IDC_SCRIPT_LIST);
    m_form->Bind(wxEVT_LISTBOX_DCLICK, &CTreewrightView::OnStringsDoubleClick, this, IDC_STRING_LIST);
    m_form->Bind(wxEVT_LISTBOX_DCLICK, &CTreewrightView::OnInteractionsDoubleClick, this, IDC_INTERACTION_LIST);
    m_form->Bind(wxEVT_LISTBOX_DCLICK, &CTreewrightView::OnConstantsDoubleClick, this, IDC_CONSTANT_LIST);
    m_form->Bind(wxEVT_TEXT, &CTreewrightView::OnSemiGlobalChanged, this, IDC_SEMI_GLOBAL);
}

CTreewrightDoc* CTreewrightView::Document() const
{
    return wxDynamicCast(GetDocument(), CTreewrightDoc);
}

void CTreewrightView::OnUpdate(wxView*, wxObject*)
{
    CTreewrightDoc* doc = Document();
    if (doc == nullptr || m_form == nullptr)
        return;
    // A refusal shown for the file before no longer applies.
    ShowStatus("Ready");
    m_form->Freeze();
    FillList(m_scripts, kTypeBhav);
    FillList(m_strings, kTypeStr);
    FillList(m_interactions, kTypeTtab);
    FillList(m_constants, kTypeBcon);
    m_form->Thaw();

    // A longer name read from a file is shown whole; only typed names are held to the limit.
    const wxString name = GameText(doc->SemiGlobalName());
    m_writingFields = true;
    m_semiGlobal->SetMaxLength(std::max<unsigned long>(kMaxSemiGlobalNameLength, name.length()));
    m_semiGlobal->ChangeValue(name);
    m_writingFields = false;
}

void CTreewrightView::FillList(wxListBox* list, std::uint32_t type)
{
    list->Clear();
    const CIffFile& container = Document()->Container();
    for (std::size_t position = container.FindFirstOfType(type); position != CIffFile::kNoPosition;)
    {
        const CIffChunk chunk = container.NextOfType(position);
        const int item = list->Append(wxString::Format("#%u: ", static_cast<unsigned>(chunk.id)) + GameText(chunk.name));
        list->SetClientData(static_cast<unsigned int>(item), reinterpret_cast<void*>(std::uintptr_t{chunk.id}));
    }
}

bool CTreewrightView::OnClose(bool deleteWindow)
{
    if (!wxView::OnClose(deleteWindow))
        return false;
    Activate(false);
    if (deleteWindow && m_form)
    {
        m_form->Destroy();
        m_form = nullptr;
    }
    return true;
}

void CTreewrightView::OnChangeFilename()
{
    wxWindow* frame = GetFrame();
    CTreewrightDoc* doc = Document();
    if (frame == nullptr || doc == nullptr)
        return;
    frame->SetLabel(doc->GetUserReadableName() + (doc->IsModified() ? "*" : "") + " - " + kProgramName);
}

void CTreewrightView::TakeSemiGlobalName()
{
    if (CTreewrightDoc* doc = Document())
        doc->SetSemiGlobalName(GameBytes(m_semiGlobal->GetValue()));
}

bool CTreewrightView::SelectedId(const wxListBox* list, std::uint16_t& id) const
{
    const int selection = list->GetSelection();
    if (selection == wxNOT_FOUND)
        return false;
    id = ChunkIdOf(*list, static_cast<unsigned int>(selection));
    return true;
}

void CTreewrightView::OnScriptsDoubleClick(wxCommandEvent&)
{
    TakeSemiGlobalName();
    if (std::uint16_t id = 0; SelectedId(m_scripts, id))
        EditScript(id);
}

void CTreewrightView::OnStringsDoubleClick(wxCommandEvent&)
{
    TakeSemiGlobalName();
    if (std::uint16_t id = 0; SelectedId(m_strings, id))
        EditStrings(id);
}

void CTreewrightView::OnInteractionsDoubleClick(wxCommandEvent&)
{
    TakeSemiGlobalName();
    if (std::uint16_t id = 0; SelectedId(m_interactions, id))
        EditInteractions(id);
}

void CTreewrightView::OnConstantsDoubleClick(wxCommandEvent&)
{
    TakeSemiGlobalName();
    if (std::uint16_t id = 0; SelectedId(m_constants, id))
        EditConstants(id);
}

void CTreewrightView::OnSemiGlobalChanged(wxCommandEvent&)
{
    if (!m_writingFields)
        TakeSemiGlobalName();
}

void CTreewrightView::ShowStatus(const wxString& text) const
{
    if (auto* frame = wxDynamicCast(GetFrame(), wxFrame); frame != nullptr && frame->GetStatusBar() != nullptr)
        frame->SetStatusText(text, 0);
}

void CTreewrightView::ShowRefusal(std::uint32_t type, std::uint16_t id, const std::string& name,
                                  const CRecordFault& fault) const
{
    ShowStatus(GameText(RecordRefusalText(type, id, name, fault)));
}

namespace
{
// OK of an editor whose record cannot be stored keeps the editor open with the user's changes and
// says why; the document stays as it was.
bool ExplainIfNotStored(wxWindow* editor, bool stored, std::uint32_t type, std::uint16_t id, const std::string& name,
                        const CRecordFault& fault)
{
    if (!stored)
        Ui().MessageBox(editor,
                        GameText(RecordRefusalText(type, id, name, fault)) +
                            "\n\nThe changes cannot be stored. The editor stays open with them; "
                            "Cancel leaves the record as it was.",
                        kProgramName, wxOK | wxICON_ERROR);
    return stored;
}
}

void CTreewrightView::EditScript(std::uint16_t id)
{
    CTreewrightDoc* doc = Document();
    if (doc == nullptr)
        return;
    CBhavScript script;
    if (!script.Load(doc->Container(), id))
        return ShowRefusal(kTypeBhav, id, script.m_name, script.Fault());
    CScriptEditorDlg dialog(nullptr);
    dialog.SetScript(script, doc->NeededFiles(), doc->FileName(), GameBytes(m_semiGlobal->GetValue()));
    dialog.SetCommit([&] {
        const bool stored = script.Store(doc->Container(), id);
        return ExplainIfNotStored(&dialog, stored, kTypeBhav, id, script.m_name, script.Fault());
    });
    if (Ui().RunModal(dialog) == wxID_OK)
        doc->RecordStored();
}

void CTreewrightView::EditStrings(std::uint16_t id)
{
    CTreewrightDoc* doc = Document();
    if (doc == nullptr)
        return;
    CStringTable table;
    if (!table.Load(doc->Container(), kTypeStr, id))
        return ShowRefusal(kTypeStr, id, table.m_name, table.Fault());
    CStringsEditorDlg dialog(table, nullptr);
    dialog.SetCommit([&] {
        const bool stored = table.Store(doc->Container(), kTypeStr, id);
        return ExplainIfNotStored(&dialog, stored, kTypeStr, id, table.m_name, table.Fault());
    });
    if (Ui().RunModal(dialog) == wxID_OK)
        doc->RecordStored();
}

void CTreewrightView::EditInteractions(std::uint16_t id)
{
    CTreewrightDoc* doc = Document();
    if (doc == nullptr)
        return;
    // The names live in the `TTAs` table of the same id: the two open, and are kept, together.
    CInteractionTable interactions;
    CStringTable names;
    if (!interactions.Load(doc->Container(), id))
        return ShowRefusal(kTypeTtab, id, interactions.m_name, interactions.Fault());
    if (!names.Load(doc->Container(), kTypeTtas, id))
        return ShowRefusal(kTypeTtas, id, names.m_name, names.Fault());
    CInteractionsDlg dialog(nullptr);
    dialog.SetTables(interactions, names);
    dialog.SetCommit([&] {
        // Both tables are stored or neither: a table whose names were not stored would show other
        // names, or none, the next time.
        CIffFile& container = doc->Container();
        CIffFile before = container;
        const bool storedTable = interactions.Store(container, id);
        if (!ExplainIfNotStored(&dialog, storedTable, kTypeTtab, id, interactions.m_name, interactions.Fault()))
            return false;
        const bool storedNames = names.Store(container, kTypeTtas, id);
        if (ExplainIfNotStored(&dialog, storedNames, kTypeTtas, id, names.m_name, names.Fault()))
            return true;
        container = std::move(before);
        return false;
    });
    if (Ui().RunModal(dialog) == wxID_OK)
        doc->RecordStored();
}

void CTreewrightView::EditConstants(std::uint16_t id)
{
    CTreewrightDoc* doc = Document();
    if (doc == nullptr)
        return;
    CConstantTable table;
    if (!table.Load(doc->Container(), id))
        return ShowRefusal(kTypeBcon, id, table.m_name, table.Fault());
    CConstantsDlg dialog(nullptr);
    dialog.SetTable(table);
    dialog.SetCommit([&] {
        const bool stored = table.Store(doc->Container(), id);
        return ExplainIfNotStored(&dialog, stored, kTypeBcon, id, table.m_name, table.Fault());
    });
    if (Ui().RunModal(dialog) == wxID_OK)
        doc->RecordStored();
}
