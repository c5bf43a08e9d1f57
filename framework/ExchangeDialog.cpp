#include "ExchangeDialog.h"

#include <wx/button.h>
#include <wx/textctrl.h>

#include <vector>

bool CExchangeDialog::UpdateData(bool reading)
{
    CDataExchange dx(this, reading);
    ++(reading ? m_readDepth : m_writeDepth);
    DoDataExchange(dx);
    --(reading ? m_readDepth : m_writeDepth);
    m_lastFailedField = dx.FailedField();
    return !dx.Failed();
}

bool CExchangeDialog::ReadQuietly()
{
    CDataExchange dx(this, true, true);
    DoDataExchange(dx);
    return !dx.Failed();
}

void CExchangeDialog::DoDataExchange(CDataExchange&)
{
}

void CExchangeDialog::OnInitDialog()
{
    UpdateData(false);
}

void CExchangeDialog::BindInit()
{
    if (m_initBound)
        return;
    m_initBound = true;
    Bind(wxEVT_INIT_DIALOG, &CExchangeDialog::OnInitDialogEvent, this);
    Bind(wxEVT_CHAR_HOOK, &CExchangeDialog::OnOkKey, this);
}

void CExchangeDialog::OnOkKey(wxKeyEvent& event)
{
    // Ctrl+Enter is OK from any control, a multi-line field or a list that takes Enter itself too.
    const int key = event.GetKeyCode();
    auto* ok = wxDynamicCast(FindWindow(wxID_OK), wxButton);
    if (event.GetModifiers() == wxMOD_CONTROL && (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && ok != nullptr &&
        ok->IsEnabled())
    {
        wxCommandEvent click(wxEVT_BUTTON, wxID_OK);
        click.SetEventObject(ok);
        ok->GetEventHandler()->ProcessEvent(click);
        return;
    }
    event.Skip();
}

void CExchangeDialog::OnInitDialogEvent(wxInitDialogEvent&)
{
    OnInitDialog();
    UpdateWindowUI(wxUPDATE_UI_RECURSE);
    // Enter is OK wherever no other button was made the default.
    if (GetDefaultItem() == nullptr)
        if (auto* ok = wxDynamicCast(FindWindow(wxID_OK), wxButton))
            ok->SetDefault();
    // Every edit field is checked when the user leaves it for another control of the dialog.
    std::vector<wxWindow*> pending(GetChildren().begin(), GetChildren().end());
    while (!pending.empty())
    {
        wxWindow* child = pending.back();
        pending.pop_back();
        if (auto* field = wxDynamicCast(child, wxTextCtrl); field != nullptr && field->IsEditable())
            field->Bind(wxEVT_KILL_FOCUS, &CExchangeDialog::OnFieldLeft, this);
        pending.insert(pending.end(), child->GetChildren().begin(), child->GetChildren().end());
    }
}

void CExchangeDialog::OnFieldLeft(wxFocusEvent& event)
{
    event.Skip();
    // Leaving for Cancel, or for another window (a message box, another program), checks nothing:
    // the user is abandoning the edit or has not finished it.
    wxWindow* next = event.GetWindow();
    if (next == nullptr || wxGetTopLevelParent(next) != this || next->GetId() == wxID_CANCEL || IsWritingFields() ||
        !IsModal())
        return;
    // A failed check moves the focus to its field itself; that move checks nothing again.
    if (m_readDepth > 0 || (m_lastFailedField != 0 && next->GetId() == m_lastFailedField))
        return;
    UpdateData(true);
}
