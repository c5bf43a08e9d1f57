#pragma once

#include "framework/ExchangeDialog.h"

#include <wx/font.h>

#include <cstddef>
#include <cstdint>
#include <functional>

class CInteractionTable;
class CStringTable;
struct CInteraction;
struct CMotiveEntry;
class wxChoice;
class wxListBox;
class wxListCtrl;
class wxListEvent;
class wxSizer;
class wxTextCtrl;

/// "Interaction editor...": an object's interactions listed by name in one language, and for the
/// selected one its trees, availability flags, attenuation, autonomy threshold and the
/// advertisements of nine motives. It works on the interaction table and the `TTAs` name table of
/// the same id: every change is written into them at once and the dialog refreshed; the caller
/// stores both on OK and drops both on Cancel.
class CInteractionsDlg : public CExchangeDialog
{
public:
    explicit CInteractionsDlg(wxWindow* parent = nullptr);

    /// Hands in the two tables; without them the dialog refuses to run.
    void SetTables(CInteractionTable& interactions, CStringTable& names);
    int ShowModal() override;
    /// Selects interaction `position` of the table when the dialog opens, instead of the first; one
    /// the list does not show (no such interaction, or no name) leaves the first selected.
    void SetInitialInteraction(int position) { m_initialInteraction = position; }

    /// Rebuilds the list from the tables and shows the selected interaction. Does nothing while a
    /// refresh runs, so that the controls it writes cannot start another.
#if defined(__GNUC__)
    // The dialog's refresh of its contents keeps its name; a repaint is still wxWindow::Refresh.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Woverloaded-virtual"
#endif
    void Refresh();
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

    static constexpr const char* kNotSetMessage = "Programmer's error while calling CInteractionsDlg::OnInitDialog()!";
    static constexpr const char* kDeleteQuestion = "Are you sure you want to delete the selected item?";
    static constexpr const char* kNewInteractionName = "New Interaction";

protected:
    void DoDataExchange(CDataExchange& dx) override;
    void OnInitDialog() override;

private:
    /// `readFields` false: a read has just failed and shown its message; the fields are not read
    /// again. The two selections are always taken.
    void DoRefresh(bool readFields);
    static constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);
    /// The interaction of the selected list entry; nullptr when none is selected.
    const CInteraction* SelectedInteraction() const;
    /// The table position of the interaction that list entry `entry` stands for; kNoPosition when
    /// there is no such entry.
    std::size_t PositionOfEntry(int entry) const;
    /// The list entry of the table's interaction `position`; 0 when the list does not show it.
    int EntryOfInteraction(int position) const;
    /// The interaction that list entry `entry` stands for; nullptr when there is no such entry.
    const CInteraction* InteractionOfEntry(int entry) const;
    /// The motive slot of the selected motive row; -1 when no row is selected.
    int SelectedMotiveSlot() const;
    int Language() const;
    void FillMembers(const CInteraction& interaction, bool selected);
    void FillMotiveMembers(const CInteraction& interaction);
    void SetMotiveTexts(const CInteraction& interaction);

    /// Reads the fields and, when they all passed their checks, applies `change` to the selected
    /// interaction; then refreshes.
    void StoreChange(const std::function<void(CInteraction&)>& change);
    /// StoreChange for a change typed into `id`: what the user is typing stays as typed while it
    /// stands for the value now stored, so that "0." can go on to "0.5".
    void StoreTyped(int id, const std::function<void(CInteraction&)>& change);
    /// A change of the selected motive row's slot; dropped when no row is selected or the
    /// interaction has no entry in that slot.
    std::function<void(CInteraction&)> MotiveChange(std::function<void(CMotiveEntry&)> change);
    bool IgnoresEvents() const;

    void OnSelectionChanged(wxCommandEvent& event);
    void OnMotiveChanged(wxListEvent& event);
    void OnNameChanged(wxCommandEvent& event);
    void OnActionTreeChanged(wxCommandEvent& event);
    void OnCheckTreeChanged(wxCommandEvent& event);
    void OnFlagClicked(wxCommandEvent& event);
    void OnAttenuationChanged(wxCommandEvent& event);
    void OnAttenuationValueChanged(wxCommandEvent& event);
    void OnAutonomyChanged(wxCommandEvent& event);
    void OnFlags2Changed(wxCommandEvent& event);
    void OnMinimumChanged(wxCommandEvent& event);
    void OnMaximumChanged(wxCommandEvent& event);
    void OnVaryByChanged(wxCommandEvent& event);
    void OnAdd(wxCommandEvent& event);
    void OnDelete(wxCommandEvent& event);

    bool m_tablesSet = false;
    bool m_refreshing = false;
    CInteractionTable* m_interactions = nullptr;
    CStringTable* m_names = nullptr;

    int m_selectedEntry = -1;
    int m_initialInteraction = -1;
    int m_language = -1;
    wxString m_name;
    std::uint32_t m_actionTree = 0;
    std::uint32_t m_checkTree = 0;
    int m_visitors = 0;
    int m_children = 0;
    int m_adults = 0;
    int m_consecutive = 0;
    int m_autoFirst = 0;
    int m_attenuationPreset = -1;
    float m_attenuationValue = 0.0f;
    std::uint32_t m_autonomyThreshold = 0;
    std::uint32_t m_flags2 = 0;
    std::int16_t m_minimum = 0;
    std::int16_t m_maximum = 0;
    int m_varyBy = -1;

    wxChoice* m_languages = nullptr;
    wxListBox* m_items = nullptr;
    wxFont m_baseFont;
    wxTextCtrl* m_attenuationField = nullptr;
    wxListCtrl* m_motives = nullptr;
    wxSizer* m_flags2Row = nullptr;
};
