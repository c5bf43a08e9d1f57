#pragma once

#include "DataExchange.h"

#include <wx/dialog.h>

#include <functional>

/// A dialog whose controls are exchanged with its members by one DoDataExchange. Showing it writes
/// the members into the controls (OnInitDialog); OK reads them back and closes only when every
/// check passed. Writing never starts a change handler: the controls are written without change
/// events, and a handler that could still be reached asks IsWritingFields(). Enter presses OK
/// unless another button is the default, Ctrl+Enter presses it from anywhere, Escape is Cancel.
class CExchangeDialog : public wxDialog
{
public:
    CExchangeDialog() = default;
    CExchangeDialog(wxWindow* parent, wxWindowID id, const wxString& title,
                    long style = wxDEFAULT_DIALOG_STYLE)
        : wxDialog(parent, id, title, wxDefaultPosition, wxDefaultSize, style)
    {
        BindInit();
    }

    bool Create(wxWindow* parent, wxWindowID id, const wxString& title, long style = wxDEFAULT_DIALOG_STYLE)
    {
        BindInit();
        return wxDialog::Create(parent, id, title, wxDefaultPosition, wxDefaultSize, style);
    }

    /// Reads the controls into the members (`reading` true) or writes the members into the
    /// controls. False when a check failed: its message has been shown and reading stopped there.
    bool UpdateData(bool reading = true);
    /// Reads the controls into the members as UpdateData(true) does, but a failed check shows no
    /// message: for change handlers, which run at every key. The check speaks when the user leaves
    /// the field or presses OK.
    bool ReadQuietly();
    /// True while UpdateData(false) puts the members into the controls.
    bool IsWritingFields() const { return m_writeDepth > 0; }

    /// Runs when OK has read every field, before the dialog closes. Returning false keeps the
    /// dialog open with everything the user changed; the hook has told the user why.
    void SetCommit(std::function<bool()> commit) { m_commit = std::move(commit); }

    bool TransferDataToWindow() override { return UpdateData(false); }
    bool TransferDataFromWindow() override { return UpdateData(true) && (!m_commit || m_commit()); }

protected:
    /// The dialog's fields in their fixed order.
    virtual void DoDataExchange(CDataExchange& dx);
    /// Runs once when the dialog is shown; the default writes the members into the controls.
    virtual void OnInitDialog();
    using wxDialog::OnInitDialog;

private:
    void BindInit();
    void OnInitDialogEvent(wxInitDialogEvent& event);
    void OnFieldLeft(wxFocusEvent& event);
    void OnOkKey(wxKeyEvent& event);

    std::function<bool()> m_commit;
    int m_writeDepth = 0;
    int m_readDepth = 0;
    int m_lastFailedField = 0;
    bool m_initBound = false;
};
