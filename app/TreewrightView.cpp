#include "TreewrightView.h"

#include "TreewrightDoc.h"

#include "containers/TypeCodes.h"
#include "editors/ConstantsDlg.h"
#include "editors/InteractionsDlg.h"
#include "editors/ScriptEditorDlg.h"
#include "editors/StringsEditorDlg.h"
#include "RecordNameDlg.h"
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
#include <wx/menu.h>
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
    m_semiGlobal->Bind(wxEVT_KILL_FOCUS, &CTreewrightView::OnSemiGlobalDone, this);
    for (wxListBox* list : {m_scripts, m_strings, m_interactions, m_constants})
    {
        list->Bind(wxEVT_SET_FOCUS, &CTreewrightView::OnListFocus, this);
        list->Bind(wxEVT_KEY_DOWN, &CTreewrightView::OnListKey, this);
        list->Bind(wxEVT_CONTEXT_MENU, &CTreewrightView::OnListContextMenu, this);
    }
    m_activeList = m_scripts;
    // The frame hands its commands to the document manager, which hands them to this view.
    Bind(wxEVT_MENU, &CTreewrightView::OnRecordCommand, this, ID_RECORD_NEW, ID_RECORD_DELETE);
    Bind(wxEVT_UPDATE_UI, &CTreewrightView::OnUpdateRecordCommand, this, ID_RECORD_NEW, ID_RECORD_DELETE);
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
    // A change to one record refills every list; the entries chosen stay chosen where they remain.

    // A longer name read from a file is shown whole; only typed names are held to the limit.
    const wxString name = GameText(doc->SemiGlobalName());
    m_writingFields = true;
    m_semiGlobal->SetMaxLength(std::max<unsigned long>(kMaxSemiGlobalNameLength, name.length()));
    m_semiGlobal->ChangeValue(name);
    m_writingFields = false;
}

void CTreewrightView::FillList(wxListBox* list, std::uint32_t type)
{
    std::uint16_t selected = 0;
    const bool hadSelection = SelectedId(list, selected);
    list->Clear();
    const CIffFile& container = Document()->Container();
    for (std::size_t position = container.FindFirstOfType(type); position != CIffFile::kNoPosition;)
    {
        const CIffChunk chunk = container.NextOfType(position);
        const int item = list->Append(wxString::Format("#%u: ", static_cast<unsigned>(chunk.id)) + GameText(chunk.name));
        list->SetClientData(static_cast<unsigned int>(item), reinterpret_cast<void*>(std::uintptr_t{chunk.id}));
        if (hadSelection && chunk.id == selected)
            list->SetSelection(item);
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

void CTreewrightView::OnSemiGlobalDone(wxFocusEvent& event)
{
    // Leaving the field ends one edit of the name: one step of the history, not one per key.
    if (CTreewrightDoc* doc = Document())
        doc->CommitSemiGlobalName();
    event.Skip();
}

wxListBox* CTreewrightView::ListOf(ERecordKind kind) const
{
    switch (kind)
    {
    case ERecordKind::Script:
        return m_scripts;
    case ERecordKind::Strings:
        return m_strings;
    case ERecordKind::Interactions:
        return m_interactions;
    case ERecordKind::Constants:
        return m_constants;
    }
    return nullptr;
}

std::optional<ERecordKind> CTreewrightView::KindOf(const wxListBox* list) const
{
    for (const ERecordKind kind :
         {ERecordKind::Script, ERecordKind::Strings, ERecordKind::Interactions, ERecordKind::Constants})
        if (ListOf(kind) == list)
            return kind;
    return std::nullopt;
}

wxListBox* CTreewrightView::ActiveList() const
{
    return m_activeList != nullptr ? m_activeList : m_scripts;
}

bool CTreewrightView::SelectedRecord(ERecordKind& kind, std::uint16_t& id, std::string& name) const
{
    wxListBox* list = ActiveList();
    const std::optional<ERecordKind> listKind = KindOf(list);
    if (list == nullptr || !listKind || !SelectedId(list, id) || Document() == nullptr)
        return false;
    kind = *listKind;
    CIffChunk chunk;
    chunk.type = ListedType(kind);
    chunk.id = id;
    if (!Document()->Container().FindChunk(chunk))
        return false;
    name = chunk.name;
    return true;
}

std::vector<CChunkKey> CTreewrightView::RecordKeys(ERecordKind kind, std::initializer_list<std::uint16_t> ids) const
{
    std::vector<CChunkKey> keys;
    for (const std::uint32_t type : RecordChunkTypes(kind))
        for (const std::uint16_t id : ids)
            if (std::find(keys.begin(), keys.end(), CChunkKey(type, id)) == keys.end())
                keys.emplace_back(type, id);
    return keys;
}

void CTreewrightView::SelectRecord(ERecordKind kind, std::uint16_t id)
{
    wxListBox* list = ListOf(kind);
    m_activeList = list;
    for (unsigned int item = 0; item < list->GetCount(); ++item)
        if (ChunkIdOf(*list, item) == id)
        {
            list->SetSelection(static_cast<int>(item));
            list->EnsureVisible(static_cast<int>(item));
            return;
        }
}

void CTreewrightView::NewRecord(ERecordKind kind)
{
    CTreewrightDoc* doc = Document();
    if (doc == nullptr)
        return;
    const std::optional<std::uint16_t> free = NextFreeRecordId(doc->Container(), kind);
    if (!free)
    {
        Ui().MessageBox(m_form, wxString::Format("Every id of a %s is in use.", RecordKindName(kind)), kProgramName,
                        wxOK | wxICON_EXCLAMATION);
        return;
    }
    CRecordNameDlg dialog(m_form, wxString("New ") + RecordKindName(kind), doc->Container(), kind, "", *free);
    if (Ui().RunModal(dialog) != wxID_OK)
        return;
    const std::uint16_t id = dialog.Id();
    if (doc->ChangeRecords(StepLabel("New", kind, id), RecordKeys(kind, {id}),
                           [&](CIffFile& container) { return CreateRecord(container, kind, id, dialog.Name()); }))
        SelectRecord(kind, id);
}

void CTreewrightView::DuplicateSelectedRecord()
{
    CTreewrightDoc* doc = Document();
    ERecordKind kind;
    std::uint16_t from = 0;
    std::string name;
    if (doc == nullptr || !SelectedRecord(kind, from, name))
        return;
    const std::optional<std::uint16_t> free = NextFreeRecordId(doc->Container(), kind);
    if (!free)
        return;
    CRecordNameDlg dialog(m_form, wxString("Duplicate ") + RecordKindName(kind), doc->Container(), kind,
                          CopyName(name), *free);
    if (Ui().RunModal(dialog) != wxID_OK)
        return;
    const std::uint16_t to = dialog.Id();
    if (doc->ChangeRecords(StepLabel("Duplicate", kind, from), RecordKeys(kind, {to}), [&](CIffFile& container) {
            return ::DuplicateRecord(container, kind, from, to, dialog.Name());
        }))
        SelectRecord(kind, to);
}

void CTreewrightView::RenameSelectedRecord()
{
    CTreewrightDoc* doc = Document();
    ERecordKind kind;
    std::uint16_t id = 0;
    std::string name;
    if (doc == nullptr || !SelectedRecord(kind, id, name))
        return;
    CRecordNameDlg dialog(m_form, wxString("Rename ") + RecordKindName(kind), doc->Container(), kind, name, id, id);
    if (Ui().RunModal(dialog) != wxID_OK)
        return;
    const std::uint16_t newId = dialog.Id();
    if (doc->ChangeRecords(StepLabel("Rename", kind, id), RecordKeys(kind, {id, newId}), [&](CIffFile& container) {
            return ::RenameRecord(container, kind, id, newId, dialog.Name());
        }))
        SelectRecord(kind, newId);
}

void CTreewrightView::DeleteSelectedRecord()
{
    CTreewrightDoc* doc = Document();
    ERecordKind kind;
    std::uint16_t id = 0;
    std::string name;
    if (doc == nullptr || !SelectedRecord(kind, id, name))
        return;
    wxString question;
    if (kind == ERecordKind::Script)
    {
        // Whatever calls the script or names it as a tree would break unseen: say so first.
        const std::vector<CRecordReference> references = FindScriptReferences(doc->Container(), id);
        if (!references.empty())
        {
            question = "These refer to it:\n";
            for (const CRecordReference& reference : references)
                question += GameText(RecordReferenceText(reference)) + "\n";
            question += "\n";
        }
    }
    question += wxString::Format("Delete %s #%u: ", RecordKindName(kind), unsigned(id)) + GameText(name) + "?";
    if (!AskYesNo(m_form, question, kWarningCaption))
        return;
    doc->ChangeRecords(StepLabel("Delete", kind, id), RecordKeys(kind, {id}),
                       [&](CIffFile& container) { return ::DeleteRecord(container, kind, id); });
}

void CTreewrightView::OnListFocus(wxFocusEvent& event)
{
    m_activeList = wxDynamicCast(event.GetEventObject(), wxListBox);
    event.Skip();
}

void CTreewrightView::OnListKey(wxKeyEvent& event)
{
    m_activeList = wxDynamicCast(event.GetEventObject(), wxListBox);
    const std::optional<ERecordKind> kind = KindOf(m_activeList);
    if (!kind || event.HasAnyModifiers())
    {
        event.Skip();
        return;
    }
    switch (event.GetKeyCode())
    {
    case WXK_INSERT:
        NewRecord(*kind);
        break;
    case WXK_DELETE:
        DeleteSelectedRecord();
        break;
    case WXK_F2:
        RenameSelectedRecord();
        break;
    default:
        event.Skip();
    }
}

void CTreewrightView::OnListContextMenu(wxContextMenuEvent& event)
{
    auto* list = wxDynamicCast(event.GetEventObject(), wxListBox);
    const std::optional<ERecordKind> kind = KindOf(list);
    if (!kind)
        return;
    m_activeList = list;
    // A right click chooses the entry under the pointer, as lists elsewhere do.
    if (event.GetPosition() != wxDefaultPosition)
        if (const int item = list->HitTest(list->ScreenToClient(event.GetPosition())); item != wxNOT_FOUND)
            list->SetSelection(item);
    wxMenu menu;
    menu.Append(ID_RECORD_NEW, wxString("&New ") + RecordKindName(*kind) + "...\tIns");
    menu.Append(ID_RECORD_DUPLICATE, "&Duplicate...\tCtrl+D");
    menu.Append(ID_RECORD_RENAME, "&Rename...\tF2");
    menu.Append(ID_RECORD_DELETE, "De&lete\tDel");
    const bool selected = list->GetSelection() != wxNOT_FOUND;
    for (const int id : {ID_RECORD_DUPLICATE, ID_RECORD_RENAME, ID_RECORD_DELETE})
        menu.Enable(id, selected);
    list->PopupMenu(&menu);
}

void CTreewrightView::OnRecordCommand(wxCommandEvent& event)
{
    switch (event.GetId())
    {
    case ID_RECORD_NEW:
        if (const std::optional<ERecordKind> kind = KindOf(ActiveList()))
            NewRecord(*kind);
        break;
    case ID_RECORD_NEW_SCRIPT:
        NewRecord(ERecordKind::Script);
        break;
    case ID_RECORD_NEW_STRINGS:
        NewRecord(ERecordKind::Strings);
        break;
    case ID_RECORD_NEW_INTERACTIONS:
        NewRecord(ERecordKind::Interactions);
        break;
    case ID_RECORD_NEW_CONSTANTS:
        NewRecord(ERecordKind::Constants);
        break;
    case ID_RECORD_DUPLICATE:
        DuplicateSelectedRecord();
        break;
    case ID_RECORD_RENAME:
        RenameSelectedRecord();
        break;
    case ID_RECORD_DELETE:
        DeleteSelectedRecord();
        break;
    default:
        event.Skip();
    }
}

void CTreewrightView::OnUpdateRecordCommand(wxUpdateUIEvent& event)
{
    const int id = event.GetId();
    if (id == ID_RECORD_DUPLICATE || id == ID_RECORD_RENAME || id == ID_RECORD_DELETE)
    {
        ERecordKind kind;
        std::uint16_t record = 0;
        std::string name;
        event.Enable(SelectedRecord(kind, record, name));
        return;
    }
    event.Enable(Document() != nullptr);
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

wxString CTreewrightView::StepLabel(const char* verb, ERecordKind kind, std::uint16_t id)
{
    return wxString::Format("%s %s #%u", verb, RecordKindName(kind), unsigned(id));
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
        bool stored = false;
        doc->ChangeRecords(StepLabel("Edit", ERecordKind::Script, id), {{kTypeBhav, id}},
                           [&](CIffFile& container) { return stored = script.Store(container, id); });
        return ExplainIfNotStored(&dialog, stored, kTypeBhav, id, script.m_name, script.Fault());
    });
    Ui().RunModal(dialog);
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
        bool stored = false;
        doc->ChangeRecords(StepLabel("Edit", ERecordKind::Strings, id), {{kTypeStr, id}},
                           [&](CIffFile& container) { return stored = table.Store(container, kTypeStr, id); });
        return ExplainIfNotStored(&dialog, stored, kTypeStr, id, table.m_name, table.Fault());
    });
    Ui().RunModal(dialog);
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
        // names, or none, the next time. A change that fails leaves the document as it was.
        bool storedTable = false;
        bool storedNames = false;
        doc->ChangeRecords(StepLabel("Edit", ERecordKind::Interactions, id), {{kTypeTtab, id}, {kTypeTtas, id}},
                           [&](CIffFile& container) {
                               storedTable = interactions.Store(container, id);
                               storedNames = storedTable && names.Store(container, kTypeTtas, id);
                               return storedNames;
                           });
        if (!ExplainIfNotStored(&dialog, storedTable, kTypeTtab, id, interactions.m_name, interactions.Fault()))
            return false;
        return ExplainIfNotStored(&dialog, storedNames, kTypeTtas, id, names.m_name, names.Fault());
    });
    Ui().RunModal(dialog);
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
        bool stored = false;
        doc->ChangeRecords(StepLabel("Edit", ERecordKind::Constants, id), {{kTypeBcon, id}},
                           [&](CIffFile& container) { return stored = table.Store(container, id); });
        return ExplainIfNotStored(&dialog, stored, kTypeBcon, id, table.m_name, table.Fault());
    });
    Ui().RunModal(dialog);
}
