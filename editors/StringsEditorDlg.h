#pragma once

#include "framework/ExchangeDialog.h"

class CStringTable;
class wxChoice;
class wxListCtrl;
class wxListEvent;
class wxTextCtrl;

/// "SimAntics Strings Editor": one string table, a line per string (plain table) or per row in the
/// chosen language (language table), with the selected line's string and description in two edits.
/// Every change goes straight into the table handed in; the caller keeps it on OK and drops it on
/// Cancel.
class CStringsEditorDlg : public CExchangeDialog
{
public:
    explicit CStringsEditorDlg(CStringTable& table, wxWindow* parent = nullptr);

    /// What the list shows when a line's index is not in the table.
    static constexpr const char* kMissingStringMessage = "Can't find string!";

protected:
    void DoDataExchange(CDataExchange& dx) override;
    void OnInitDialog() override;

private:
    bool IsPlain() const;
    /// The number of strings (plain table) or rows (language table).
    std::size_t LineCount() const;
    /// The selected list item; -1 when none is selected.
    long SelectedItem() const;
    void RefillList();
    /// Puts the selected line's texts into the edits.
    void ShowSelectedLine();
    void ClearTexts();

    void OnSelectionChanged(wxListEvent& event);
    void OnLanguageChanged(wxCommandEvent& event);
    void OnStringChanged(wxCommandEvent& event);
    void OnDescriptionChanged(wxCommandEvent& event);
    void OnAdd(wxCommandEvent& event);
    void OnDelete(wxCommandEvent& event);

    CStringTable& m_table;
    int m_language = 0;
    wxString m_string;
    wxString m_description;
    bool m_filling = false;

    wxListCtrl* m_list = nullptr;
    wxChoice* m_languages = nullptr;
    wxTextCtrl* m_stringField = nullptr;
    wxTextCtrl* m_descriptionField = nullptr;
};
