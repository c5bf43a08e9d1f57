#include "ExpertLineDlg.h"

#include "containers/NumberText.h"
#include "framework/UserInterface.h"
#include "rendering/PlainTextRenderer.h"
#include "resources/ScriptEditorIds.h"

#include <wx/button.h>
#include <wx/gbsizer.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace
{
constexpr int kHexIds[CExpertLineDlg::kRows] = {IDC_EXPERT_FUNCTION_HEX, IDC_EXPERT_PARAM0_HEX, IDC_EXPERT_PARAM1_HEX,
                                                IDC_EXPERT_PARAM2_HEX, IDC_EXPERT_PARAM3_HEX};
constexpr int kDecimalIds[CExpertLineDlg::kRows] = {IDC_EXPERT_FUNCTION_DEC, IDC_EXPERT_PARAM0_DEC,
                                                    IDC_EXPERT_PARAM1_DEC, IDC_EXPERT_PARAM2_DEC,
                                                    IDC_EXPERT_PARAM3_DEC};
constexpr const char* kRowLabels[CExpertLineDlg::kRows] = {"Function:", "Parameter 0:", "Parameter 1:",
                                                           "Parameter 2:", "Parameter 3:"};
constexpr int kMaxTargetChars = 2;

// A target is entered as the target plus one, so that "01" is the first line and "00" wraps to
// 255 ("return FALSE").
std::uint8_t TargetFromText(std::uint16_t value)
{
    return static_cast<std::uint8_t>(std::min<std::uint16_t>(value, 255) - 1);
}

wxString TargetText(std::uint8_t target)
{
    return wxString::Format("%.2X", static_cast<unsigned>((target + 1) & 0xFF));
}
}

std::optional<std::uint16_t> ParseHexField(const wxString& text)
{
    // A number past 16 bits is refused, not cut down to its low bits: the field keeps its value.
    const CResult<std::int64_t, ENumberText> value = ParseInteger(text.utf8_string(), 0, 0xFFFF, ENumberForm::LeadingHex);
    return value ? std::optional<std::uint16_t>(static_cast<std::uint16_t>(*value)) : std::nullopt;
}

CExpertLineDlg::CExpertLineDlg(wxWindow* parent) : CExchangeDialog(parent, IDD_EXPERT_LINE, "Edit BHAV Line...")
{
    const wxSize fieldSize(ConvertDialogToPixels(wxSize(40, 12)).x, -1);
    const int gap = FromDIP(6);

    auto* grid = new wxGridBagSizer(gap, gap);
    for (int row = 0; row < kRows; ++row)
    {
        grid->Add(new wxStaticText(this, wxID_ANY, kRowLabels[row]), wxGBPosition(row, 0), wxDefaultSpan,
                  wxALIGN_CENTER_VERTICAL);
        auto* hex = new wxTextCtrl(this, kHexIds[row], wxString(), wxDefaultPosition, fieldSize);
        hex->SetMaxLength(kMaxHexChars);
        grid->Add(hex, wxGBPosition(row, 1));
        auto* decimal = new wxTextCtrl(this, kDecimalIds[row], wxString(), wxDefaultPosition, fieldSize);
        decimal->Bind(wxEVT_CHAR, &CExpertLineDlg::OnDecimalChar, this);
        grid->Add(decimal, wxGBPosition(row, 2));
        Bind(wxEVT_TEXT, &CExpertLineDlg::OnHexChanged, this, kHexIds[row]);
        Bind(wxEVT_TEXT, &CExpertLineDlg::OnDecimalChanged, this, kDecimalIds[row]);
    }

    // The buttons stand beside the rows from the second one down, as in the template, without
    // making those rows taller than the others.
    auto* buttons = new wxBoxSizer(wxVERTICAL);
    auto* ok = new wxButton(this, wxID_OK, "OK");
    ok->SetDefault();
    const int rowHeight = FindWindow(kHexIds[0])->GetBestSize().y;
    buttons->Add(ok, 0, wxEXPAND | wxTOP, rowHeight + gap);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxEXPAND | wxTOP, gap);
    grid->Add(buttons, wxGBPosition(0, 4), wxGBSpan(kRows, 1), wxALIGN_TOP | wxLEFT, FromDIP(8));

    auto* description = new wxTextCtrl(this, IDC_EXPERT_DESCRIPTION, wxString(), wxDefaultPosition,
                                       wxSize(ConvertDialogToPixels(wxSize(196, 12)).x, -1), wxTE_READONLY);
    grid->Add(description, wxGBPosition(5, 0), wxGBSpan(1, 5), wxEXPAND | wxTOP, gap);

    grid->Add(new wxStaticText(this, wxID_ANY, "True / False:"), wxGBPosition(6, 0), wxDefaultSpan,
              wxALIGN_CENTER_VERTICAL);
    grid->Add(new wxTextCtrl(this, IDC_EXPERT_TRUE_TARGET, wxString(), wxDefaultPosition, fieldSize),
              wxGBPosition(6, 1));
    grid->Add(new wxTextCtrl(this, IDC_EXPERT_FALSE_TARGET, wxString(), wxDefaultPosition, fieldSize),
              wxGBPosition(6, 2));
    grid->AddGrowableCol(0);

    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(grid, 1, wxEXPAND | wxALL, FromDIP(10));
    SetSizerAndFit(outer);
    Bind(wxEVT_BUTTON, &CExpertLineDlg::OnOK, this, wxID_OK);
    CentreOnParent();
}

void CExpertLineDlg::SetInstruction(const CBhavInstruction& instruction, const CPlainTextRenderer& renderer)
{
    m_instruction = instruction;
    m_renderer = &renderer;
}

void CExpertLineDlg::DoDataExchange(CDataExchange& dx)
{
    for (int row = 0; row < kRows; ++row)
        dx.Text(kHexIds[row], m_hexTexts[row]);
    dx.Text(IDC_EXPERT_DESCRIPTION, m_description);
    for (int row = 0; row < kRows; ++row)
    {
        dx.UInt(kDecimalIds[row], m_numbers[row]);
        // The field stands for a 16-bit number: a larger one is refused, never wrapped.
        dx.MinMax(kDecimalIds[row], m_numbers[row], 0, 0xFFFF);
    }
    dx.Text(IDC_EXPERT_TRUE_TARGET, m_trueText);
    dx.MaxChars(IDC_EXPERT_TRUE_TARGET, m_trueText, kMaxTargetChars);
    dx.Text(IDC_EXPERT_FALSE_TARGET, m_falseText);
    dx.MaxChars(IDC_EXPERT_FALSE_TARGET, m_falseText, kMaxTargetChars);
}

void CExpertLineDlg::OnInitDialog()
{
    CExchangeDialog::OnInitDialog();
    for (int row = 0; row < kRows; ++row)
    {
        const std::uint16_t value = RowValue(row);
        m_hexTexts[row] = wxString::Format("%.4X", static_cast<unsigned>(value));
        m_numbers[row] = value;
    }
    m_trueText = TargetText(m_instruction.trueTarget);
    m_falseText = TargetText(m_instruction.falseTarget);
    m_description = Describe();
    UpdateData(false);
}

std::uint16_t CExpertLineDlg::RowValue(int row) const
{
    return row == 0 ? m_instruction.opcode : m_instruction.params[static_cast<std::size_t>(row - 1)];
}

void CExpertLineDlg::SetRowValue(int row, std::uint16_t value)
{
    if (row == 0)
        m_instruction.opcode = value;
    else
        m_instruction.params[static_cast<std::size_t>(row - 1)] = value;
}

wxString CExpertLineDlg::Describe() const
{
    if (m_renderer == nullptr)
        return wxString();
    const auto& p = m_instruction.params;
    return GameText(m_renderer->Describe(m_instruction.opcode, p[0], p[1], p[2], p[3]));
}

void CExpertLineDlg::WriteFieldsKeepingCaret(wxWindow* edited)
{
    auto* field = wxDynamicCast(edited, wxTextCtrl);
    const long caret = field != nullptr ? field->GetInsertionPoint() : 0;
    UpdateData(false);
    // Rewriting the field being typed in (a decimal field drops leading zeros) would put the
    // caret back at the start.
    if (field != nullptr && field->GetInsertionPoint() != caret)
        field->SetInsertionPoint(std::min(caret, field->GetLastPosition()));
}

void CExpertLineDlg::OnHexChanged(wxCommandEvent& event)
{
    if (IsWritingFields())
        return;
    const int row = static_cast<int>(std::find(std::begin(kHexIds), std::end(kHexIds), event.GetId()) -
                                     std::begin(kHexIds));
    if (row >= kRows)
        return;
    // A failed check has shown its message; the rest of the change is made all the same, and the
    // final write puts the last valid numbers back.
    UpdateData(true);
    // An emptied text, or one that starts with something else, keeps the value it had.
    if (const std::optional<std::uint16_t> value = ParseHexField(m_hexTexts[row]))
    {
        SetRowValue(row, *value);
        m_numbers[row] = *value;
    }
    m_description = Describe();
    WriteFieldsKeepingCaret(FindWindow(event.GetId()));
}

void CExpertLineDlg::OnDecimalChanged(wxCommandEvent& event)
{
    if (IsWritingFields())
        return;
    const int row = static_cast<int>(std::find(std::begin(kDecimalIds), std::end(kDecimalIds), event.GetId()) -
                                     std::begin(kDecimalIds));
    if (row >= kRows)
        return;
    // Only a number in range is taken while typing; the field's check speaks when it is left.
    if (!ReadQuietly())
        return;
    const auto value = static_cast<std::uint16_t>(m_numbers[row]);
    SetRowValue(row, value);
    m_hexTexts[row] = wxString::Format("%.4X", static_cast<unsigned>(value));
    m_description = Describe();
    WriteFieldsKeepingCaret(FindWindow(event.GetId()));
}

void CExpertLineDlg::OnDecimalChar(wxKeyEvent& event)
{
    // Digits only, as typed; control keys, navigation and shortcuts (paste among them) pass, and
    // a pasted non-number meets the field's check.
    const int unicode = event.GetUnicodeKey();
    if (unicode == WXK_NONE || unicode < WXK_SPACE || unicode == WXK_DELETE || (unicode >= '0' && unicode <= '9') ||
        event.HasModifiers())
        event.Skip();
}

void CExpertLineDlg::OnOK(wxCommandEvent&)
{
    if (!UpdateData(true))
        return;
    // A target text without a number keeps the target.
    if (const std::optional<std::uint16_t> value = ParseHexField(m_trueText))
        m_instruction.trueTarget = TargetFromText(*value);
    if (const std::optional<std::uint16_t> value = ParseHexField(m_falseText))
        m_instruction.falseTarget = TargetFromText(*value);
    EndModal(wxID_OK);
}
