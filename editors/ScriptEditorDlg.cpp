#include "ScriptEditorDlg.h"

#include "LineEditDlg.h"
#include "ScriptGraphFrame.h"
#include "ScriptLineListBox.h"

#include "containers/TypeCodes.h"
#include "framework/UserInterface.h"
#include "records/BhavScript.h"
#include "records/RecordFault.h"
#include "rendering/CodeTextRenderer.h"
#include "rendering/NeededFiles.h"
#include "rendering/ScriptGraph.h"
#include "rendering/ScriptListing.h"
#include "resources/ScriptEditorIds.h"
#include "resources/Strings.h"

#include <wx/button.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/wupdlock.h>

#include <algorithm>
#include <optional>

namespace
{
constexpr const char* kTitle = "SimAntics Script Editor";

// The keys of the editor's commands. Enter, Insert and the copying keys act on the line list
// only, so that a focused button still takes Enter.
struct CKeyCommand
{
    int key;
    int modifiers;
    bool listOnly;
    int command;
};

constexpr CKeyCommand kKeyCommands[] = {
    {'Z', wxMOD_CONTROL, false, IDC_SCRIPT_UNDO},
    {'Y', wxMOD_CONTROL, false, IDC_SCRIPT_REDO},
    {'Z', wxMOD_CONTROL | wxMOD_SHIFT, false, IDC_SCRIPT_REDO},
    {WXK_RETURN, wxMOD_NONE, true, IDC_SCRIPT_EDIT_LINE},
    {WXK_NUMPAD_ENTER, wxMOD_NONE, true, IDC_SCRIPT_EDIT_LINE},
    {WXK_F2, wxMOD_NONE, false, IDC_SCRIPT_EDIT_LINE},
    {WXK_RETURN, wxMOD_CONTROL, false, wxID_OK},
    {WXK_NUMPAD_ENTER, wxMOD_CONTROL, false, wxID_OK},
    {WXK_F12, wxMOD_NONE, false, IDC_SCRIPT_GO_TO},
    {WXK_INSERT, wxMOD_NONE, true, IDC_SCRIPT_INSERT},
    {WXK_NUMPAD_INSERT, wxMOD_NONE, true, IDC_SCRIPT_INSERT},
    {WXK_UP, wxMOD_ALT, false, IDC_SCRIPT_MOVE_UP},
    {WXK_NUMPAD_UP, wxMOD_ALT, false, IDC_SCRIPT_MOVE_UP},
    {WXK_DOWN, wxMOD_ALT, false, IDC_SCRIPT_MOVE_DOWN},
    {WXK_NUMPAD_DOWN, wxMOD_ALT, false, IDC_SCRIPT_MOVE_DOWN},
    {WXK_DELETE, wxMOD_SHIFT, false, IDC_SCRIPT_DELETE_RENUMBER},
    {WXK_NUMPAD_DELETE, wxMOD_SHIFT, false, IDC_SCRIPT_DELETE_RENUMBER},
    {'C', wxMOD_CONTROL, true, IDC_SCRIPT_COPY_TEXT},
    {'A', wxMOD_CONTROL, true, IDC_SCRIPT_SELECT_ALL},
    {WXK_F12, wxMOD_SHIFT, false, IDC_SCRIPT_FIND_REFERENCES},
    {'G', wxMOD_CONTROL, false, IDC_SCRIPT_GRAPH},
};

// The buttons that change the lines, which a read-only editor does not show.
constexpr int kEditingButtons[] = {wxID_OK,           IDC_SCRIPT_OPTIMIZE, IDC_SCRIPT_ADD,
                                   IDC_SCRIPT_DELETE, IDC_SCRIPT_COPY,     IDC_SCRIPT_INSERT,
                                   IDC_SCRIPT_MOVE_UP, IDC_SCRIPT_MOVE_DOWN, IDC_SCRIPT_DELETE_RENUMBER};

// A line number as the list shows it.
int Numbered(std::size_t index)
{
    return static_cast<int>(index) + 1;
}
}

CScriptEditorDlg::CScriptEditorDlg(wxWindow* parent)
    : CExchangeDialog(parent, IDD_SCRIPT_EDITOR, kTitle, wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER)
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
    // The commands that keep every jump on its instruction, apart from the template's own.
    const int apart = ConvertDialogToPixels(wxSize(0, 10)).y;
    addButton(IDC_SCRIPT_INSERT, "Insert line before", apart);
    addButton(IDC_SCRIPT_MOVE_UP, "Move up", small);
    addButton(IDC_SCRIPT_MOVE_DOWN, "Move down", small);
    addButton(IDC_SCRIPT_DELETE_RENUMBER, "Delete and renumber", small);
    addButton(IDC_SCRIPT_GRAPH, "Graph", apart);

    m_status = new wxStaticText(this, IDC_SCRIPT_STATUS, wxString(), wxDefaultPosition, wxDefaultSize,
                                wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
    m_status->SetMinSize(wxSize(-1, m_status->GetCharHeight() + FromDIP(2)));

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(m_lines, 1, wxEXPAND | wxRIGHT, gap + FromDIP(3));
    row->Add(buttons, 0, wxALIGN_TOP);
    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(row, 1, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, gap);
    outer->Add(m_status, 0, wxEXPAND | wxALL, gap);
    SetSizerAndFit(outer);

    Bind(wxEVT_LISTBOX_DCLICK, &CScriptEditorDlg::OnLineDoubleClick, this, IDC_SCRIPT_LINES);
    m_lines->Bind(wxEVT_LEFT_DCLICK, &CScriptEditorDlg::OnLinesLeftDoubleClick, this);
    m_lines->Bind(wxEVT_CONTEXT_MENU, &CScriptEditorDlg::OnLinesContextMenu, this);
    Bind(wxEVT_BUTTON, &CScriptEditorDlg::OnOptimize, this, IDC_SCRIPT_OPTIMIZE);
    Bind(wxEVT_BUTTON, &CScriptEditorDlg::OnAdd, this, IDC_SCRIPT_ADD);
    Bind(wxEVT_BUTTON, &CScriptEditorDlg::OnDelete, this, IDC_SCRIPT_DELETE);
    Bind(wxEVT_BUTTON, &CScriptEditorDlg::OnCopy, this, IDC_SCRIPT_COPY);
    Bind(wxEVT_BUTTON, &CScriptEditorDlg::OnCommand, this, IDC_SCRIPT_INSERT, IDC_SCRIPT_FIND_REFERENCES);
    Bind(wxEVT_MENU, &CScriptEditorDlg::OnCommand, this, IDC_SCRIPT_INSERT, IDC_SCRIPT_FIND_REFERENCES);
    Bind(wxEVT_BUTTON, &CScriptEditorDlg::OnCommand, this, IDC_SCRIPT_GRAPH);
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
    if (m_script != nullptr)
    {
        wxString title = wxString::Format("%s - #%u: ", kTitle, unsigned(m_script->Id())) + GameText(m_script->Name());
        SetTitle(m_readOnly ? title + " (read-only)" : title);
    }
    if (m_readOnly)
    {
        for (const int id : kEditingButtons)
            if (wxWindow* button = FindWindow(id))
                button->Hide();
        if (wxWindow* cancel = FindWindow(wxID_CANCEL))
            cancel->SetLabel("Close");
        Layout();
    }
    RefreshAllLines();
    m_lines->SetSelection(InstructionCount() > 0 ? 0 : wxNOT_FOUND);
    if (m_initialLine >= 0 && m_initialLine < InstructionCount())
    {
        m_lines->SetSelection(m_initialLine);
        m_lines->ScrollToRow(static_cast<std::size_t>(m_initialLine));
    }
    m_lines->SetFocus();
    m_undo.clear();
    m_redo.clear();
}

int CScriptEditorDlg::InstructionCount() const
{
    return m_script != nullptr ? static_cast<int>(m_script->Lines().size()) : 0;
}

int CScriptEditorDlg::SelectedInstruction() const
{
    const int selection = m_lines->GetSelection();
    return selection >= 0 && selection < InstructionCount() ? selection : -1;
}

std::unique_ptr<CScriptLineItem> CScriptEditorDlg::MakeLineItem(const CBhavInstruction& instruction, int index,
                                                                int lineCount, const CPlainTextRenderer& renderer)
{
    const auto targetText = [lineCount](std::uint8_t target, bool& missing) {
        missing = IsLineTarget(target) && target >= lineCount;
        return wxString::FromUTF8(FormatTargetText(target)) + (missing ? " (missing)" : "");
    };
    auto item = std::make_unique<CScriptLineItem>();
    item->description = GameText(DescribeLine(renderer, instruction));
    item->successText = targetText(instruction.trueTarget, item->successMissing);
    item->failureText = targetText(instruction.falseTarget, item->failureMissing);
    item->lineNumber = index + 1;
    return item;
}

void CScriptEditorDlg::RefreshLine(int index)
{
    if (index >= 0 && static_cast<std::size_t>(index) < m_lines->Count())
        m_lines->DeleteItem(static_cast<std::size_t>(index));
    if (index < 0 || index >= InstructionCount())
        return;
    const CBhavInstruction& instruction = m_script->Lines()[static_cast<std::size_t>(index)];
    m_lines->InsertItem(static_cast<std::size_t>(index),
                        MakeLineItem(instruction, index, InstructionCount(), m_renderer));
}

void CScriptEditorDlg::RefreshAllLines()
{
    wxWindowUpdateLocker noFlicker(m_lines);
    for (int index = 0; index < InstructionCount(); ++index)
        RefreshLine(index);
}

CScriptEditorDlg::CEditState CScriptEditorDlg::CurrentState() const
{
    return {m_script != nullptr ? m_script->Lines() : std::vector<CBhavInstruction>{}, m_lines->GetSelection()};
}

void CScriptEditorDlg::RememberChange(CEditState before)
{
    if (m_script == nullptr || before.instructions == m_script->Lines())
        return;
    m_undo.push_back(std::move(before));
    m_redo.clear();
}

void CScriptEditorDlg::ReturnToEditState(std::vector<CEditState>& from, std::vector<CEditState>& saved)
{
    if (m_script == nullptr || from.empty())
        return;
    saved.push_back(CurrentState());
    CEditState state = std::move(from.back());
    from.pop_back();
    m_script->ReplaceLines(std::move(state.instructions));
    m_lines->DeleteAll();
    RefreshAllLines();
    m_lines->SetSelection(state.selection >= 0 && state.selection < InstructionCount() ? state.selection
                                                                                       : wxNOT_FOUND);
}

void CScriptEditorDlg::Undo()
{
    ReturnToEditState(m_undo, m_redo);
}

void CScriptEditorDlg::Redo()
{
    ReturnToEditState(m_redo, m_undo);
}

void CScriptEditorDlg::ShowStatus(const wxString& text)
{
    m_status->SetLabel(text);
}

bool CScriptEditorDlg::Editable()
{
    if (m_readOnly)
        ShowStatus("This script is read-only: its lines cannot be changed here.");
    return !m_readOnly && m_script != nullptr;
}

void CScriptEditorDlg::OnCharHook(wxKeyEvent& event)
{
    const int modifiers = event.GetModifiers();
    const int key = event.GetKeyCode();
    const bool onList = event.GetEventObject() == m_lines;
    for (const CKeyCommand& command : kKeyCommands)
    {
        if (command.key == key && command.modifiers == modifiers && (onList || !command.listOnly))
        {
            RunCommand(command.command);
            return;
        }
    }
    event.Skip();
}

void CScriptEditorDlg::OnCommand(wxCommandEvent& event)
{
    RunCommand(event.GetId());
}

void CScriptEditorDlg::RunCommand(int id)
{
    switch (id)
    {
    case IDC_SCRIPT_UNDO:
        Undo();
        break;
    case IDC_SCRIPT_REDO:
        Redo();
        break;
    case IDC_SCRIPT_EDIT_LINE:
        EditSelectedLine();
        break;
    case wxID_OK:
        // As a click on OK: the answers to its question and the caller's storing decide.
        if (wxWindow* ok = FindWindow(wxID_OK); ok != nullptr && ok->IsShown())
        {
            wxCommandEvent click(wxEVT_BUTTON, wxID_OK);
            click.SetEventObject(ok);
            ok->GetEventHandler()->ProcessEvent(click);
        }
        break;
    case IDC_SCRIPT_GO_TO:
        GoToCalledScript();
        break;
    case IDC_SCRIPT_INSERT:
        InsertLineBefore();
        break;
    case IDC_SCRIPT_MOVE_UP:
        MoveSelectedLine(-1);
        break;
    case IDC_SCRIPT_MOVE_DOWN:
        MoveSelectedLine(1);
        break;
    case IDC_SCRIPT_DELETE_RENUMBER:
        DeleteAndRenumber();
        break;
    case IDC_SCRIPT_COPY_TEXT:
        CopyAsText();
        break;
    case IDC_SCRIPT_SELECT_ALL:
        m_lines->SelectAllLines();
        break;
    case IDC_SCRIPT_FIND_REFERENCES:
        FindReferences();
        break;
    case IDC_SCRIPT_GRAPH:
        OpenGraph();
        break;
    default:
        break;
    }
}

void CScriptEditorDlg::OnLineDoubleClick(wxCommandEvent&)
{
    EditSelectedLine();
}

void CScriptEditorDlg::OnLinesLeftDoubleClick(wxMouseEvent& event)
{
    if (event.GetModifiers() != wxMOD_CONTROL)
    {
        event.Skip();
        return;
    }
    const int line = m_lines->VirtualHitTest(event.GetPosition().y);
    if (line == wxNOT_FOUND)
        return;
    m_lines->SetSelection(line);
    GoToCalledScript();
}

void CScriptEditorDlg::OnLinesContextMenu(wxContextMenuEvent& event)
{
    // A right click chooses the line under the pointer, unless it lies in the lines selected.
    if (event.GetPosition() != wxDefaultPosition)
    {
        const int line = m_lines->VirtualHitTest(m_lines->ScreenToClient(event.GetPosition()).y);
        std::size_t first = 0;
        std::size_t last = 0;
        const bool inSelection = line != wxNOT_FOUND && m_lines->SelectedLines(first, last) &&
                                 static_cast<std::size_t>(line) >= first && static_cast<std::size_t>(line) <= last;
        if (line != wxNOT_FOUND && !inSelection)
            m_lines->SetSelection(line);
    }
    const bool selected = SelectedInstruction() >= 0;
    wxMenu menu;
    if (!m_readOnly)
        menu.Append(IDC_SCRIPT_EDIT_LINE, "&Edit line...\tEnter");
    menu.Append(IDC_SCRIPT_GO_TO, "&Go to called script\tF12");
    if (!m_readOnly)
    {
        menu.AppendSeparator();
        menu.Append(IDC_SCRIPT_INSERT, "&Insert line before\tIns");
        menu.Append(IDC_SCRIPT_MOVE_UP, "Move &up\tAlt+Up");
        menu.Append(IDC_SCRIPT_MOVE_DOWN, "Move &down\tAlt+Down");
        menu.Append(IDC_SCRIPT_DELETE_RENUMBER, "Delete and &renumber\tShift+Del");
    }
    menu.AppendSeparator();
    menu.Append(IDC_SCRIPT_COPY_TEXT, "&Copy as text\tCtrl+C");
    if (m_readOnly && m_findReferences)
        menu.Append(IDC_SCRIPT_FIND_REFERENCES, "Find &references\tShift+F12");
    for (const int id : {IDC_SCRIPT_EDIT_LINE, IDC_SCRIPT_GO_TO, IDC_SCRIPT_MOVE_UP, IDC_SCRIPT_MOVE_DOWN,
                         IDC_SCRIPT_DELETE_RENUMBER})
        if (menu.FindItem(id) != nullptr)
            menu.Enable(id, selected);
    m_lines->PopupMenu(&menu);
}

void CScriptEditorDlg::EditSelectedLine()
{
    const int index = SelectedInstruction();
    if (index < 0 || !Editable())
        return;
    const CBhavInstruction& instruction = m_script->Lines()[static_cast<std::size_t>(index)];
    CLineEditDlg editor(this);
    editor.SetInstruction(instruction, m_renderer);
    if (m_files != nullptr)
        editor.SetScriptNames(*m_files);
    if (Ui().RunModal(editor) != wxID_OK)
        return;
    CEditState before = CurrentState();
    m_script->SetLine(static_cast<std::size_t>(index), editor.Instruction());
    RememberChange(std::move(before));
    RefreshLine(index);
    m_lines->SetSelection(index);
}

void CScriptEditorDlg::GoToCalledScript()
{
    const int index = SelectedInstruction();
    if (index < 0)
        return;
    ShowStatus(wxString());
    const std::uint16_t opcode = m_script->Lines()[static_cast<std::size_t>(index)].opcode;
    if (opcode < kFirstGlobalScript)
        return ShowStatus(wxString::Format("Line %d calls no script.", index + 1));
    if (opcode >= kFirstPrivateScript && opcode < kFirstSemiGlobalScript)
    {
        if (!m_openScript)
            return ShowStatus(wxString::Format("Script #%u is not loaded.", unsigned(opcode)));
        ShowStatus(m_openScript(opcode, *this));
        return;
    }
    const char* kind = opcode < kFirstPrivateScript ? "Global" : "Semi-global";
    const std::optional<CPlainTextRenderer::CScriptPlace> place = m_renderer.FindCalledScript(opcode);
    if (!place || m_files == nullptr)
        return ShowStatus(wxString::Format("%s script #%u is not loaded.", kind, unsigned(opcode)));
    CBhavScript called;
    if (const CRecordStatus loaded = called.Load(m_files->Containers()[place->file], opcode); !loaded)
        return ShowStatus(GameText(RecordRefusalText(kTypeBhav, opcode, called.Name(), loaded.Failure())));
    CScriptEditorDlg viewer(this);
    viewer.SetScript(called, *m_files, m_fileName, m_semiGlobalName);
    viewer.SetReadOnly(std::string(m_files->Names()[place->file]));
    viewer.SetScriptOpener(m_openScript);
    viewer.SetReferenceFinder(m_findReferences);
    Ui().RunModal(viewer);
}

CRenumbering CScriptEditorDlg::ChangeLines(const std::function<CRenumbering()>& change, int select)
{
    CEditState before = CurrentState();
    const CRenumbering outcome = change();
    if (outcome.result == CRenumbering::EResult::Done)
    {
        RememberChange(std::move(before));
        m_lines->DeleteAll();
        RefreshAllLines();
        m_lines->SetSelection(select >= 0 && select < InstructionCount() ? select : wxNOT_FOUND);
    }
    else if (outcome.result == CRenumbering::EResult::PastLastTarget && outcome.blocked)
    {
        const CBhavInstruction& jumping = m_script->Lines()[outcome.blocked->line];
        const std::uint8_t target = outcome.blocked->success ? jumping.trueTarget : jumping.falseTarget;
        Ui().MessageBox(this,
                        wxString::Format("Line %d jumps to line %d, which this would move past line %d, the last "
                                         "line a jump can reach.",
                                         Numbered(outcome.blocked->line), Numbered(target), Numbered(kTargetError - 1)),
                        kProgramName, wxOK | wxICON_EXCLAMATION);
    }
    return outcome;
}

void CScriptEditorDlg::InsertLineBefore()
{
    if (!Editable())
        return;
    // Without a selection the line goes at the end. It goes on to the line it stands before, so
    // that a jump pointed at it later passes through to where the jump went until then.
    const int selected = SelectedInstruction();
    const std::size_t index = selected >= 0 ? static_cast<std::size_t>(selected) : m_script->Lines().size();
    CBhavInstruction line;
    if (index < m_script->Lines().size() && index + 1 < kTargetError)
        line.trueTarget = line.falseTarget = static_cast<std::uint8_t>(index + 1);
    ChangeLines([&] { return m_script->InsertLine(index, line); }, static_cast<int>(index));
}

void CScriptEditorDlg::MoveSelectedLine(int by)
{
    const int from = SelectedInstruction();
    const int to = from + by;
    if (from < 0 || to < 0 || to >= InstructionCount() || !Editable())
        return;
    ChangeLines([&] { return m_script->MoveLine(static_cast<std::size_t>(from), static_cast<std::size_t>(to)); }, to);
}

void CScriptEditorDlg::DeleteAndRenumber()
{
    const int index = SelectedInstruction();
    if (index < 0 || !Editable())
        return;
    const std::uint8_t onward = m_script->Lines()[static_cast<std::size_t>(index)].trueTarget;
    const CRenumbering outcome =
        ChangeLines([&] { return m_script->DeleteLine(static_cast<std::size_t>(index)); },
                    std::min(index, InstructionCount() - 2));
    if (outcome.result == CRenumbering::EResult::NowhereToGo && outcome.blocked)
    {
        const wxString where = onward == index ? wxString("itself")
                                               : wxString::Format("line %d, which does not exist", Numbered(onward));
        Ui().MessageBox(this,
                        wxString::Format("Line %d jumps to line %d, which goes on to %s on success: the jump would "
                                         "have nowhere to go. Change the jump first, or delete the line with Delete.",
                                         Numbered(outcome.blocked->line), index + 1, where),
                        kProgramName, wxOK | wxICON_EXCLAMATION);
        return;
    }
    if (outcome.retargeted.empty())
        return;
    wxString lines;
    for (const CScriptJump& jump : outcome.retargeted)
    {
        if (!lines.empty())
            lines += ", ";
        lines += wxString::Format("line %d on %s", Numbered(jump.line), jump.success ? "success" : "failure");
    }
    const CScriptJump& first = outcome.retargeted.front();
    const CBhavInstruction& sent = m_script->Lines()[first.line];
    const std::string now = FormatTargetText(first.success ? sent.trueTarget : sent.falseTarget);
    Ui().MessageBox(this,
                    wxString::Format("The jumps into the deleted line %d now go where it went on success (%s): %s.",
                                     index + 1, wxString::FromUTF8(now), lines),
                    kProgramName, wxOK | wxICON_INFORMATION);
}

void CScriptEditorDlg::CopyAsText()
{
    if (m_script == nullptr)
        return;
    // A part of the script is copied as the rows of those lines; the whole with its heading.
    std::size_t first = 0;
    std::size_t last = 0;
    const std::size_t count = m_script->Lines().size();
    const bool part = m_lines->SelectedLines(first, last) && (first > 0 || last + 1 < count);
    const std::string text = part ? FormatScriptLines(*m_script, m_renderer, first, last)
                                  : FormatScriptListing(*m_script, m_renderer);
    if (!Ui().CopyText(wxString::FromUTF8(text)))
        return ShowStatus("The clipboard could not be opened.");
    if (!part)
        ShowStatus("Copied the script as text.");
    else if (first == last)
        ShowStatus(wxString::Format("Copied line %d as text.", Numbered(first)));
    else
        ShowStatus(wxString::Format("Copied lines %d to %d as text.", Numbered(first), Numbered(last)));
}

void CScriptEditorDlg::FindReferences()
{
    // The open file's own scripts have the main view's Find References.
    if (m_readOnly && m_findReferences && m_script != nullptr)
        m_findReferences(m_script->Id(), m_sourceFile, *this);
}

bool CScriptEditorDlg::TransferDataFromWindow()
{
    if (m_script != nullptr && !m_readOnly)
    {
        const std::size_t count = m_script->Lines().size();
        for (std::size_t line = 0; line < count; ++line)
        {
            for (const std::uint8_t target : {m_script->Lines()[line].trueTarget,
                                              m_script->Lines()[line].falseTarget})
            {
                if (!IsLineTarget(target) || target < count)
                    continue;
                const wxString question = wxString::Format(
                    "Line %d jumps to line %d, which does not exist. Store anyway?", Numbered(line), Numbered(target));
                if (!AskYesNo(this, question, "Warning:"))
                    return false;
                return CExchangeDialog::TransferDataFromWindow();
            }
        }
    }
    return CExchangeDialog::TransferDataFromWindow();
}

void CScriptEditorDlg::OnOptimize(wxCommandEvent&)
{
    if (!Editable())
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
    if (!Editable())
        return;
    CBhavInstruction empty;
    empty.opcode = 0;
    empty.trueTarget = 0;
    empty.falseTarget = 0;
    empty.params = {};
    CEditState before = CurrentState();
    if (!m_script->AppendLine(empty))
        return;
    RememberChange(std::move(before));
    RefreshAllLines();
    m_lines->SetSelection(InstructionCount() - 1);
}

void CScriptEditorDlg::OnCopy(wxCommandEvent&)
{
    const int index = SelectedInstruction();
    if (index < 0 || !Editable())
        return;
    const CBhavInstruction copy = m_script->Lines()[static_cast<std::size_t>(index)];
    CEditState before = CurrentState();
    if (!m_script->AppendLine(copy))
        return;
    RememberChange(std::move(before));
    RefreshAllLines();
    m_lines->SetSelection(InstructionCount() - 1);
}

void CScriptEditorDlg::OnDelete(wxCommandEvent&)
{
    const int selection = m_lines->GetSelection();
    if (selection == wxNOT_FOUND || !Editable())
        return;
    if (selection < InstructionCount())
    {
        CEditState before = CurrentState();
        m_script->RemoveLine(static_cast<std::size_t>(selection));
        RememberChange(std::move(before));
        m_lines->DeleteAll();
        RefreshAllLines();
    }
    m_lines->SetSelection(selection < static_cast<int>(m_lines->Count()) ? selection : wxNOT_FOUND);
}

void CScriptEditorDlg::OpenGraph()
{
    if (m_script == nullptr)
        return;
#ifndef TREEWRIGHT_HAVE_GRAPHVIZ
    Ui().MessageBox(this, kGraphNeedsGraphviz, kProgramName, wxOK | wxICON_INFORMATION);
#else
    if (m_graph)
    {
        m_graph->Raise();
        return;
    }
    m_graph = new CScriptGraphFrame(this);
    // The graph follows the script and the selection by itself; a click on a box selects its
    // line, a double-click edits it, as in the list.
    m_graph->SetLineHandlers([this](int line) { m_lines->SetSelection(line); },
                             [this](int line) {
                                 m_lines->SetSelection(line);
                                 EditSelectedLine();
                             });
    m_graph->Follow(*m_script, m_renderer, [this] { return SelectedInstruction(); });
    m_graph->Show();
#endif
}

void CScriptEditorDlg::EndModal(int code)
{
    if (m_graph)
        m_graph->Destroy();
    CExchangeDialog::EndModal(code);
}
