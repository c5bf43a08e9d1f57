#pragma once

#include "framework/ExchangeDialog.h"
#include "records/BhavInstruction.h"

#include <array>
#include <cstdint>
#include <optional>

class CPlainTextRenderer;

/// The leading hexadecimal number of a field's text: blanks, then an optional 0x, then digits up
/// to the first other character, cut to 16 bits. Nothing when the text holds no digit there.
std::optional<std::uint16_t> ParseHexField(const wxString& text);

/// "Edit BHAV Line...": one instruction by number. The function and the four parameters each
/// have a hexadecimal and a decimal field that follow each other as the user types, with the
/// description brought up to date; the targets are entered as the target plus one in hexadecimal.
/// Works on its own copy of the instruction.
class CExpertLineDlg : public CExchangeDialog
{
public:
    static constexpr int kRows = 5;  // the function, then parameters 0 to 3
    static constexpr int kMaxHexChars = 6;

    explicit CExpertLineDlg(wxWindow* parent = nullptr);

    /// Hands over the instruction to edit and the renderer of the descriptions, which must outlive
    /// the dialog.
    void SetInstruction(const CBhavInstruction& instruction, const CPlainTextRenderer& renderer);
    /// The edited copy; after OK it holds the new function, parameters and targets.
    const CBhavInstruction& Instruction() const { return m_instruction; }

protected:
    void DoDataExchange(CDataExchange& dx) override;
    void OnInitDialog() override;

private:
    std::uint16_t RowValue(int row) const;
    void SetRowValue(int row, std::uint16_t value);
    wxString Describe() const;
    void WriteFieldsKeepingCaret(wxWindow* edited);

    void OnHexChanged(wxCommandEvent& event);
    void OnDecimalChanged(wxCommandEvent& event);
    void OnDecimalChar(wxKeyEvent& event);
    void OnOK(wxCommandEvent& event);

    CBhavInstruction m_instruction;
    const CPlainTextRenderer* m_renderer = nullptr;
    std::array<wxString, kRows> m_hexTexts;
    wxString m_description;
    std::array<std::uint32_t, kRows> m_numbers{};
    wxString m_trueText;
    wxString m_falseText;
};
