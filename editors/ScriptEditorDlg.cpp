#include "ScriptEditorDlg.h"

#include "LineEditDlg.h"
#include "ScriptLineListBox.h"

#include "framework/UserInterface.h"
#include "records/BhavScript.h"
#include "rendering/CodeTextRenderer.h"
#include "rendering/NeededFiles.h"
#include "rendering/ScriptListing.h"
#include "resources/ScriptEditorIds.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/wupdlock.h>

#include <algorithm>

CScriptEditorDlg::CScriptEditorDlg(wxWindow* parent)
    : CExchangeDialog(parent, IDD_SCRIPT_EDITOR, "SimAntics Script Editor", wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER)
{
    const int gap = FromDIP(7);
    const int buttonWidth = ConvertDialogToPixels(wxSize(50, 0)).x;

    m_lines = new CScriptLineListBox(this, IDC_SCRIPT_LINES);
    m_lines->SetMinSize(ConvertDialogToPixels(wxSize(354, 241)));

    auto* buttons = new wxBoxSizer(wxVERTICAL);
    auto addButton = [&](int id, const char* label, int spaceAbove) {
        auto* button = new wxButton(this, id, label);
        button->SetMinSize(wxSize(std::max(buttonWidth, button->GetBestSize().x), -1));
        buttons->Add(button, 0, wxEXPAND | wxTOP, spaceAbove);
        return button;
    };
    const int small = FromDIP(4);
    addButton(wxID_OK, "OK", 0)->SetDefault();
    addButton(wxID_CANCEL, "Cancel", small);
    addButton(IDC_SCRIPT_OPTIMIZE, "Optimize", small);
    // The line buttons stand apart from the dialog's own, as in the template.
    addButton(IDC_SCRIPT_ADD, "Add", ConvertDialogToPixels(wxSize(0, 34)).y);
    addButton(IDC_SCRIPT_DELETE, "Delete", small);
    addButton(IDC_SCRIPT_COPY, "Copy", small);

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(m_lines, 1, wxEXPAND | wxRIGHT, gap + FromDIP(3));
    row->Add(buttons, 0, wxALIGN_TOP);
    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(row, 1, wxEXPAND | wxALL, gap);
    SetSizerAndFit(outer);

    Bind(wxEVT_LISTBOX_DCLICK, &CScriptEditorDlg::OnLineDoubleClick, this, IDC_SCRIPT_LINES);
    Bind(wxEVT_BUTTON, &CScriptEditorDlg::OnOptimize, this, IDC_SCRIPT_OPTIMIZE);
    Bind(wxEVT_BUTTON, &CScriptEditorDlg::OnAdd, this, IDC_SCRIPT_ADD);
    Bind(wxEVT_BUTTON, &CScriptEditorDlg::OnDelete, this, IDC_SCRIPT_DELETE);
    Bind(wxEVT_BUTTON, &CScriptEditorDlg::OnCopy, this, IDC_SCRIPT_COPY);
    // The dialog has no menu to carry the keys; the hook sees them whichever control has the focus.
    Bind(wxEVT_CHAR_HOOK, &CScriptEditorDlg::OnCharHook, this);
    CentreOnParent();
}

void CScriptEditorDlg::SetScript(CBhavScript& script, const CNeededFiles& files, const std::string& fileName,
                                 const std::string& semiGlobalName)
{
    m_script = &script;
    m_files = &files;
    m_fileName = fileName;
    m_semiGlobalName = semiGlobalName;
}

void CScriptEditorDlg::OnInitDialog()
{
    CExchangeDialog::OnInitDialog();
    if (m_files != nullptr)
        m_renderer.SetSources(*m_files, m_fileName, m_semiGlobalName);
    RefreshAllLines();
    m_lines->SetSelection(wxNOT_FOUND);
    if (m_initialLine >= 0 && m_initialLine < InstructionCount())
    {
        m_lines->SetSelection(m_initialLine);
        m_lines->ScrollToRow(static_cast<std::size_t>(m_initialLine));
    }
    m_undo.clear();
    m_redo.clear();
}

int CScriptEditorDlg::InstructionCount() const
{
    return m_script != nullptr ? static_cast<int>(m_script->m_instructions.size()) : 0;
}

int CScriptEditorDlg::SelectedInstruction() const
{
    const int selection = m_lines->GetSelection();
    return selection >= 0 && selection < InstructionCount() ? selection : -1;
}

std::unique_ptr<CScriptLineItem> CScriptEditorDlg::MakeLineItem(const CBhavInstruction& instruction, int index,
                                                                const CPlainTextRenderer& renderer)
{
    auto item = std::make_unique<CScriptLineItem>();
    item->description = GameText(DescribeLine(renderer, instruction));
    item->successText = wxString::FromUTF8(FormatTargetText(instruction.trueTarget));
    item->failureText = wxString::FromUTF8(FormatTargetText(instruction.falseTarget));
    item->lineNumber = index + 1;
    return item;
}

void CScriptEditorDlg::RefreshLine(int index)
{
    if (index >= 0 && static_cast<std::size_t>(index) < m_lines->Count())
        m_lines->DeleteItem(static_cast<std::size_t>(index));
    if (index < 0 || index >= InstructionCount())
        return;
    const CBhavInstruction& instruction = m_script->m_instructions[static_cast<std::size_t>(index)];
    m_lines->InsertItem(static_cast<std::size_t>(index), MakeLineItem(instruction, index, m_renderer));
}

void CScriptEditorDlg::RefreshAllLines()
{
    wxWindowUpdateLocker noFlicker(m_lines);
    for (int index = 0; index < InstructionCount(); ++index)
        RefreshLine(index);
}

CScriptEditorDlg::CEditState CScriptEditorDlg::CurrentState() const
{
    return {m_script != nullptr ? m_script->m_instructions : std::vector<CBhavInstruction>{}, m_lines->GetSelection()};
}

void CScriptEditorDlg::RememberChange(CEditState before)
{
    if (m_script == nullptr || before.instructions == m_script->m_instructions)
        return;
    m_undo.push_back(std::move(before));
    m_redo.clear();
}

void CScriptEditorDlg::Restore(std::vector<CEditState>& from, std::vector<CEditState>& saved)
{
    if (m_script == nullptr || from.empty())
        return;
    saved.push_back(CurrentState());
    CEditState state = std::move(from.back());
    from.pop_back();
    m_script->m_instructions = std::move(state.instructions);
    m_lines->DeleteAll();
    RefreshAllLines();
    m_lines->SetSelection(state.selection >= 0 && state.selection < InstructionCount() ? state.selection
                                                                                       : wxNOT_FOUND);
}

void CScriptEditorDlg::Undo()
{
    Restore(m_undo, m_redo);
}

void CScriptEditorDlg::Redo()
{
    Restore(m_redo, m_undo);
}

void CScriptEditorDlg::OnCharHook(wxKeyEvent& event)
{
    const int modifiers = event.GetModifiers();
    const int key = event.GetKeyCode();
    if (modifiers == wxMOD_CONTROL && key == 'Z')
        Undo();
    else if ((modifiers == wxMOD_CONTROL && key == 'Y') || (modifiers == (wxMOD_CONTROL | wxMOD_SHIFT) && key == 'Z'))
        Redo();
    else
        event.Skip();
}

void CScriptEditorDlg::OnLineDoubleClick(wxCommandEvent&)
{
    const int index = SelectedInstruction();
    if (index < 0)
        return;
    CBhavInstruction& instruction = m_script->m_instructions[static_cast<std::size_t>(index)];
    CLineEditDlg editor(this);
    editor.SetInstruction(instruction, m_renderer);
    if (m_files != nullptr)
        editor.SetScriptNames(*m_files);
    if (Ui().RunModal(editor) != wxID_OK)
        return;
    CEditState before = CurrentState();
    instruction = editor.Instruction();
    RememberChange(std::move(before));
    RefreshLine(index);
    m_lines->SetSelection(index);
}

void CScriptEditorDlg::OnOptimize(wxCommandEvent&)
{
    if (m_script == nullptr)
        return;
    CEditState before = CurrentState();
    m_script->Optimize();
    RememberChange(std::move(before));
    m_lines->DeleteAll();
    RefreshAllLines();
    m_lines->SetSelection(wxNOT_FOUND);
}

void CScriptEditorDlg::OnAdd(wxCommandEvent&)
{
    if (m_script == nullptr)
        return;
    CBhavInstruction empty;
    empty.opcode = 0;
    empty.trueTarget = 0;
    empty.falseTarget = 0;
    empty.params = {};
    CEditState before = CurrentState();
    m_script->m_instructions.push_back(empty);
    RememberChange(std::move(before));
    RefreshAllLines();
    m_lines->SetSelection(InstructionCount() - 1);
}

void CScriptEditorDlg::OnCopy(wxCommandEvent&)
{
    const int index = SelectedInstruction();
    if (index < 0)
        return;
    const CBhavInstruction copy = m_script->m_instructions[static_cast<std::size_t>(index)];
    CEditState before = CurrentState();
    m_script->m_instructions.push_back(copy);
    RememberChange(std::move(before));
    RefreshAllLines();
    m_lines->SetSelection(InstructionCount() - 1);
}

void CScriptEditorDlg::OnDelete(wxCommandEvent&)
{
    const int selection = m_lines->GetSelection();
    if (selection == wxNOT_FOUND)
        return;
    if (selection < InstructionCount())
    {
        CEditState before = CurrentState();
        m_script->m_instructions.erase(m_script->m_instructions.begin() + selection);
        RememberChange(std::move(before));
        m_lines->DeleteAll();
        RefreshAllLines();
    }
    m_lines->SetSelection(selection < static_cast<int>(m_lines->Count()) ? selection : wxNOT_FOUND);
}
