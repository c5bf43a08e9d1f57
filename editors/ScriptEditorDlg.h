#pragma once

#include "framework/ExchangeDialog.h"
#include "rendering/PlainTextRenderer.h"

#include <wx/weakref.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "records/BhavInstruction.h"

class CBhavScript;
class CNeededFiles;
class CScriptGraphFrame;
class CScriptLineListBox;
class wxContextMenuEvent;
class wxKeyEvent;
class wxMouseEvent;
class wxStaticText;
struct CRenumbering;
struct CScriptLineItem;

/// "SimAntics Script Editor": one behaviour script, a line per instruction with its description
/// and its two targets. Lines are added, copied, deleted and edited (through the line editor), and
/// the script optimised; lines are also inserted, moved and deleted with every jump kept on its
/// instruction. Every change is made at once in the caller's script, which the caller stores after
/// OK and throws away after Cancel. While the dialog is open each change can be undone (Ctrl+Z)
/// and redone (Ctrl+Y, Ctrl+Shift+Z).
///
/// A line's call can be followed into the called script: one of the open file through the
/// caller's opener, a global or semi-global one from the loaded files in a read-only editor, where
/// Find references lists the places that call it.
class CScriptEditorDlg : public CExchangeDialog
{
public:
    /// Opens script `id` of the open file in an editor of its own over `parent`, stored as the
    /// caller stores any script; returns why it could not, or an empty text.
    using CScriptOpener = std::function<wxString(std::uint16_t id, wxWindow& parent)>;
    /// Shows, over `parent`, every place that refers to script `id` of the file `fileName`.
    using CReferenceFinder = std::function<void(std::uint16_t id, const std::string& fileName, wxWindow& parent)>;

    explicit CScriptEditorDlg(wxWindow* parent = nullptr);

    /// Hands over the script to edit in place and what its calls are named from: the document's
    /// loaded files, the open file's name and the semi-global file's name. The script and the
    /// files must outlive the dialog; the names are copied.
    void SetScript(CBhavScript& script, const CNeededFiles& files, const std::string& fileName,
                   const std::string& semiGlobalName);
    /// Selects line `index` (from 0) when the dialog opens, for an editor opened at a place found
    /// elsewhere (a reference); a line the script does not have leaves the usual selection.
    void SetInitialLine(int index) { m_initialLine = index; }
    /// Where calls into the open file's scripts lead; without it they lead nowhere.
    void SetScriptOpener(CScriptOpener opener) { m_openScript = std::move(opener); }
    /// Shows a script of the loaded file `fileName` without letting it change: no OK, no line
    /// commands; Find references looks for the places that call it there. Before showing.
    void SetReadOnly(const std::string& fileName)
    {
        m_readOnly = true;
        m_sourceFile = fileName;
    }
    /// What Find references of a read-only editor shows; without it there is no such command.
    void SetReferenceFinder(CReferenceFinder finder) { m_findReferences = std::move(finder); }
    bool IsReadOnly() const { return m_readOnly; }
    /// Rebuilds item `index` of the list from instruction `index` (removes it when the script has
    /// no such instruction).
    void RefreshLine(int index);

    /// Puts the lines back as they were before the last change that was not undone, and selects
    /// what was selected then; nothing when there is no such change.
    void Undo();
    /// Makes the last undone change again; nothing when the last change was not an undo.
    void Redo();
    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }

    CScriptLineListBox* Lines() const { return m_lines; }
    /// The script's graph window (Graph, Ctrl+G) while it is open.
    CScriptGraphFrame* GraphWindow() const { return m_graph; }
    /// Closes the graph window with the dialog.
    void EndModal(int code) override;
    const CPlainTextRenderer& Renderer() const { return m_renderer; }

    /// What a line shows for one instruction of a script of `lineCount` lines.
    static std::unique_ptr<CScriptLineItem> MakeLineItem(const CBhavInstruction& instruction, int index,
                                                         int lineCount, const CPlainTextRenderer& renderer);

    /// Asks, when a line jumps past the last line, whether to store the script all the same.
    bool TransferDataFromWindow() override;

protected:
    void OnInitDialog() override;

private:
    /// The lines and the selection at one moment of the edit.
    struct CEditState
    {
        std::vector<CBhavInstruction> instructions;
        int selection = -1;
    };

    int InstructionCount() const;
    CEditState CurrentState() const;
    /// Makes the change from `before` to the lines as they are now an undo step, unless the lines
    /// did not change.
    void RememberChange(CEditState before);
    /// Shows the last state of `from` in place of the current one, which goes onto `saved`.
    void ReturnToEditState(std::vector<CEditState>& from, std::vector<CEditState>& saved);
    /// The selected line when it shows an instruction; -1 otherwise.
    int SelectedInstruction() const;
    void RefreshAllLines();
    void ShowStatus(const wxString& text);
    /// True when the lines may change; otherwise says why not in the status line.
    bool Editable();

    void RunCommand(int id);
    void EditSelectedLine();
    void GoToCalledScript();
    void InsertLineBefore();
    void MoveSelectedLine(int by);
    void DeleteAndRenumber();
    void CopyAsText();
    void FindReferences();
    /// Opens the graph window beside the dialog, or brings it forward.
    void OpenGraph();
    /// Runs a change that keeps jumps on their instructions: done, it becomes an undo step and
    /// `select` is selected; refused for a jump past the last addressable line, it says so.
    CRenumbering ChangeLines(const std::function<CRenumbering()>& change, int select);

    void OnLineDoubleClick(wxCommandEvent& event);
    void OnLinesLeftDoubleClick(wxMouseEvent& event);
    void OnLinesContextMenu(wxContextMenuEvent& event);
    void OnCommand(wxCommandEvent& event);
    void OnOptimize(wxCommandEvent& event);
    void OnAdd(wxCommandEvent& event);
    void OnDelete(wxCommandEvent& event);
    void OnCopy(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);

    CBhavScript* m_script = nullptr;
    const CNeededFiles* m_files = nullptr;
    std::string m_fileName;
    std::string m_semiGlobalName;
    CPlainTextRenderer m_renderer;
    CScriptOpener m_openScript;
    CReferenceFinder m_findReferences;
    bool m_readOnly = false;
    std::string m_sourceFile;  // read-only: the loaded file the script is from
    CScriptLineListBox* m_lines = nullptr;
    wxStaticText* m_status = nullptr;
    std::vector<CEditState> m_undo;
    std::vector<CEditState> m_redo;
    int m_initialLine = -1;
    wxWeakRef<CScriptGraphFrame> m_graph;
};
