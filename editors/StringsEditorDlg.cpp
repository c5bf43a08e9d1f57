#include "StringsEditorDlg.h"

#include "framework/LanguageText.h"
#include "framework/UserInterface.h"
#include "records/StringTable.h"
#include "resources/Strings.h"
#include "resources/TableEditorIds.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>

namespace
{
constexpr int kStringColumn = 1;
constexpr int kDescriptionColumn = 2;
// The editor offers every slot but the last, which has no language name.
constexpr int kLanguageCount = CStringTable::kSlotCount - 1;

int NumberColumnWidth(wxWindow& window)
{
    return std::max(window.FromDIP(25), window.GetTextExtent("0000").x + window.FromDIP(12));
}

// Puts text into an edit without moving the caret, as the user is typing there.
void ReplaceKeepingCaret(wxTextCtrl& field, const wxString& text)
{
    const long caret = field.GetInsertionPoint();
    field.ChangeValue(text);
    field.SetInsertionPoint(std::min(caret, field.GetLastPosition()));
}
}

CStringsEditorDlg::CStringsEditorDlg(CStringTable& table, wxWindow* parent)
    : CExchangeDialog(parent, IDD_STRINGS_EDITOR, "SimAntics Strings Editor"), m_table(table)
{
    const int gap = FromDIP(7);

    m_languages = new wxChoice(this, IDC_STRINGS_LANGUAGE);
    for (int slot = 0; slot < kLanguageCount; ++slot)
        m_languages->Append(CStringTable::SlotName(slot));

    m_list = new wxListCtrl(this, IDC_STRINGS_LIST, wxDefaultPosition, wxDefaultSize,
                            wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_NO_SORT_HEADER | wxBORDER_THEME);
    const int numberWidth = NumberColumnWidth(*this);
    m_list->AppendColumn("#", wxLIST_FORMAT_LEFT, numberWidth);
    m_list->AppendColumn("String", wxLIST_FORMAT_LEFT, FromDIP(200));
    m_list->AppendColumn("Description", wxLIST_FORMAT_LEFT, FromDIP(100));
    m_list->SetMinSize(wxSize(numberWidth + FromDIP(300 + 24), ConvertDialogToPixels(wxSize(0, 120)).y));

    const wxSize editSize = ConvertDialogToPixels(wxSize(100, 40));
    m_stringField = new wxTextCtrl(this, IDC_STRINGS_TEXT, wxString(), wxDefaultPosition, editSize,
                                   wxTE_MULTILINE);
    m_descriptionField = new wxTextCtrl(this, IDC_STRINGS_DESCRIPTION, wxString(), wxDefaultPosition, editSize,
                                        wxTE_MULTILINE);

    auto* ok = new wxButton(this, wxID_OK, "OK");
    ok->SetDefault();
    auto* buttons = new wxBoxSizer(wxVERTICAL);
    buttons->Add(new wxButton(this, IDC_STRINGS_ADD, "Add"), 0, wxEXPAND | wxBOTTOM, gap / 2);
    buttons->Add(new wxButton(this, IDC_STRINGS_DELETE, "Delete"), 0, wxEXPAND);
    buttons->AddStretchSpacer();
    buttons->Add(ok, 0, wxEXPAND | wxBOTTOM, gap / 2);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxEXPAND);

    auto* texts = new wxFlexGridSizer(2, 2, gap / 2, gap);
    texts->AddGrowableCol(0, 2);
    texts->AddGrowableCol(1, 1);
    texts->AddGrowableRow(1);
    texts->Add(new wxStaticText(this, wxID_ANY, "String"));
    texts->Add(new wxStaticText(this, wxID_ANY, "Description"));
    texts->Add(m_stringField, 1, wxEXPAND);
    texts->Add(m_descriptionField, 1, wxEXPAND);

    m_refusal = new wxStaticText(this, wxID_ANY, wxString());
    m_refusal->SetForegroundColour(*wxRED);
    // Room for a refusal of two lines, so that showing one does not move the edits.
    m_refusal->SetMinSize(wxSize(-1, 2 * m_refusal->GetCharHeight()));

    auto* left = new wxBoxSizer(wxVERTICAL);
    left->Add(m_languages, 0, wxBOTTOM, gap);
    left->Add(m_list, 3, wxEXPAND | wxBOTTOM, gap);
    left->Add(texts, 1, wxEXPAND);
    left->Add(m_refusal, 0, wxEXPAND | wxTOP, gap / 2);

    auto* columns = new wxBoxSizer(wxHORIZONTAL);
    columns->Add(left, 1, wxEXPAND | wxRIGHT, gap);
    columns->Add(buttons, 0, wxEXPAND);
    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(columns, 1, wxEXPAND | wxALL, gap);
    SetSizerAndFit(outer);
    m_baseFont = m_list->GetFont();
    // The description takes what the edits below leave of the list's width.
    const int rest = m_list->GetClientSize().x - m_list->GetColumnWidth(0) - m_list->GetColumnWidth(kStringColumn);
    m_list->SetColumnWidth(kDescriptionColumn, std::max(FromDIP(100), rest - FromDIP(4)));

    m_list->Bind(wxEVT_LIST_ITEM_SELECTED, &CStringsEditorDlg::OnSelectionChanged, this);
    m_list->Bind(wxEVT_LIST_ITEM_DESELECTED, &CStringsEditorDlg::OnSelectionChanged, this);
    m_languages->Bind(wxEVT_CHOICE, &CStringsEditorDlg::OnLanguageChanged, this);
    m_stringField->Bind(wxEVT_TEXT, &CStringsEditorDlg::OnStringChanged, this);
    m_descriptionField->Bind(wxEVT_TEXT, &CStringsEditorDlg::OnDescriptionChanged, this);
    Bind(wxEVT_BUTTON, &CStringsEditorDlg::OnAdd, this, IDC_STRINGS_ADD);
    Bind(wxEVT_BUTTON, &CStringsEditorDlg::OnDelete, this, IDC_STRINGS_DELETE);
}

void CStringsEditorDlg::DoDataExchange(CDataExchange& dx)
{
    dx.Text(IDC_STRINGS_TEXT, m_string);
    // Only checked: the toolkit limits no multi-line edit, so typing is held to the limit by
    // OnStringChanged.
    if (IsPlain() && dx.Reading())
        dx.MaxChars(IDC_STRINGS_TEXT, m_string, static_cast<int>(CStringTable::kMaxPlainStringLength));
    dx.Text(IDC_STRINGS_DESCRIPTION, m_description);
    dx.Selection(IDC_STRINGS_LANGUAGE, m_language);
}

bool CStringsEditorDlg::TransferDataFromWindow()
{
    if (!UpdateData(true))
        return false;
    // Text that could not be stored would be lost without a word if the dialog closed now.
    const std::pair<wxTextCtrl*, const wxString*> fields[] = {{m_stringField, &m_stringRefusal},
                                                              {m_descriptionField, &m_descriptionRefusal}};
    for (const auto& [field, refusal] : fields)
    {
        if (refusal->empty())
            continue;
        Ui().MessageBox(this, *refusal, kProgramName, wxOK | wxICON_EXCLAMATION);
        field->SetFocus();
        field->SelectAll();
        return false;
    }
    return CExchangeDialog::TransferDataFromWindow();
}

void CStringsEditorDlg::OnInitDialog()
{
    m_language = 0;
    if (IsPlain())
    {
        m_languages->Disable();
        m_descriptionField->Disable();
    }
    UpdateData(false);
    RefillList();
    m_list->SetFocus();
    CentreOnParent();
}

bool CStringsEditorDlg::IsPlain() const
{
    return m_table.IsPlain();
}

std::size_t CStringsEditorDlg::LineCount() const
{
    return m_table.LineCount();
}

long CStringsEditorDlg::SelectedItem() const
{
    return m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
}

void CStringsEditorDlg::ClearTexts()
{
    m_string.clear();
    if (!IsPlain())
        m_description.clear();
    m_stringRefusal.clear();
    m_descriptionRefusal.clear();
    ShowRefusal();
}

int CStringsEditorDlg::Language() const
{
    return IsPlain() ? 0 : std::clamp(m_language, 0, kLanguageCount - 1);
}

wxString CStringsEditorDlg::Shown(const std::string& bytes) const
{
    // The plain layout has no languages: its strings are in the program's one code page.
    return IsPlain() ? GameText(bytes) : SlotText(m_table, bytes, Language());
}

void CStringsEditorDlg::ShowRefusal()
{
    const wxString& refusal = m_stringRefusal.empty() ? m_descriptionRefusal : m_stringRefusal;
    if (m_shownRefusal == refusal)
        return;
    m_shownRefusal = refusal;
    m_refusal->SetLabel(refusal);
    m_refusal->Wrap(m_list->GetSize().x);
    Layout();
}

void CStringsEditorDlg::UseLanguageFont()
{
    const wxFont font = SlotFont(m_baseFont, Language());
    if (font == m_list->GetFont())
        return;
    for (wxWindow* window : {static_cast<wxWindow*>(m_list), static_cast<wxWindow*>(m_stringField),
                             static_cast<wxWindow*>(m_descriptionField)})
    {
        window->SetFont(font);
        window->Refresh();
    }
}

void CStringsEditorDlg::TakeText(wxTextCtrl& field, wxString& text, std::size_t index, bool description, long item,
                                 wxString& refusal)
{
    const CStringPair* pair = IsPlain() ? nullptr : &m_table.Rows()[index][static_cast<std::size_t>(Language())];
    std::string stored = IsPlain() ? m_table.Strings()[index] : description ? pair->description : pair->text;
    if (IsPlain())
    {
        stored = GameBytes(text);
    }
    else if (!TakeSlotText(text, m_table, Language(), stored, refusal))
    {
        wxBell();
        ShowRefusal();
        return;
    }
    if (IsPlain())
        m_table.SetString(index, stored);
    else if (description)
        m_table.SetDescription(index, Language(), stored);
    else
        m_table.SetText(index, Language(), stored);
    ShowRefusal();
    const int column = description ? kDescriptionColumn : kStringColumn;
    // Show what is stored: in a plain table a character windows-1252 lacks became "?", and a code
    // page may write two characters the same way.
    const wxString shown = Shown(stored);
    m_list->SetItem(item, column, shown);
    if (shown != text)
    {
        text = shown;
        ReplaceKeepingCaret(field, shown);
    }
}

void CStringsEditorDlg::RefillList()
{
    const long noted = std::max(SelectedItem(), 0L);
    ClearTexts();
    UpdateData(false);

    // Selecting an item raises the same event as the user's click; the line is shown once, below.
    m_filling = true;
    UseLanguageFont();
    m_list->DeleteAllItems();
    const auto language = static_cast<std::size_t>(Language());
    for (std::size_t i = 0; i < LineCount(); ++i)
    {
        const long item = m_list->InsertItem(static_cast<long>(i), wxString::Format("%zu", i));
        if (IsPlain())
        {
            m_list->SetItem(item, kStringColumn, Shown(m_table.Strings()[i]));
        }
        else
        {
            const CStringPair& pair = m_table.Rows()[i][language];
            m_list->SetItem(item, kStringColumn, Shown(pair.text));
            m_list->SetItem(item, kDescriptionColumn, Shown(pair.description));
        }
        m_list->SetItemData(item, static_cast<long>(i));
    }
    if (noted < m_list->GetItemCount())
    {
        m_list->SetItemState(noted, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                             wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        m_list->EnsureVisible(noted);
    }
    m_filling = false;
    ShowSelectedLine();
}

void CStringsEditorDlg::ShowSelectedLine()
{
    const long item = SelectedItem();
    if (item < 0)
    {
        ClearTexts();
    }
    else
    {
        const auto index = static_cast<std::size_t>(m_list->GetItemData(item));
        m_stringRefusal.clear();
        m_descriptionRefusal.clear();
        ShowRefusal();
        if (index >= LineCount())
        {
            Ui().MessageBox(this, kMissingStringMessage, kProgramName, wxOK | wxICON_EXCLAMATION);
            m_string.clear();
            m_description.clear();
        }
        else if (IsPlain())
        {
            m_string = Shown(m_table.Strings()[index]);
        }
        else
        {
            const CStringPair& pair = m_table.Rows()[index][static_cast<std::size_t>(Language())];
            m_string = Shown(pair.text);
            m_description = Shown(pair.description);
        }
    }
    UpdateData(false);
}

void CStringsEditorDlg::OnSelectionChanged(wxListEvent&)
{
    if (m_filling)
        return;
    UpdateData(true);
    ShowSelectedLine();
}

void CStringsEditorDlg::OnLanguageChanged(wxCommandEvent&)
{
    UpdateData(true);
    RefillList();
}

void CStringsEditorDlg::OnStringChanged(wxCommandEvent&)
{
    if (IsWritingFields())
        return;
    // The plain layout's length byte holds at most 255: refuse more here rather than cut the
    // string unseen when the file is saved.
    if (IsPlain() && m_stringField->GetValue().length() > CStringTable::kMaxPlainStringLength)
    {
        wxBell();
        ReplaceKeepingCaret(*m_stringField, m_stringField->GetValue().Left(CStringTable::kMaxPlainStringLength));
    }
    UpdateData(true);
    const long item = SelectedItem();
    if (item < 0)
        return;
    const auto index = static_cast<std::size_t>(m_list->GetItemData(item));
    if (index >= LineCount())
        return;
    TakeText(*m_stringField, m_string, index, false, item, m_stringRefusal);
}

void CStringsEditorDlg::OnDescriptionChanged(wxCommandEvent&)
{
    if (IsWritingFields() || IsPlain())
        return;
    UpdateData(true);
    const long item = SelectedItem();
    if (item < 0)
        return;
    const auto index = static_cast<std::size_t>(m_list->GetItemData(item));
    if (index >= LineCount())
        return;
    TakeText(*m_descriptionField, m_description, index, true, item, m_descriptionRefusal);
}

void CStringsEditorDlg::OnAdd(wxCommandEvent&)
{
    UpdateData(true);
    m_table.AddLine();
    RefillList();
}

void CStringsEditorDlg::OnDelete(wxCommandEvent&)
{
    UpdateData(true);
    const long item = SelectedItem();
    if (item < 0)
        return;
    const auto index = static_cast<std::size_t>(m_list->GetItemData(item));
    if (index >= LineCount())
        return;
    m_table.RemoveLine(index);
    RefillList();
}
