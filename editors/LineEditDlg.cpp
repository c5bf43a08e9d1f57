#include "LineEditDlg.h"

#include "ExpertLineDlg.h"

#include "framework/UserInterface.h"
#include "rendering/NeededFiles.h"
#include "rendering/PlainTextRenderer.h"
#include "resources/ScriptEditorIds.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <set>

namespace
{
constexpr std::uint16_t kLastNamedPrimitive = 56;

constexpr const char* kSuccessLabel = "If the function / subroutine returns \"Success\", go to instruction";
constexpr const char* kFailureLabel = "If the function / subroutine returns \"Failure\", go to instruction";
constexpr const char* kNoteText =
    "NOTE: If the \"Next Instruction\" equals 253, then the current subroutine quits returning \"Error\", if 254 "
    "\"Success\" and if 255 \"Failure\". A subroutine should not return \"Error\" in normal circumstances.";
constexpr const char* kExpertNote =
    "Click this button if the options above are not sufficient or if you want to edit the instruction and "
    "parameters by number.\nCaution: only do this if you know what to do!";

wxArrayString RowChoices()
{
    wxArrayString choices;
    for (const char* text : {"Go to", "return TRUE", "return FALSE", "return ERROR"})
        choices.Add(text);
    return choices;
}

wxArrayString ScopeChoices()
{
    wxArrayString choices;
    for (const char* text : {"Primitive", "Global", "Private", "Semi-global"})
        choices.Add(text);
    return choices;
}

// A control at least as wide as the template makes it, wider where the platform's font needs it.
template <typename Control>
Control* AtLeast(Control* control, wxWindow* dialog, int dialogUnits)
{
    const int width = std::max(control->GetBestSize().x, dialog->ConvertDialogToPixels(wxSize(dialogUnits, 0)).x);
    control->SetMinSize(wxSize(width, -1));
    return control;
}

void PresetRow(std::uint8_t target, int& choice, std::uint8_t& line)
{
    switch (target)
    {
    case kTargetError:
        choice = CLineEditDlg::kReturnError;
        break;
    case kTargetTrue:
        choice = CLineEditDlg::kReturnTrue;
        break;
    case kTargetFalse:
        choice = CLineEditDlg::kReturnFalse;
        break;
    default:
        choice = CLineEditDlg::kGoTo;
        line = static_cast<std::uint8_t>(target + 1);
        break;
    }
}

// A row without a choice keeps the target, which Expert Edit may have set.
void StoreRow(int choice, std::uint8_t line, std::uint8_t& target)
{
    switch (choice)
    {
    case CLineEditDlg::kGoTo:
        target = static_cast<std::uint8_t>(line - 1);
        break;
    case CLineEditDlg::kReturnTrue:
        target = kTargetTrue;
        break;
    case CLineEditDlg::kReturnFalse:
        target = kTargetFalse;
        break;
    case CLineEditDlg::kReturnError:
        target = kTargetError;
        break;
    default:
        break;
    }
}
}

CLineEditDlg::CLineEditDlg(wxWindow* parent) : CExchangeDialog(parent, IDD_LINE_EDIT, "Edit current line...")
{
    const int gap = FromDIP(7);
    const int inner = FromDIP(5);

    auto* function = new wxStaticBoxSizer(wxHORIZONTAL, this, "Edit function");
    wxWindow* functionBox = function->GetStaticBox();
    function->Add(AtLeast(new wxChoice(functionBox, IDC_LINE_FUNCTION_SCOPE, wxDefaultPosition, wxDefaultSize,
                                       ScopeChoices()),
                          this, 75),
                  0, wxALIGN_CENTER_VERTICAL | wxALL, inner);
    auto* functions = new wxChoice(functionBox, IDC_LINE_FUNCTION);
    functions->SetMinSize(wxSize(ConvertDialogToPixels(wxSize(169, 0)).x, -1));
    function->Add(functions, 1, wxALIGN_CENTER_VERTICAL | wxTOP | wxBOTTOM, inner);
    function->Add(AtLeast(new wxButton(functionBox, IDC_LINE_PARAMETERS, "Parameters"), this, 50), 0,
                  wxALIGN_CENTER_VERTICAL | wxALL, inner);

    auto* next = new wxStaticBoxSizer(wxVERTICAL, this, "Next instruction");
    wxWindow* nextBox = next->GetStaticBox();
    auto* rows = new wxFlexGridSizer(3, inner, inner);
    rows->AddGrowableCol(0);
    rows->Add(new wxStaticText(nextBox, wxID_ANY, kSuccessLabel), 0, wxALIGN_CENTER_VERTICAL);
    rows->Add(AtLeast(new wxChoice(nextBox, IDC_LINE_SUCCESS_CHOICE, wxDefaultPosition, wxDefaultSize, RowChoices()),
                      this, 67),
              0, wxALIGN_CENTER_VERTICAL);
    rows->Add(AtLeast(new wxTextCtrl(nextBox, IDC_LINE_SUCCESS_LINE), this, 40), 0, wxALIGN_CENTER_VERTICAL);
    rows->Add(new wxStaticText(nextBox, wxID_ANY, kFailureLabel), 0, wxALIGN_CENTER_VERTICAL);
    rows->Add(AtLeast(new wxChoice(nextBox, IDC_LINE_FAILURE_CHOICE, wxDefaultPosition, wxDefaultSize, RowChoices()),
                      this, 67),
              0, wxALIGN_CENTER_VERTICAL);
    rows->Add(AtLeast(new wxTextCtrl(nextBox, IDC_LINE_FAILURE_LINE), this, 40), 0, wxALIGN_CENTER_VERTICAL);
    next->Add(rows, 0, wxEXPAND | wxALL, inner);
    auto* note = new wxStaticText(nextBox, wxID_ANY, kNoteText);
    next->Add(note, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, inner);

    auto* expert = new wxStaticBoxSizer(wxHORIZONTAL, this, "Expert Edit");
    wxWindow* expertBox = expert->GetStaticBox();
    auto* expertNote = new wxStaticText(expertBox, wxID_ANY, kExpertNote);
    expertNote->Wrap(ConvertDialogToPixels(wxSize(187, 0)).x);
    expert->Add(expertNote, 0, wxALIGN_CENTER_VERTICAL | wxALL, inner);
    expert->AddStretchSpacer();
    expert->Add(AtLeast(new wxButton(expertBox, IDC_LINE_EXPERT_EDIT, "Expert Edit"), this, 50), 0,
                wxALIGN_CENTER_VERTICAL | wxALL, inner);
    expert->AddStretchSpacer();

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* ok = AtLeast(new wxButton(this, wxID_OK, "OK"), this, 50);
    ok->SetDefault();
    buttons->Add(ok, 0, wxRIGHT, gap);
    buttons->Add(AtLeast(new wxButton(this, wxID_CANCEL, "Cancel"), this, 50));

    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(function, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, gap);
    outer->Add(next, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, gap);
    outer->Add(expert, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, gap);
    outer->Add(buttons, 0, wxALIGN_RIGHT | wxALL, gap);

    // The note wraps to the width that the rows above it need, but never narrower than the
    // template's note.
    const int rowsWidth = rows->CalcMin().x;
    note->Wrap(std::max(rowsWidth, ConvertDialogToPixels(wxSize(318, 0)).x));
    SetSizerAndFit(outer);

    Bind(wxEVT_CHOICE, &CLineEditDlg::OnSuccessChoice, this, IDC_LINE_SUCCESS_CHOICE);
    Bind(wxEVT_CHOICE, &CLineEditDlg::OnFailureChoice, this, IDC_LINE_FAILURE_CHOICE);
    Bind(wxEVT_CHOICE, &CLineEditDlg::OnScopeChoice, this, IDC_LINE_FUNCTION_SCOPE);
    Bind(wxEVT_CHOICE, &CLineEditDlg::OnFunctionChoice, this, IDC_LINE_FUNCTION);
    Bind(wxEVT_BUTTON, &CLineEditDlg::OnExpertEdit, this, IDC_LINE_EXPERT_EDIT);
    Bind(wxEVT_BUTTON, &CLineEditDlg::OnExpertEdit, this, IDC_LINE_PARAMETERS);
    Bind(wxEVT_BUTTON, &CLineEditDlg::OnOK, this, wxID_OK);
    CentreOnParent();
}

void CLineEditDlg::SetInstruction(const CBhavInstruction& instruction, const CPlainTextRenderer& renderer)
{
    m_instruction = instruction;
    m_renderer = &renderer;
}

void CLineEditDlg::SetScriptNames(const CNeededFiles& files)
{
    m_files = &files;
}

int CLineEditDlg::ScopeOf(std::uint16_t opcode)
{
    if (opcode < kFirstGlobalScript)
        return kScopePrimitive;
    if (opcode < kFirstPrivateScript)
        return kScopeGlobal;
    if (opcode < kFirstSemiGlobalScript)
        return kScopePrivate;
    return kScopeSemiGlobal;
}

void CLineEditDlg::DoDataExchange(CDataExchange& dx)
{
    dx.Byte(IDC_LINE_FAILURE_LINE, m_failureLine);
    dx.MinMax(IDC_LINE_FAILURE_LINE, m_failureLine, 1, 254);
    dx.Selection(IDC_LINE_FAILURE_CHOICE, m_failureChoice);
    dx.Selection(IDC_LINE_FUNCTION_SCOPE, m_scopeChoice);
    dx.Byte(IDC_LINE_SUCCESS_LINE, m_successLine);
    dx.Selection(IDC_LINE_SUCCESS_CHOICE, m_successChoice);
}

void CLineEditDlg::OnInitDialog()
{
    CExchangeDialog::OnInitDialog();
    UpdateData(true);
    PresetRows();
    PresetFunction();
    UpdateData(false);
    FillFunctions();
    EnableLineFields();
}

void CLineEditDlg::PresetRows()
{
    PresetRow(m_instruction.trueTarget, m_successChoice, m_successLine);
    PresetRow(m_instruction.falseTarget, m_failureChoice, m_failureLine);
}

void CLineEditDlg::PresetFunction()
{
    m_scopeChoice = ScopeOf(m_instruction.opcode);
}

void CLineEditDlg::FillFunctions()
{
    auto* combo = wxDynamicCast(FindWindow(IDC_LINE_FUNCTION), wxChoice);
    if (combo == nullptr)
        return;
    m_functionOpcodes.clear();
    wxArrayString texts;
    auto add = [&](std::uint16_t opcode, const std::string& name) {
        m_functionOpcodes.push_back(opcode);
        texts.Add(GameText(name) + wxString::Format(" (%u)", static_cast<unsigned>(opcode)));
    };

    if (m_renderer != nullptr && m_scopeChoice == kScopePrimitive)
    {
        for (std::uint16_t opcode = 0; opcode <= kLastNamedPrimitive; ++opcode)
            add(opcode, m_renderer->PrimitiveName(opcode));
    }
    else if (m_renderer != nullptr && m_files != nullptr && m_scopeChoice > kScopePrimitive)
    {
        const std::uint16_t first = m_scopeChoice == kScopeGlobal    ? kFirstGlobalScript
                                    : m_scopeChoice == kScopePrivate ? kFirstPrivateScript
                                                                     : kFirstSemiGlobalScript;
        const std::uint16_t last = m_scopeChoice == kScopeGlobal    ? kFirstPrivateScript - 1
                                   : m_scopeChoice == kScopePrivate ? kFirstSemiGlobalScript - 1
                                                                    : 0xFFFF;
        std::set<std::uint16_t> ids;
        for (const CFileScriptNames& file : m_files->Index())
        {
            for (const CScriptNameEntry& script : file.scripts)
            {
                if (script.id >= first && script.id <= last)
                    ids.insert(script.id);
            }
        }
        // The renderer decides which file each scope means and which entry names an id, so the
        // list offers exactly the names that the descriptions will show.
        for (const std::uint16_t id : ids)
        {
            const std::string named = m_renderer->CallTargetName(id);
            const std::size_t colon = named.find(": ");
            if (!named.empty() && colon != std::string::npos)
                add(id, named.substr(colon + 2));
        }
    }

    combo->Set(texts);
    const auto found = std::find(m_functionOpcodes.begin(), m_functionOpcodes.end(), m_instruction.opcode);
    combo->SetSelection(found != m_functionOpcodes.end() ? static_cast<int>(found - m_functionOpcodes.begin())
                                                         : wxNOT_FOUND);
}

void CLineEditDlg::EnableLineFields()
{
    if (wxWindow* field = FindWindow(IDC_LINE_SUCCESS_LINE))
        field->Enable(m_successChoice == kGoTo);
    if (wxWindow* field = FindWindow(IDC_LINE_FAILURE_LINE))
        field->Enable(m_failureChoice == kGoTo);
}

void CLineEditDlg::RunExpertEdit()
{
    if (m_renderer == nullptr)
        return;
    CExpertLineDlg expert(this);
    expert.SetInstruction(m_instruction, *m_renderer);
    if (Ui().RunModal(expert) != wxID_OK)
        return;
    m_instruction = expert.Instruction();
    // The rows show the new targets, so that OK stores what Expert Edit set.
    PresetRows();
    PresetFunction();
    UpdateData(false);
    FillFunctions();
    EnableLineFields();
}

void CLineEditDlg::OnSuccessChoice(wxCommandEvent&)
{
    // A failed check has shown its message; the field follows the last choice that was read.
    UpdateData(true);
    EnableLineFields();
}

void CLineEditDlg::OnFailureChoice(wxCommandEvent&)
{
    UpdateData(true);
    EnableLineFields();
}

void CLineEditDlg::OnScopeChoice(wxCommandEvent&)
{
    if (auto* scopes = wxDynamicCast(FindWindow(IDC_LINE_FUNCTION_SCOPE), wxChoice))
        m_scopeChoice = scopes->GetSelection();
    FillFunctions();
}

void CLineEditDlg::OnFunctionChoice(wxCommandEvent&)
{
    auto* functions = wxDynamicCast(FindWindow(IDC_LINE_FUNCTION), wxChoice);
    const int entry = functions != nullptr ? functions->GetSelection() : wxNOT_FOUND;
    if (entry >= 0 && static_cast<std::size_t>(entry) < m_functionOpcodes.size())
        m_instruction.opcode = m_functionOpcodes[static_cast<std::size_t>(entry)];
}

void CLineEditDlg::OnExpertEdit(wxCommandEvent&)
{
    RunExpertEdit();
}

void CLineEditDlg::OnOK(wxCommandEvent&)
{
    if (!UpdateData(true))
        return;
    StoreRow(m_successChoice, m_successLine, m_instruction.trueTarget);
    StoreRow(m_failureChoice, m_failureLine, m_instruction.falseTarget);
    EndModal(wxID_OK);
}
