#pragma once

#include "framework/ExchangeDialog.h"
#include "records/BhavInstruction.h"

#include <cstdint>
#include <vector>

class CNeededFiles;
class CPlainTextRenderer;

/// "Edit current line...": where one instruction goes on "Success" and on "Failure", each as a
/// line number or a return code; the function picked by name from the primitives or the loaded
/// scripts; and the way into the expert line editor. Works on its own copy of the instruction.
class CLineEditDlg : public CExchangeDialog
{
public:
    // Entries of the two row choices, in their order.
    enum
    {
        kGoTo = 0,
        kReturnTrue = 1,
        kReturnFalse = 2,
        kReturnError = 3,
    };
    // Entries of the function scope choice, in their order.
    enum
    {
        kScopePrimitive = 0,
        kScopeGlobal = 1,
        kScopePrivate = 2,
        kScopeSemiGlobal = 3,
    };

    explicit CLineEditDlg(wxWindow* parent = nullptr);

    /// Hands over the instruction to edit and the renderer, which must outlive the dialog.
    void SetInstruction(const CBhavInstruction& instruction, const CPlainTextRenderer& renderer);
    /// The index whose scripts the function choice offers; without it only primitives are named.
    void SetScriptNames(const CNeededFiles& files);
    /// The edited copy; after OK it holds the targets of both rows.
    const CBhavInstruction& Instruction() const { return m_instruction; }

    /// The scope choice entry of an opcode: primitives below 256, then global, private and
    /// semi-global scripts.
    static int ScopeOf(std::uint16_t opcode);

protected:
    void DoDataExchange(CDataExchange& dx) override;
    void OnInitDialog() override;

private:
    void PresetRows();
    void PresetFunction();
    void FillFunctions();
    void EnableLineFields();
    void RunExpertEdit();

    void OnSuccessChoice(wxCommandEvent& event);
    void OnFailureChoice(wxCommandEvent& event);
    void OnScopeChoice(wxCommandEvent& event);
    void OnFunctionChoice(wxCommandEvent& event);
    void OnExpertEdit(wxCommandEvent& event);
    void OnOK(wxCommandEvent& event);

    CBhavInstruction m_instruction;
    const CPlainTextRenderer* m_renderer = nullptr;
    const CNeededFiles* m_files = nullptr;
    int m_successChoice = -1;
    std::uint8_t m_successLine = 1;
    int m_failureChoice = -1;
    std::uint8_t m_failureLine = 1;
    int m_scopeChoice = -1;
    /// The opcode of each entry of the function choice.
    std::vector<std::uint16_t> m_functionOpcodes;
};
