#include "ObjectEditorDlg.h"

#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "framework/DataExchange.h"
#include "framework/UserInterface.h"
#include "records/ObjectDefinition.h"
#include "records/ObjectFunctions.h"
#include "rendering/NeededFiles.h"
#include "rendering/ObjectEntryPoints.h"
#include "resources/ObjectEditorIds.h"
#include "resources/Strings.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <optional>

namespace
{
// The fields the editor shows by name, in the order of their controls.
constexpr const char* kNamedFields[] = {
    "GUID", "original GUID", "object type", "master id", "sub index", "price", "sale price",
    "initial depreciation", "daily depreciation", "depreciation limit", "catalog strings", "body strings",
    "animation table", "interaction table", "slot table", "base graphic", "number of graphics",
};

enum EEntryColumn
{
    kEntryName,
    kEntryId,
    kEntryScript,
    kEntryWhere,
};
enum EFieldColumn
{
    kFieldOffset,
    kFieldName,
    kFieldValue,
};

const char kNumberMessage[] = "Please enter an integer between %1 and %2.";
const char kGuidMessage[] =
    "Please enter a GUID: a number from 0 to 4294967295, or 0x and up to eight hexadecimal digits.";

wxString ValueText(const CObjectField& field, std::uint32_t value)
{
    return field.kind == EObjectFieldKind::Guid ? wxString(GuidText(value)) : wxString::Format("%u", unsigned(value));
}

// A field's text as the number it stands for; nothing when it is none the field can hold.
std::optional<std::int64_t> ParseValue(const CObjectField& field, const wxString& text)
{
    if (field.kind == EObjectFieldKind::Guid)
    {
        const wxString trimmed = wxString(text).Trim().Trim(false);
        unsigned long long value = 0;
        const bool hex = trimmed.Lower().StartsWith("0x");
        if (!(hex ? trimmed.Mid(2).ToULongLong(&value, 16) : trimmed.ToULongLong(&value, 10)) || trimmed.Mid(2).empty() ||
            value > 0xFFFFFFFFull)
            return std::nullopt;
        return std::int64_t(value);
    }
    const long long least = field.kind == EObjectFieldKind::Script ? 0 : -32768;
    if (const std::optional<long long> value = ParseSignedField(text, least, 65535))
        return *value;
    return std::nullopt;
}

wxString ProblemText(const CObjectField& field)
{
    if (field.kind == EObjectFieldKind::Guid)
        return kGuidMessage;
    return FormatMessage(kNumberMessage, field.kind == EObjectFieldKind::Script ? "0" : "-32768", "65535");
}
}

CObjectEditorDlg::CObjectEditorDlg(wxWindow* parent)
    : CExchangeDialog(parent, IDD_OBJECT_EDITOR, "Object", wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER)
{
}

void CObjectEditorDlg::SetObject(CObjectDefinition& object, CObjectFunctions* functions, const CIffFile& file,
                                 const CNeededFiles& files, const std::string& semiGlobalName)
{
    m_object = &object;
    m_functions = functions;
    m_file = &file;
    m_files = &files;
    m_semiGlobalName = semiGlobalName;
    SetTitle(wxString::Format("Object #%u: ", unsigned(object.Id())) + GameText(object.Name()));

    const int gap = FromDIP(7);
    // Identity and catalog: the fields the definition holds, by name.
    auto* identity = new wxStaticBoxSizer(wxVERTICAL, this, "Identity, catalog and tables");
    wxWindow* box = identity->GetStaticBox();
    auto* grid = new wxFlexGridSizer(4, gap / 2, gap);
    grid->Add(new wxStaticText(box, wxID_ANY, "Chunk name:"), 0, wxALIGN_CENTER_VERTICAL);
    m_name = new wxTextCtrl(box, IDC_OBJECT_NAME);
    grid->Add(m_name, 1, wxEXPAND);
    grid->Add(new wxStaticText(box, wxID_ANY, "Version:"), 0, wxALIGN_CENTER_VERTICAL);
    m_version = new wxStaticText(box, IDC_OBJECT_VERSION, wxString::Format("%u", unsigned(object.Version())));
    grid->Add(m_version, 0, wxALIGN_CENTER_VERTICAL);
    for (const char* name : kNamedFields)
    {
        const std::optional<std::uint16_t> offset = ObjectFieldOffset(name);
        if (!offset || !object.FieldAt(*offset))
            continue;
        const int id = IDC_OBJECT_FIELD_FIRST + int(m_namedOffsets.size());
        m_namedOffsets.push_back(*offset);
        wxString label(name);
        label[0] = wxToupper(label[0]);
        grid->Add(new wxStaticText(box, wxID_ANY, label + ":"), 0, wxALIGN_CENTER_VERTICAL);
        auto* field = new wxTextCtrl(box, id);
        field->SetMinSize(wxSize(ConvertDialogToPixels(wxSize(60, 12)).x, -1));
        grid->Add(field, 1, wxEXPAND);
        Bind(wxEVT_TEXT, &CObjectEditorDlg::OnNamedField, this, id);
    }
    grid->AddGrowableCol(1);
    grid->AddGrowableCol(3);
    identity->Add(grid, 0, wxEXPAND | wxALL, gap / 2);
    identity->Add(new wxButton(box, IDC_OBJECT_NEW_GUID, "New &GUID"), 0, wxALIGN_LEFT | wxALL, gap / 2);

    // Entry points: one row per script field and per function's check and action.
    auto* entries = new wxStaticBoxSizer(wxVERTICAL, this, "Entry points");
    box = entries->GetStaticBox();
    m_entries = new wxListCtrl(box, IDC_OBJECT_ENTRY_POINTS, wxDefaultPosition, wxDefaultSize,
                               wxLC_REPORT | wxLC_SINGLE_SEL | wxBORDER_THEME);
    m_entries->SetMinSize(FromDIP(wxSize(520, 220)));
    m_entries->AppendColumn("Entry point", wxLIST_FORMAT_LEFT, FromDIP(210));
    m_entries->AppendColumn("Id", wxLIST_FORMAT_LEFT, FromDIP(60));
    m_entries->AppendColumn("Script", wxLIST_FORMAT_LEFT, FromDIP(150));
    m_entries->AppendColumn("Where", wxLIST_FORMAT_LEFT, FromDIP(90));
    m_entryId = new wxTextCtrl(box, IDC_OBJECT_ENTRY_ID);
    m_entryPick = new wxComboBox(box, IDC_OBJECT_ENTRY_PICK, wxString(), wxDefaultPosition, wxDefaultSize, 0, nullptr,
                                 wxCB_READONLY);
    for (std::size_t position = file.FindFirstOfType(kTypeBhav); position != CIffFile::kNoPosition;)
    {
        const CIffChunk chunk = file.NextOfType(position);
        m_scriptIds.push_back(chunk.id);
        m_entryPick->Append(wxString::Format("#%u: ", unsigned(chunk.id)) + GameText(chunk.name));
    }
    auto* entryRow = new wxBoxSizer(wxHORIZONTAL);
    entryRow->Add(new wxStaticText(box, wxID_ANY, "&Id:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap / 2);
    entryRow->Add(m_entryId, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    entryRow->Add(new wxStaticText(box, wxID_ANY, "or a script of the file:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT,
                  gap / 2);
    entryRow->Add(m_entryPick, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    entryRow->Add(new wxButton(box, IDC_OBJECT_ENTRY_OPEN, "&Open Script"), 0, wxALIGN_CENTER_VERTICAL);
    entries->Add(m_entries, 1, wxEXPAND | wxALL, gap / 2);
    entries->Add(entryRow, 0, wxEXPAND | wxALL, gap / 2);

    // Every field by its offset.
    auto* all = new wxStaticBoxSizer(wxVERTICAL, this, "All fields");
    box = all->GetStaticBox();
    m_fields = new wxListCtrl(box, IDC_OBJECT_FIELDS, wxDefaultPosition, wxDefaultSize,
                              wxLC_REPORT | wxLC_SINGLE_SEL | wxBORDER_THEME);
    m_fields->SetMinSize(FromDIP(wxSize(360, 220)));
    m_fields->AppendColumn("Offset", wxLIST_FORMAT_LEFT, FromDIP(55));
    m_fields->AppendColumn("Field", wxLIST_FORMAT_LEFT, FromDIP(200));
    m_fields->AppendColumn("Value", wxLIST_FORMAT_LEFT, FromDIP(90));
    m_fieldValue = new wxTextCtrl(box, IDC_OBJECT_FIELD_VALUE);
    auto* valueRow = new wxBoxSizer(wxHORIZONTAL);
    valueRow->Add(new wxStaticText(box, wxID_ANY, "&Value:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap / 2);
    valueRow->Add(m_fieldValue, 1, wxALIGN_CENTER_VERTICAL);
    all->Add(m_fields, 1, wxEXPAND | wxALL, gap / 2);
    all->Add(valueRow, 0, wxEXPAND | wxALL, gap / 2);

    auto* ok = new wxButton(this, wxID_OK, "OK");
    ok->SetDefault();
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    buttons->Add(ok, 0, wxRIGHT, gap);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"));

    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(identity, 0, wxEXPAND | wxRIGHT, gap);
    top->Add(entries, 1, wxEXPAND);
    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(top, 1, wxEXPAND | wxALL, gap);
    outer->Add(all, 1, wxEXPAND | wxLEFT | wxRIGHT, gap);
    outer->Add(buttons, 0, wxEXPAND | wxALL, gap);
    SetSizerAndFit(outer);

    Bind(wxEVT_BUTTON, &CObjectEditorDlg::OnNewGuid, this, IDC_OBJECT_NEW_GUID);
    Bind(wxEVT_BUTTON, &CObjectEditorDlg::OnOpenScript, this, IDC_OBJECT_ENTRY_OPEN);
    m_entries->Bind(wxEVT_LIST_ITEM_SELECTED, &CObjectEditorDlg::OnEntrySelected, this);
    m_entries->Bind(wxEVT_LIST_ITEM_ACTIVATED, &CObjectEditorDlg::OnEntryActivated, this);
    m_entryId->Bind(wxEVT_TEXT, &CObjectEditorDlg::OnEntryId, this);
    m_entryPick->Bind(wxEVT_COMBOBOX, &CObjectEditorDlg::OnEntryPicked, this);
    m_fields->Bind(wxEVT_LIST_ITEM_SELECTED, &CObjectEditorDlg::OnFieldSelected, this);
    m_fieldValue->Bind(wxEVT_TEXT, &CObjectEditorDlg::OnFieldValue, this);
}

void CObjectEditorDlg::OnInitDialog()
{
    FillEntryPoints();
    FillFields();
    CExchangeDialog::OnInitDialog();
    if (m_name != nullptr)
        m_name->SetFocus();
    CentreOnParent();
}

void CObjectEditorDlg::DoDataExchange(CDataExchange& dx)
{
    if (m_object == nullptr)
        return;
    wxString name = GameText(m_object->Name());
    dx.Text(IDC_OBJECT_NAME, name);
    dx.MaxChars(IDC_OBJECT_NAME, name, int(CIffFile::kMaxStoredNameLength));
    if (dx.Reading() && !dx.Failed())
    {
        const std::string bytes = GameBytes(name);
        if (GameText(bytes) != name)
            return dx.Fail(IDC_OBJECT_NAME, "A name holds only characters of windows-1252.");
        m_object->SetName(bytes);
    }
    const auto exchange = [&](int id, std::uint16_t offset) {
        const CObjectField field = *m_object->FieldAt(offset);
        wxString text = ValueText(field, m_object->Value(offset));
        dx.Text(id, text);
        if (!dx.Reading() || dx.Failed())
            return;
        const std::optional<std::int64_t> value = ParseValue(field, text);
        if (!value)
            return dx.Fail(id, ProblemText(field));
        m_object->SetValue(offset, *value);
    };
    for (std::size_t i = 0; i < m_namedOffsets.size(); ++i)
        exchange(IDC_OBJECT_FIELD_FIRST + int(i), m_namedOffsets[i]);
    // Two objects of one GUID clash in the game.
    if (dx.Reading() && !dx.Failed() && m_file != nullptr)
        if (const std::string problem = ObjectGuidProblem(*m_file, m_object->Id(), m_object->Guid()); !problem.empty())
            return dx.Fail(IDC_OBJECT_FIELD_FIRST, GameText(problem));

    if (const long row = SelectedRow(m_entries); row >= 0)
    {
        wxString text = wxString::Format("%u", unsigned(EntryId(m_entryRows[std::size_t(row)])));
        dx.Text(IDC_OBJECT_ENTRY_ID, text);
        if (dx.Reading() && !dx.Failed())
        {
            const std::optional<long long> id = ParseSignedField(text, 0, 65535);
            if (!id)
                return dx.Fail(IDC_OBJECT_ENTRY_ID, FormatMessage(kNumberMessage, "0", "65535"));
            SetEntryId(m_entryRows[std::size_t(row)], std::uint16_t(*id));
        }
    }
    if (const long row = SelectedRow(m_fields); row >= 0)
        exchange(IDC_OBJECT_FIELD_VALUE, m_fieldOffsets[std::size_t(row)]);
}

long CObjectEditorDlg::SelectedRow(const wxListCtrl* list) const
{
    return list == nullptr ? -1 : list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
}

std::uint16_t CObjectEditorDlg::EntryId(const CEntryRow& row) const
{
    if (!row.function)
        return std::uint16_t(m_object->Value(row.offset));
    const CObjectFunction& function = m_functions->Functions()[row.index];
    return row.check ? function.check : function.action;
}

void CObjectEditorDlg::SetEntryId(const CEntryRow& row, std::uint16_t id)
{
    if (!row.function)
        m_object->SetValue(row.offset, id);
    else
    {
        CObjectFunction function = m_functions->Functions()[row.index];
        (row.check ? function.check : function.action) = id;
        (void)m_functions->SetFunction(row.index, function);
    }
}

void CObjectEditorDlg::FillEntryPoints()
{
    m_entryRows.clear();
    for (const CObjectField& field : m_object->Fields())
        if (field.kind == EObjectFieldKind::Script)
            m_entryRows.push_back({false, field.offset, 0, false});
    if (m_functions != nullptr)
        for (std::size_t i = 0; i < m_functions->Functions().size(); ++i)
            for (const bool check : {true, false})
                m_entryRows.push_back({true, 0, i, check});
    const long selected = SelectedRow(m_entries);
    m_entries->DeleteAllItems();
    for (std::size_t i = 0; i < m_entryRows.size(); ++i)
    {
        const CEntryRow& row = m_entryRows[i];
        const wxString label = row.function ? wxString::Format("%s of \"%s\"", row.check ? "check" : "action",
                                                               ObjectFunctionName(row.index))
                                            : wxString(ObjectFieldName(row.offset));
        m_entries->InsertItem(long(i), label);
        ShowEntryRow(long(i));
    }
    if (selected >= 0 && selected < m_entries->GetItemCount())
        m_entries->SetItemState(selected, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
}

void CObjectEditorDlg::ShowEntryRow(long item)
{
    const std::uint16_t id = EntryId(m_entryRows[std::size_t(item)]);
    const CEntryPointScript script = EntryPointScript(*m_file, *m_files, m_semiGlobalName, id);
    m_entries->SetItem(item, kEntryId, id == 0 ? wxString() : wxString::Format("%u", unsigned(id)));
    m_entries->SetItem(item, kEntryScript, GameText(script.name));
    m_entries->SetItem(item, kEntryWhere,
                       script.home == EScriptHome::File ? wxString("this file") : wxString(ScriptHomeWord(script.home)));
    m_entries->SetItemTextColour(item, script.home == EScriptHome::Missing ? *wxRED
                                                                           : m_entries->GetTextColour());
}

void CObjectEditorDlg::FillFields()
{
    m_fieldOffsets.clear();
    m_fields->DeleteAllItems();
    for (const CObjectField& field : m_object->Fields())
    {
        const long item = m_fields->InsertItem(long(m_fieldOffsets.size()), wxString::Format("%u", unsigned(field.offset)));
        m_fields->SetItem(item, kFieldName, field.name);
        m_fieldOffsets.push_back(field.offset);
        ShowFieldRow(item);
    }
}

void CObjectEditorDlg::ShowFieldRow(long item)
{
    const std::uint16_t offset = m_fieldOffsets[std::size_t(item)];
    m_fields->SetItem(item, kFieldValue, ValueText(*m_object->FieldAt(offset), m_object->Value(offset)));
}

void CObjectEditorDlg::ShowValue(std::uint16_t offset)
{
    const wxWindow* source = FindFocus();
    const CObjectField field = *m_object->FieldAt(offset);
    const wxString text = ValueText(field, m_object->Value(offset));
    for (std::size_t i = 0; i < m_namedOffsets.size(); ++i)
        if (auto* control = wxDynamicCast(FindWindow(IDC_OBJECT_FIELD_FIRST + int(i)), wxTextCtrl);
            m_namedOffsets[i] == offset && control != nullptr && control != source)
            control->ChangeValue(text);
    for (std::size_t i = 0; i < m_fieldOffsets.size(); ++i)
        if (m_fieldOffsets[i] == offset)
        {
            ShowFieldRow(long(i));
            if (SelectedRow(m_fields) == long(i) && m_fieldValue != source)
                m_fieldValue->ChangeValue(text);
        }
    if (field.kind == EObjectFieldKind::Script)
        for (std::size_t i = 0; i < m_entryRows.size(); ++i)
            if (!m_entryRows[i].function && m_entryRows[i].offset == offset)
            {
                ShowEntryRow(long(i));
                if (SelectedRow(m_entries) == long(i) && m_entryId != source)
                    m_entryId->ChangeValue(wxString::Format("%u", unsigned(m_object->Value(offset))));
            }
}

void CObjectEditorDlg::OnNamedField(wxCommandEvent& event)
{
    if (IsWritingFields())
        return;
    const std::size_t i = std::size_t(event.GetId() - IDC_OBJECT_FIELD_FIRST);
    auto* control = wxDynamicCast(event.GetEventObject(), wxTextCtrl);
    if (i >= m_namedOffsets.size() || control == nullptr)
        return;
    // A text that is no number yet is taken when it becomes one; OK refuses it if it never does.
    const std::uint16_t offset = m_namedOffsets[i];
    if (const std::optional<std::int64_t> value = ParseValue(*m_object->FieldAt(offset), control->GetValue()))
    {
        m_object->SetValue(offset, *value);
        ShowValue(offset);
    }
}

void CObjectEditorDlg::OnNewGuid(wxCommandEvent&)
{
    // No object of this file nor of the loaded files may have it.
    std::vector<std::uint32_t> used = UsedObjectGuids(*m_file);
    const std::vector<std::uint32_t> loaded = LoadedObjectGuids(*m_files);
    used.insert(used.end(), loaded.begin(), loaded.end());
    m_object->SetGuid(DrawObjectGuid(used));
    auto* guid = wxDynamicCast(FindWindow(IDC_OBJECT_FIELD_FIRST), wxTextCtrl);
    if (guid != nullptr)
        guid->ChangeValue(GuidText(m_object->Guid()));
    ShowValue(CObjectDefinition::kGuidOffset);
}

void CObjectEditorDlg::OnEntrySelected(wxListEvent& event)
{
    const long row = event.GetIndex();
    if (row < 0 || std::size_t(row) >= m_entryRows.size())
        return;
    const std::uint16_t id = EntryId(m_entryRows[std::size_t(row)]);
    m_entryId->ChangeValue(wxString::Format("%u", unsigned(id)));
    const auto picked = std::find(m_scriptIds.begin(), m_scriptIds.end(), id);
    m_entryPick->SetSelection(picked == m_scriptIds.end() ? wxNOT_FOUND : int(picked - m_scriptIds.begin()));
}

void CObjectEditorDlg::OnEntryId(wxCommandEvent&)
{
    const long row = SelectedRow(m_entries);
    if (IsWritingFields() || row < 0)
        return;
    const std::optional<long long> id = ParseSignedField(m_entryId->GetValue(), 0, 65535);
    if (!id)
        return;
    const CEntryRow entry = m_entryRows[std::size_t(row)];
    SetEntryId(entry, std::uint16_t(*id));
    ShowEntryRow(row);
    if (!entry.function)
        ShowValue(entry.offset);
}

void CObjectEditorDlg::OnEntryPicked(wxCommandEvent&)
{
    const int picked = m_entryPick->GetSelection();
    if (picked == wxNOT_FOUND || SelectedRow(m_entries) < 0)
        return;
    // As if typed: the id field's change handler takes it.
    m_entryId->SetValue(wxString::Format("%u", unsigned(m_scriptIds[std::size_t(picked)])));
}

void CObjectEditorDlg::OnOpenScript(wxCommandEvent&)
{
    const long row = SelectedRow(m_entries);
    if (row < 0)
        return;
    const std::uint16_t id = EntryId(m_entryRows[std::size_t(row)]);
    const CEntryPointScript script = EntryPointScript(*m_file, *m_files, m_semiGlobalName, id);
    if (script.home != EScriptHome::File || !m_openScript)
    {
        Ui().MessageBox(this,
                        id == 0 ? wxString("This entry point names no script.")
                                : wxString::Format("Script #%u is not a script of this file (%s); only the file's own "
                                                   "scripts open from here.",
                                                   unsigned(id), ScriptHomeWord(script.home)),
                        kProgramName, wxOK | wxICON_INFORMATION);
        return;
    }
    const wxString refusal = m_openScript(id, *this);
    if (!refusal.empty())
        Ui().MessageBox(this, refusal, kProgramName, wxOK | wxICON_EXCLAMATION);
    // The script's OK may have renamed it.
    FillEntryPoints();
}

void CObjectEditorDlg::OnEntryActivated(wxListEvent& event)
{
    wxCommandEvent open(wxEVT_BUTTON, IDC_OBJECT_ENTRY_OPEN);
    (void)event;
    OnOpenScript(open);
}

void CObjectEditorDlg::OnFieldSelected(wxListEvent& event)
{
    const long row = event.GetIndex();
    if (row < 0 || std::size_t(row) >= m_fieldOffsets.size())
        return;
    const std::uint16_t offset = m_fieldOffsets[std::size_t(row)];
    m_fieldValue->ChangeValue(ValueText(*m_object->FieldAt(offset), m_object->Value(offset)));
}

void CObjectEditorDlg::OnFieldValue(wxCommandEvent&)
{
    const long row = SelectedRow(m_fields);
    if (IsWritingFields() || row < 0)
        return;
    const std::uint16_t offset = m_fieldOffsets[std::size_t(row)];
    if (const std::optional<std::int64_t> value = ParseValue(*m_object->FieldAt(offset), m_fieldValue->GetValue()))
    {
        m_object->SetValue(offset, *value);
        ShowValue(offset);
    }
}
