#pragma once

#include "framework/ExchangeDialog.h"

class CStringTable;
class wxChoice;
class wxListCtrl;
class wxListEvent;
class wxStaticText;
class wxTextCtrl;

/// "SimAntics Strings Editor": one string table, a line per string (plain table) or per row in the
/// chosen language (language table), with the selected line's string and description in two edits.
/// Every change goes straight into the table handed in; the caller keeps it on OK and drops it on
/// Cancel. A language table's texts are shown and typed in each language's code page; typed text
/// that the code page cannot hold is not stored, and OK is refused while such text stands.
class CStringsEditorDlg : public CExchangeDialog
{
public:
    explicit CStringsEditorDlg(CStringTable& table, wxWindow* parent = nullptr);

    /// What the list shows when a line's index is not in the table.
    static constexpr const char* kMissingStringMessage = "Can't find string!";

    bool TransferDataFromWindow() override;

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
    /// The language slot shown (0 for a plain table).
    int Language() const;
    /// Stored bytes as the list and the edits show them.
    wxString Shown(const std::string& bytes) const;
    /// Takes the edit's text into line `index` (its description when `description`) and mirrors
    /// what is stored in the list's column and in the edit; a refused text stays in the edit,
    /// unstored, with the refusal shown below.
    void TakeText(wxTextCtrl& field, wxString& text, std::size_t index, bool description, long item,
                  wxString& refusal);
    /// Shows the first pending refusal, or nothing.
    void ShowRefusal();
    void UseLanguageFont();

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
    // Why the edit's text is not stored, per edit; empty while it is.
    wxString m_stringRefusal;
    wxString m_descriptionRefusal;
    wxString m_shownRefusal;
    wxFont m_baseFont;

    wxListCtrl* m_list = nullptr;
    wxChoice* m_languages = nullptr;
    wxTextCtrl* m_stringField = nullptr;
    wxTextCtrl* m_descriptionField = nullptr;
    wxStaticText* m_refusal = nullptr;
};
