#include "ConstantsDlg.h"

#include "framework/UserInterface.h"
#include "records/ConstantTable.h"
#include "resources/Strings.h"
#include "resources/TableEditorIds.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace
{
constexpr int kValueColumn = 1;

// The "#" column is 25 pixels in the dialog as designed; at a larger font the widest number must
// still fit.
int NumberColumnWidth(wxWindow& window)
{
    return std::max(window.FromDIP(25), window.GetTextExtent("000").x + window.FromDIP(12));
}
}

CConstantsDlg::CConstantsDlg(wxWindow* parent) : CExchangeDialog(parent, IDD_CONSTANTS, "Constants")
{
    const int gap = FromDIP(7);
    m_list = new wxListCtrl(this, IDC_CONSTANTS_LIST, wxDefaultPosition, wxDefaultSize,
                            wxLC_REPORT | wxLC_SINGLE_SEL | wxBORDER_THEME);
    m_list->SetMinSize(ConvertDialogToPixels(wxSize(110, 140)));
    m_list->AppendColumn("#", wxLIST_FORMAT_LEFT, NumberColumnWidth(*this));
    m_list->AppendColumn("Value", wxLIST_FORMAT_LEFT, FromDIP(100));

    m_valueField = new wxTextCtrl(this, IDC_CONSTANTS_VALUE);
    m_valueField->SetMinSize(wxSize(ConvertDialogToPixels(wxSize(50, 12)).x, -1));
    auto* ok = new wxButton(this, wxID_OK, "OK");
    ok->SetDefault();

    auto* buttons = new wxBoxSizer(wxVERTICAL);
    buttons->Add(m_valueField, 0, wxEXPAND | wxBOTTOM, gap);
    buttons->Add(new wxButton(this, IDC_CONSTANTS_ADD, "&Add"), 0, wxEXPAND | wxBOTTOM, gap / 2);
    buttons->Add(new wxButton(this, IDC_CONSTANTS_DELETE, "&Delete"), 0, wxEXPAND);
    buttons->AddStretchSpacer();
    buttons->Add(ok, 0, wxEXPAND | wxTOP | wxBOTTOM, gap / 2);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxEXPAND);

    auto* columns = new wxBoxSizer(wxHORIZONTAL);
    columns->Add(m_list, 1, wxEXPAND | wxRIGHT, gap);
    columns->Add(buttons, 0, wxEXPAND);
    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(columns, 1, wxEXPAND | wxALL, gap);
    SetSizerAndFit(outer);

    m_list->Bind(wxEVT_LIST_ITEM_SELECTED, &CConstantsDlg::OnSelectionChanged, this);
    m_valueField->Bind(wxEVT_TEXT, &CConstantsDlg::OnValueChanged, this);
    Bind(wxEVT_BUTTON, &CConstantsDlg::OnAdd, this, IDC_CONSTANTS_ADD);
    Bind(wxEVT_BUTTON, &CConstantsDlg::OnDelete, this, IDC_CONSTANTS_DELETE);
}

void CConstantsDlg::SetTable(CConstantTable& table)
{
    m_table = &table;
}

void CConstantsDlg::DoDataExchange(CDataExchange& dx)
{
    dx.Int(IDC_CONSTANTS_VALUE, m_value);
}

void CConstantsDlg::OnInitDialog()
{
    FillList();
    CExchangeDialog::OnInitDialog();
    m_list->SetFocus();
    CentreOnParent();
}

void CConstantsDlg::FillList()
{
    m_list->DeleteAllItems();
    if (m_table == nullptr)
        return;
    for (std::size_t i = 0; i < m_table->Values().size(); ++i)
    {
        const long item = m_list->InsertItem(static_cast<long>(i), wxString::Format("%zu", i));
        m_list->SetItem(item, kValueColumn, wxString::Format("%d", static_cast<int>(m_table->Values()[i])));
        m_list->SetItemData(item, static_cast<long>(i));
    }
}

int CConstantsDlg::SelectedConstant() const
{
    const long item = m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (item < 0 || m_table == nullptr)
        return -1;
    const auto number = static_cast<std::size_t>(m_list->GetItemData(item));
    return number < m_table->Values().size() ? static_cast<int>(number) : -1;
}

void CConstantsDlg::OnSelectionChanged(wxListEvent&)
{
    UpdateData(true);
    const int number = SelectedConstant();
    if (number < 0)
        return;
    m_value = m_table->Values()[static_cast<std::size_t>(number)];
    UpdateData(false);
}

void CConstantsDlg::OnValueChanged(wxCommandEvent&)
{
    if (IsWritingFields())
        return;
    // "-" on the way to a negative number is no number yet: nothing is taken until it is one.
    if (!ReadQuietly())
        return;
    const int number = SelectedConstant();
    if (number < 0)
        return;
    m_table->SetValue(static_cast<std::size_t>(number), m_value);
    const long item = m_list->FindItem(-1, static_cast<wxUIntPtr>(number));
    if (item >= 0)
        m_list->SetItem(item, kValueColumn, wxString::Format("%d", static_cast<int>(m_value)));
}

void CConstantsDlg::OnAdd(wxCommandEvent&)
{
    if (m_table == nullptr)
        return;
    // The count is one byte in the chunk: a 256th constant could not be saved.
    if (!m_table->AppendValue(0))
    {
        Ui().MessageBox(this, kTableFullMessage, kProgramName, wxOK | wxICON_EXCLAMATION);
        return;
    }
    FillList();
}

void CConstantsDlg::OnDelete(wxCommandEvent&)
{
    UpdateData(true);
    const int number = SelectedConstant();
    if (number >= 0)
        m_table->RemoveValue(static_cast<std::size_t>(number));
    FillList();
}
