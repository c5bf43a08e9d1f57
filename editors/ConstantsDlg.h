#pragma once

#include "framework/ExchangeDialog.h"

#include <cstdint>

class CConstantTable;
class wxListCtrl;
class wxListEvent;
class wxTextCtrl;

/// "Constants": the constants of one table listed with their numbers; the selected one is edited
/// in a field, and constants can be added and deleted. Every change goes straight into the table
/// handed in; the caller keeps it on OK and drops it on Cancel.
class CConstantsDlg : public CExchangeDialog
{
public:
    explicit CConstantsDlg(wxWindow* parent = nullptr);

    void SetTable(CConstantTable& table);

    /// The message "&Add" shows instead of growing a full table.
    static constexpr const char* kTableFullMessage = "A constant table holds at most 255 constants.";

protected:
    void DoDataExchange(CDataExchange& dx) override;
    void OnInitDialog() override;

private:
    void FillList();
    /// The number of the selected constant; -1 when no line is selected or it is not in the table.
    int SelectedConstant() const;

    void OnSelectionChanged(wxListEvent& event);
    void OnValueChanged(wxCommandEvent& event);
    void OnAdd(wxCommandEvent& event);
    void OnDelete(wxCommandEvent& event);

    CConstantTable* m_table = nullptr;
    std::int16_t m_value = 0;
    wxListCtrl* m_list = nullptr;
    wxTextCtrl* m_valueField = nullptr;
};
