#include "TreewrightView.h"

#include "DocumentHint.h"
#include "LoadingDlg.h"
#include "RecordNameDlg.h"
#include "ReferencesDlg.h"
#include "TreewrightDoc.h"

#include "containers/TypeCodes.h"
#include "framework/GameDataFolder.h"
#include "framework/ListFilling.h"
#include "framework/UserInterface.h"
#include "records/ObjectDefinition.h"
#include "records/SemiGlobalReference.h"
#include "rendering/ObjectEntryPoints.h"
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

// A framed list under its filter field that grows with the window; `size` is the list's smallest
// size in dialog units.
wxStaticBoxSizer* FramedList(wxWindow* parent, const wxString& title, wxListBox*& list, int id,
                             wxTextCtrl*& filter, int filterId, wxSize size)
{
    auto* frame = new wxStaticBoxSizer(wxVERTICAL, parent, title);
    filter = new wxTextCtrl(frame->GetStaticBox(), filterId);
    filter->SetHint("Filter by id or name (Ctrl+F)");
    list = CreateList(frame->GetStaticBox(), id);
    list->SetMinSize(parent->ConvertDialogToPixels(size));
    const int gap = parent->FromDIP(4);
    frame->Add(filter, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, gap);
    frame->Add(list, 1, wxEXPAND | wxALL, gap);
    return frame;
}

// Whether an entry passes the filter, without regard to case: its id holds the text in decimal, or
// the text starts with 0x and the id's hexadecimal begins with the rest (with or without leading
// zeros, so 0x10 finds both 0x1000 and 0x0100), or its name holds the text.
bool PassesFilter(std::uint16_t id, const wxString& name, const wxString& filter)
{
    const wxString text = filter.Lower();
    if (text.empty() || wxString::Format("%u", unsigned(id)).Contains(text))
        return true;
    if (text.StartsWith("0x") && (wxString::Format("0x%x", unsigned(id)).StartsWith(text) ||
                                  wxString::Format("0x%04x", unsigned(id)).StartsWith(text)))
        return true;
    return name.Lower().Contains(text);
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
    // The first keys go to the scripts, not into the semi-global field, where they would change the file.
    ScriptList()->SetFocus();
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
    const auto framed = [this](const char* title, ERecordKind kind, int listId, int filterId, wxSize size) {
        const std::size_t k = std::size_t(kind);
        return FramedList(m_form, title, m_lists[k], listId, m_filters[k], filterId, size);
    };
    left->Add(framed("SimAntics Scripts", ERecordKind::Script, IDC_SCRIPT_LIST, IDC_SCRIPT_FILTER, wxSize(156, 183)), 183,
              wxEXPAND | wxBOTTOM, gap);
    left->Add(framed("Objects", ERecordKind::Objects, IDC_OBJECT_LIST, IDC_OBJECT_FILTER, wxSize(156, 38)), 38, wxEXPAND);

    auto* right = new wxBoxSizer(wxVERTICAL);
    right->Add(framed("SimAntics strings", ERecordKind::Strings, IDC_STRING_LIST, IDC_STRING_FILTER, wxSize(150, 69)),
               69, wxEXPAND | wxBOTTOM, gap);
    right->Add(framed("Interaction sections", ERecordKind::Interactions, IDC_INTERACTION_LIST, IDC_INTERACTION_FILTER,
                      wxSize(150, 38)),
               38, wxEXPAND | wxBOTTOM, gap);
    right->Add(framed("Constants", ERecordKind::Constants, IDC_CONSTANT_LIST, IDC_CONSTANT_FILTER, wxSize(150, 38)), 38,
               wxEXPAND);

    auto* columns = new wxBoxSizer(wxHORIZONTAL);
    columns->Add(left, 1, wxEXPAND | wxRIGHT, gap);
    columns->Add(right, 1, wxEXPAND);
    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(columns, 1, wxEXPAND | wxALL, gap);
    m_form->SetSizer(outer);

    m_form->Bind(wxEVT_TEXT, &CTreewrightView::OnSemiGlobalChanged, this, IDC_SEMI_GLOBAL);
    m_semiGlobal->Bind(wxEVT_KILL_FOCUS, &CTreewrightView::OnSemiGlobalDone, this);
    for (const ERecordKind kind : kRecordKinds)
        m_refusals.Attach(*ListOf(kind), kind, [this](const wxString& text) { ShowStatus(text); });
    for (wxListBox* list : m_lists)
    {
        m_form->Bind(wxEVT_LISTBOX_DCLICK, &CTreewrightView::OnListDoubleClick, this, list->GetId());
        list->Bind(wxEVT_SET_FOCUS, &CTreewrightView::OnListFocus, this);
        list->Bind(wxEVT_KEY_DOWN, &CTreewrightView::OnListKey, this);
        list->Bind(wxEVT_CHAR_HOOK, &CTreewrightView::OnListEnter, this);
        list->Bind(wxEVT_CONTEXT_MENU, &CTreewrightView::OnListContextMenu, this);
    }
    for (wxTextCtrl* filter : m_filters)
    {
        m_form->Bind(wxEVT_TEXT, &CTreewrightView::OnFilterChanged, this, filter->GetId());
        filter->Bind(wxEVT_KEY_DOWN, &CTreewrightView::OnFilterKey, this);
        filter->Bind(wxEVT_SET_FOCUS, &CTreewrightView::OnFilterFocus, this);
    }
    m_activeList = ListOf(ERecordKind::Script);
    // The frame hands its commands to the document manager, which hands them to this view.
    Bind(wxEVT_MENU, &CTreewrightView::OnRecordCommand, this, ID_RECORD_NEW, ID_RECORD_NEW_OBJECT);
    Bind(wxEVT_UPDATE_UI, &CTreewrightView::OnUpdateRecordCommand, this, ID_RECORD_NEW, ID_RECORD_NEW_OBJECT);
    Bind(wxEVT_MENU, &CTreewrightView::OnFindCommand, this, ID_EDIT_FIND, ID_FIND_REFERENCES);
    Bind(wxEVT_UPDATE_UI, &CTreewrightView::OnUpdateFindCommand, this, ID_EDIT_FIND, ID_FIND_REFERENCES);
}

CTreewrightDoc* CTreewrightView::Document() const
{
    return wxDynamicCast(GetDocument(), CTreewrightDoc);
}

void CTreewrightView::OnUpdate(wxView*, wxObject* hint)
{
    CTreewrightDoc* doc = Document();
    if (doc == nullptr || m_form == nullptr)
        return;
    const EDocumentHint what = HintOf(hint);
    if (what == EDocumentHint::FileRead)
        return LoadGlobalFiles();
    if (what == EDocumentHint::OtherFile || what == EDocumentHint::Opened)
    {
        ClearFilters();
        // Another file, or the same one read again: its lists are filled anew.
        m_listed = {};
    }
    // A refusal shown for the file before no longer applies.
    ShowStatus("Ready");
    m_refusals.Update(doc->Container());
    m_form->Freeze();
    for (const ERecordKind kind : kRecordKinds)
        FillList(kind);
    m_form->Thaw();
    // A change to one record refills every list; the entries chosen stay chosen where they remain.

    // A longer name read from a file is shown whole; only typed names are held to the limit.
    const wxString name = GameText(doc->SemiGlobalName());
    m_writingFields = true;
    m_semiGlobal->SetMaxLength(std::max<unsigned long>(kMaxSemiGlobalNameLength, name.length()));
    m_semiGlobal->ChangeValue(name);
    m_writingFields = false;
    if (what == EDocumentHint::Opened)
    {
        // The first keys go to the scripts, not into the semi-global field, where they would
        // change the file.
        ScriptList()->SetFocus();
        ShowWhatWasLoaded();
        // Focusing the list may choose its first entry once the toolkit gets to it, whose refusal
        // would then hide what the open loaded; that is said again after.
        CallAfter([this, opened = doc->GetFilename()] {
            if (Document() != nullptr && Document()->GetFilename() == opened && Document()->GetDocumentSaved())
                ShowWhatWasLoaded();
        });
    }
}

void CTreewrightView::LoadGlobalFiles()
{
    CLoadingDlg dialog(GetFrame());
    dialog.SetGameDataFolder(GameDataFolder());
    // A load that ends this soon shows no dialog at all: a window that flashes up and goes only
    // makes the open look slower than it is.
    constexpr int kLoadShownAfterMs = 150;
    dialog.Start();
    if (!dialog.EndsWithin(kLoadShownAfterMs))
        Ui().RunModal(dialog);
    Document()->TakeGlobalFiles(dialog.TakeFiles());
    // Said once, with the loader's messages, before the open file joins the loaded files.
    m_missingSemiGlobal = MissingSemiGlobalMessage(Document()->NeededFiles(), Document()->SemiGlobalName());
    if (!m_missingSemiGlobal.empty())
        CMessageBoxPrompt().ShowMessage(m_missingSemiGlobal, kErrorCaption);
}

void CTreewrightView::ShowWhatWasLoaded() const
{
    const CTreewrightDoc* doc = Document();
    const CNeededFiles& needed = doc->NeededFiles();
    // The open file is indexed last; everything before it came from the global folder.
    const std::size_t globalFiles = needed.Index().empty() ? 0 : needed.Index().size() - 1;
    std::size_t globalScripts = 0;
    std::size_t counted = 0;
    for (const CFileScriptNames& file : needed.Index())
        if (counted++ < globalFiles)
            globalScripts += file.scripts.size();
    std::size_t records = 0;
    for (const CIffChunk& chunk : doc->Container().Chunks())
        records += KindOfListedType(chunk.type) ? 1 : 0;
    wxString text = wxString::Format("%s: %zu records; ", doc->GetUserReadableName(), records);
    if (globalFiles == 0)
        text += "no global files loaded, so calls into global scripts show as numbers";
    else
        text += wxString::Format("%zu global files loaded, naming %zu scripts", globalFiles, globalScripts);
    if (!m_missingSemiGlobal.empty())
        text += ". " + wxString::FromUTF8(m_missingSemiGlobal);
    ShowStatus(text);
}

void CTreewrightView::FillList(ERecordKind kind)
{
    wxListBox* list = ListOf(kind);
    const wxString filter = FilterOf(kind)->GetValue();
    // The entry chosen stays chosen while a filter hides it, so that it is chosen again once the
    // filter lets it through.
    std::optional<std::uint16_t>& chosen = m_chosenIds[static_cast<std::size_t>(kind)];
    if (std::uint16_t selected = 0; SelectedId(list, selected))
        chosen = selected;
    bool chosenExists = false;
    wxArrayString texts;
    std::vector<void*> ids;
    const CIffFile& container = Document()->Container();
    for (std::size_t position = container.FindFirstOfType(ListedType(kind)); position != CIffFile::kNoPosition;)
    {
        const CIffChunk chunk = container.NextOfType(position);
        chosenExists = chosenExists || chunk.id == chosen;
        wxString name = GameText(chunk.name);
        // An object is told from its clones by its GUID, which the filter finds too.
        if (CObjectDefinition object; kind == ERecordKind::Objects && object.Load(container, chunk.id))
            name += " (GUID " + GuidText(object.Guid()) + ")";
        if (!PassesFilter(chunk.id, name, filter))
            continue;
        // Not Format: on a list of thousands, its parsing cost more than the list itself.
        texts.push_back(wxString("#") << static_cast<unsigned>(chunk.id) << ": " << name);
        ids.push_back(reinterpret_cast<void*>(std::uintptr_t{chunk.id}));
    }
    if (!chosenExists)
        chosen.reset();
    // Most changes leave most lists as they were: those are not filled again, and keep their
    // selection and scroll position.
    CListedEntries& listed = m_listed[static_cast<std::size_t>(kind)];
    if (listed.texts == texts && listed.ids == ids && list->GetCount() == texts.size())
        return;
    ReplaceListItems(*list, texts, ids);
    listed.texts = std::move(texts);
    listed.ids = std::move(ids);
    for (unsigned int item = 0; chosen && item < list->GetCount(); ++item)
        if (ChunkIdOf(*list, item) == *chosen)
            list->SetSelection(static_cast<int>(item));
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

void CTreewrightView::OnListDoubleClick(wxCommandEvent& event)
{
    TakeSemiGlobalName();
    auto* list = wxDynamicCast(event.GetEventObject(), wxListBox);
    const std::optional<ERecordKind> kind = KindOf(list);
    if (std::uint16_t id = 0; kind && SelectedId(list, id))
        EditRecord(*kind, id);
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
    return m_lists[std::size_t(kind)];
}

wxTextCtrl* CTreewrightView::FilterOf(ERecordKind kind) const
{
    return m_filters[std::size_t(kind)];
}

std::optional<ERecordKind> CTreewrightView::KindOfFilter(int id) const
{
    for (const ERecordKind kind : kRecordKinds)
        if (FilterOf(kind)->GetId() == id)
            return kind;
    return std::nullopt;
}

std::optional<ERecordKind> CTreewrightView::KindOf(const wxListBox* list) const
{
    for (const ERecordKind kind : kRecordKinds)
        if (ListOf(kind) == list)
            return kind;
    return std::nullopt;
}

wxListBox* CTreewrightView::ActiveList() const
{
    return m_activeList != nullptr ? m_activeList : ListOf(ERecordKind::Script);
}

std::optional<CTreewrightView::CListedRecord> CTreewrightView::SelectedRecord() const
{
    wxListBox* list = ActiveList();
    const std::optional<ERecordKind> kind = KindOf(list);
    std::uint16_t id = 0;
    if (list == nullptr || !kind || !SelectedId(list, id) || Document() == nullptr)
        return std::nullopt;
    CIffChunk chunk;
    chunk.type = ListedType(*kind);
    chunk.id = id;
    if (!Document()->Container().FindChunk(chunk))
        return std::nullopt;
    return CListedRecord{*kind, id, chunk.name};
}

void CTreewrightView::SelectRecord(ERecordKind kind, std::uint16_t id)
{
    wxListBox* list = ListOf(kind);
    m_activeList = list;
    for (int pass = 0; pass < 2; ++pass)
    {
        for (unsigned int item = 0; item < list->GetCount(); ++item)
            if (ChunkIdOf(*list, item) == id)
            {
                list->SetSelection(static_cast<int>(item));
                list->EnsureVisible(static_cast<int>(item));
                return;
            }
        // A record just made or renamed that the filter hides would seem lost: show it.
        if (FilterOf(kind)->IsEmpty())
            return;
        FilterOf(kind)->ChangeValue(wxString());
        FillList(kind);
    }
}

void CTreewrightView::ClearFilters()
{
    if (m_form == nullptr)
        return;
    for (const ERecordKind kind : kRecordKinds)
        FilterOf(kind)->ChangeValue(wxString());
}

void CTreewrightView::FocusFilter()
{
    wxTextCtrl* filter = FilterOf(KindOf(ActiveList()).value_or(ERecordKind::Script));
    filter->SetFocus();
    filter->SelectAll();
}

void CTreewrightView::FindSelectedScriptReferences()
{
    CTreewrightDoc* doc = Document();
    const std::optional<CListedRecord> selected = SelectedRecord();
    if (doc == nullptr || !selected || selected->kind != ERecordKind::Script)
        return;
    TakeSemiGlobalName();
    ShowScriptReferences(m_form, *doc, selected->id, doc->FileName());
}

void CTreewrightView::OnFilterChanged(wxCommandEvent& event)
{
    if (const std::optional<ERecordKind> kind = KindOfFilter(event.GetId()))
        FillList(*kind);
}

void CTreewrightView::OnFilterKey(wxKeyEvent& event)
{
    auto* filter = wxDynamicCast(event.GetEventObject(), wxTextCtrl);
    const std::optional<ERecordKind> kind = filter != nullptr ? KindOfFilter(filter->GetId()) : std::nullopt;
    if (!kind || event.HasAnyModifiers())
    {
        event.Skip();
        return;
    }
    switch (event.GetKeyCode())
    {
    case WXK_ESCAPE:
        filter->SetValue(wxString());
        break;
    case WXK_DOWN:
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
    {
        // From the filter straight on to the entries it left.
        wxListBox* list = ListOf(*kind);
        if (list->GetSelection() == wxNOT_FOUND && list->GetCount() > 0)
            list->SetSelection(0);
        list->SetFocus();
        m_activeList = list;
        break;
    }
    default:
        event.Skip();
    }
}

void CTreewrightView::OnFilterFocus(wxFocusEvent& event)
{
    // The filter stands for its list: Ctrl+F and the record commands keep to that list.
    if (auto* filter = wxDynamicCast(event.GetEventObject(), wxTextCtrl))
        if (const std::optional<ERecordKind> kind = KindOfFilter(filter->GetId()))
            m_activeList = ListOf(*kind);
    event.Skip();
}

void CTreewrightView::OnFindCommand(wxCommandEvent& event)
{
    if (event.GetId() == ID_EDIT_FIND)
        FocusFilter();
    else
        FindSelectedScriptReferences();
}

void CTreewrightView::OnUpdateFindCommand(wxUpdateUIEvent& event)
{
    if (event.GetId() == ID_EDIT_FIND)
    {
        event.Enable(m_form != nullptr);
        return;
    }
    const std::optional<CListedRecord> selected = SelectedRecord();
    event.Enable(selected && selected->kind == ERecordKind::Script);
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
    NameAndChange(dialog, "New", kind, std::nullopt, [&](CIffFile& container, std::uint16_t id, const std::string& name) {
        if (kind != ERecordKind::Objects)
            return CreateRecord(container, kind, id, name);
        // A new object's GUID is one that no object of the file or of the loaded files has.
        std::vector<std::uint32_t> used = UsedObjectGuids(container);
        const std::vector<std::uint32_t> loaded = LoadedObjectGuids(doc->NeededFiles());
        used.insert(used.end(), loaded.begin(), loaded.end());
        return CreateObject(container, id, name, DrawObjectGuid(used), true);
    });
}

void CTreewrightView::DuplicateSelectedRecord()
{
    CTreewrightDoc* doc = Document();
    const std::optional<CListedRecord> from = SelectedRecord();
    if (doc == nullptr || !from)
        return;
    const std::optional<std::uint16_t> free = NextFreeRecordId(doc->Container(), from->kind);
    if (!free)
        return;
    CRecordNameDlg dialog(m_form, wxString("Duplicate ") + RecordKindName(from->kind), doc->Container(), from->kind,
                          CopyName(from->name), *free);
    NameAndChange(dialog, "Duplicate", from->kind, from->id,
                  [&](CIffFile& container, std::uint16_t to, const std::string& name) {
                      return ::DuplicateRecord(container, from->kind, from->id, to, name,
                                               LoadedObjectGuids(doc->NeededFiles()));
                  });
}

void CTreewrightView::RenameSelectedRecord()
{
    CTreewrightDoc* doc = Document();
    const std::optional<CListedRecord> record = SelectedRecord();
    if (doc == nullptr || !record)
        return;
    CRecordNameDlg dialog(m_form, wxString("Rename ") + RecordKindName(record->kind), doc->Container(), record->kind,
                          record->name, record->id, record->id);
    NameAndChange(dialog, "Rename", record->kind, record->id,
                  [&](CIffFile& container, std::uint16_t newId, const std::string& name) {
                      return ::RenameRecord(container, record->kind, record->id, newId, name,
                                            dialog.FollowReferences());
                  });
}

void CTreewrightView::NameAndChange(CRecordNameDlg& dialog, const char* verb, ERecordKind kind,
                                    std::optional<std::uint16_t> stepId, const TNamedChange& change)
{
    if (Ui().RunModal(dialog) != wxID_OK)
        return;
    const std::uint16_t id = dialog.Id();
    if (Document()->ChangeRecords(HistoryStepLabel(verb, kind, stepId.value_or(id)),
                                  [&](CIffFile& container) { return change(container, id, dialog.Name()); }))
        SelectRecord(kind, id);
}

void CTreewrightView::DeleteSelectedRecord()
{
    CTreewrightDoc* doc = Document();
    const std::optional<CListedRecord> selected = SelectedRecord();
    if (doc == nullptr || !selected)
        return;
    const ERecordKind kind = selected->kind;
    const std::uint16_t id = selected->id;
    wxString question;
    // Whatever calls the record or names it would break unseen: say so first, and what could not
    // be read to tell.
    const std::vector<CRecordReference> references = FindRecordReferences(doc->Container(), kind, id);
    if (!references.empty())
    {
        question = "These refer to it:\n";
        for (const CRecordReference& reference : references)
            question += GameText(RecordReferenceText(reference)) + "\n";
        question += "\n";
    }
    if (const std::string unread = UnreadReferrersText(UnreadReferrers(doc->Container(), kind)); !unread.empty())
        question += GameText(unread) + "\n\n";
    question += wxString::Format("Delete %s #%u: ", RecordKindName(kind), unsigned(id)) + GameText(selected->name) + "?";
    if (!AskYesNo(m_form, question, kWarningCaption))
        return;
    doc->ChangeRecords(HistoryStepLabel("Delete", kind, id),
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

void CTreewrightView::OnListEnter(wxKeyEvent& event)
{
    // GTK's list opens on Enter by itself, Windows' only on a double click, and on Windows the
    // form takes Enter for itself before the list's key events: taken here, first of all, a
    // keyboard user opens a record on every system, and only once.
    auto* list = wxDynamicCast(event.GetEventObject(), wxListBox);
    const std::optional<ERecordKind> kind = KindOf(list);
    const int key = event.GetKeyCode();
    if (!kind || event.HasAnyModifiers() || (key != WXK_RETURN && key != WXK_NUMPAD_ENTER))
    {
        event.Skip();
        return;
    }
    m_activeList = list;
    TakeSemiGlobalName();
    if (std::uint16_t id = 0; SelectedId(list, id))
        EditRecord(*kind, id);
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
    if (*kind == ERecordKind::Script)
    {
        menu.AppendSeparator();
        menu.Append(ID_FIND_REFERENCES, "Find &References\tShift+F12");
    }
    const bool selected = list->GetSelection() != wxNOT_FOUND;
    for (const int id : {ID_RECORD_DUPLICATE, ID_RECORD_RENAME, ID_RECORD_DELETE})
        menu.Enable(id, selected);
    if (*kind == ERecordKind::Script)
        menu.Enable(ID_FIND_REFERENCES, selected);
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
    case ID_RECORD_NEW_OBJECT:
        NewRecord(ERecordKind::Objects);
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
        event.Enable(SelectedRecord().has_value());
        return;
    }
    event.Enable(Document() != nullptr);
}

void CTreewrightView::ShowStatus(const wxString& text) const
{
    if (auto* frame = wxDynamicCast(GetFrame(), wxFrame); frame != nullptr && frame->GetStatusBar() != nullptr)
        frame->SetStatusText(text, 0);
}

void CTreewrightView::EditRecord(ERecordKind kind, std::uint16_t id, int place)
{
    CTreewrightDoc* doc = Document();
    if (doc == nullptr)
        return;
    const wxString refusal = m_editing.Edit(*doc, kind, id, place, nullptr, GameBytes(m_semiGlobal->GetValue()));
    if (!refusal.empty())
        ShowStatus(refusal);
}
