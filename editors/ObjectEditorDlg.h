#pragma once

#include "framework/ExchangeDialog.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CIffFile;
class CNeededFiles;
class CObjectDefinition;
class CObjectFunctions;
class wxComboBox;
class wxListCtrl;
class wxListEvent;
class wxStaticText;
class wxTextCtrl;

/// "Object": one object's definition and, when it has one, its function table. Identity and
/// catalog fields by name, the entry points (every script field and the check and action of every
/// function) with the script each names and where it lives, and every field by its offset. Every
/// change goes straight into the records handed in; the caller keeps them on OK and drops them on
/// Cancel. A value that does not fit its field is refused there on OK.
class CObjectEditorDlg : public CExchangeDialog
{
public:
    explicit CObjectEditorDlg(wxWindow* parent = nullptr);

    /// The records, the file they are in as it now stands (for its scripts and the GUIDs of its
    /// other objects), the loaded files (for script names and GUIDs) and the semi-global name.
    /// `functions` is null for an object without a function table.
    void SetObject(CObjectDefinition& object, CObjectFunctions* functions, const CIffFile& file,
                   const CNeededFiles& files, const std::string& semiGlobalName);

    /// Opens a script of the file from an entry point; returns why it did not open, or an empty text.
    using CScriptOpener = std::function<wxString(std::uint16_t id, wxWindow& over)>;
    void SetScriptOpener(CScriptOpener opener) { m_openScript = std::move(opener); }

    wxListCtrl* EntryPoints() const { return m_entries; }
    wxListCtrl* Fields() const { return m_fields; }

protected:
    void DoDataExchange(CDataExchange& dx) override;
    void OnInitDialog() override;

private:
    /// One row of the entry points: an `OBJD` script field, or the check or action of a function.
    struct CEntryRow
    {
        bool function = false;
        std::uint16_t offset = 0;  // the script field
        std::size_t index = 0;     // the function
        bool check = false;        // the function's check (else its action)
    };

    void FillEntryPoints();
    void ShowEntryRow(long item);
    void FillFields();
    void ShowFieldRow(long item);
    std::uint16_t EntryId(const CEntryRow& row) const;
    void SetEntryId(const CEntryRow& row, std::uint16_t id);
    long SelectedRow(const wxListCtrl* list) const;
    /// Shows a field's value wherever it stands, after one place changed it.
    void ShowValue(std::uint16_t offset);

    void OnNamedField(wxCommandEvent& event);
    void OnNewGuid(wxCommandEvent& event);
    void OnEntrySelected(wxListEvent& event);
    void OnEntryId(wxCommandEvent& event);
    void OnEntryPicked(wxCommandEvent& event);
    void OnOpenScript(wxCommandEvent& event);
    void OnEntryActivated(wxListEvent& event);
    void OnFieldSelected(wxListEvent& event);
    void OnFieldValue(wxCommandEvent& event);

    CObjectDefinition* m_object = nullptr;
    CObjectFunctions* m_functions = nullptr;
    const CIffFile* m_file = nullptr;
    const CNeededFiles* m_files = nullptr;
    std::string m_semiGlobalName;
    CScriptOpener m_openScript;

    /// The identity and catalog fields: their offsets, in the order of their controls' ids.
    std::vector<std::uint16_t> m_namedOffsets;
    std::vector<CEntryRow> m_entryRows;
    std::vector<std::uint16_t> m_fieldOffsets;
    std::vector<std::uint16_t> m_scriptIds;  // the file's scripts, in the order of the picker

    wxTextCtrl* m_name = nullptr;
    wxStaticText* m_version = nullptr;
    wxListCtrl* m_entries = nullptr;
    wxTextCtrl* m_entryId = nullptr;
    wxComboBox* m_entryPick = nullptr;
    wxListCtrl* m_fields = nullptr;
    wxTextCtrl* m_fieldValue = nullptr;
};
