#pragma once

#include "framework/ExchangeDialog.h"
#include "rendering/PlainTextRenderer.h"

#include <memory>
#include <string>

class CBhavScript;
class CNeededFiles;
class CScriptLineListBox;
struct CBhavInstruction;
struct CScriptLineItem;

/// "SimAntics Script Editor": one behaviour script, a line per instruction with its description
/// and its two targets. Lines are added, copied, deleted and edited (through the line editor), and
/// the script optimised. Every change is made at once in the caller's script, which the caller
/// stores after OK and throws away after Cancel.
class CScriptEditorDlg : public CExchangeDialog
{
public:
    explicit CScriptEditorDlg(wxWindow* parent = nullptr);

    /// Hands over the script to edit in place and what its calls are named from: the document's
    /// loaded files, the open file's name and the semi-global file's name. The script and the
    /// files must outlive the dialog; the names are copied.
    void SetScript(CBhavScript& script, const CNeededFiles& files, const std::string& fileName,
                   const std::string& semiGlobalName);
    /// Rebuilds item `index` of the list from instruction `index` (removes it when the script has
    /// no such instruction).
    void RefreshLine(int index);

    CScriptLineListBox* Lines() const { return m_lines; }
    const CPlainTextRenderer& Renderer() const { return m_renderer; }

    /// What a line shows for one instruction.
    static std::unique_ptr<CScriptLineItem> MakeLineItem(const CBhavInstruction& instruction, int index,
                                                         const CPlainTextRenderer& renderer);

protected:
    void OnInitDialog() override;

private:
    int InstructionCount() const;
    /// The selected line when it shows an instruction; -1 otherwise.
    int SelectedInstruction() const;
    void RefreshAllLines();

    void OnLineDoubleClick(wxCommandEvent& event);
    void OnOptimize(wxCommandEvent& event);
    void OnAdd(wxCommandEvent& event);
    void OnDelete(wxCommandEvent& event);
    void OnCopy(wxCommandEvent& event);

    CBhavScript* m_script = nullptr;
    const CNeededFiles* m_files = nullptr;
    std::string m_fileName;
    std::string m_semiGlobalName;
    CPlainTextRenderer m_renderer;
    CScriptLineListBox* m_lines = nullptr;
};
