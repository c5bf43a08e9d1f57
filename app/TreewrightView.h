#pragma once

#include <wx/arrstr.h>
#include <wx/docview.h>
#include <wx/panel.h>
#include <wx/weakref.h>

#include "RecordEditController.h"
#include "RecordRefusalMarks.h"

#include "records/RecordEditing.h"
#include "records/RecordFault.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class CRecordNameDlg;
class CTreewrightDoc;
class wxListBox;
class wxTextCtrl;

/// The chunk id that a list entry of the main view carries as its item data.
std::uint16_t ChunkIdOf(const wxListBox& list, unsigned int item);

/// The one view of the main window: a form with the file's scripts, string tables, interaction
/// tables and constant tables in four sorted lists, and the name of the semi-global file in an
/// edit field. A double-click on an entry opens that record's editor.
class CTreewrightView : public wxView
{
public:
    CTreewrightView() = default;

    bool OnCreate(wxDocument* doc, long flags) override;
    void OnDraw(wxDC*) override {}
    /// Refills the lists and the semi-global field from the document.
    void OnUpdate(wxView* sender, wxObject* hint = nullptr) override;
    bool OnClose(bool deleteWindow = true) override;
    /// Titles the main window after the document, with a mark while it has unsaved changes.
    void OnChangeFilename() override;

    CTreewrightDoc* Document() const;
    wxPanel* Form() const { return m_form; }
    wxListBox* ScriptList() const { return ListOf(ERecordKind::Script); }
    wxListBox* StringList() const { return ListOf(ERecordKind::Strings); }
    wxListBox* InteractionList() const { return ListOf(ERecordKind::Interactions); }
    wxListBox* ConstantList() const { return ListOf(ERecordKind::Constants); }
    wxListBox* ObjectList() const { return ListOf(ERecordKind::Objects); }
    wxTextCtrl* SemiGlobalField() const { return m_semiGlobal; }
    /// The filter field above the list of `kind`.
    wxTextCtrl* FilterOf(ERecordKind kind) const;

    /// Where the record editing begins: loads the record of `kind` and `id` from the document's
    /// container, runs its editor and stores it back when the editor ends with OK. A record that
    /// does not load opens no editor and says why in the status bar; one that cannot be stored
    /// keeps its editor open. A script may open on one of its lines, an interaction table on one
    /// of its interactions (`place`, from 0).
    void EditRecord(ERecordKind kind, std::uint16_t id, int place = -1);

    // Record commands of the Edit menu, the lists' context menus and their keys (Insert, Delete,
    // F2, Ctrl+D). Each is one undoable step; the lists select the record made or renamed.
    void NewRecord(ERecordKind kind);
    void DuplicateSelectedRecord();
    void RenameSelectedRecord();
    void DeleteSelectedRecord();
    /// Puts a text into the status bar's first pane.
    void ShowStatus(const wxString& text) const;
    /// Selects the entry of `id` in the list of `kind` and makes that list the one in use; a
    /// filter that hides the entry is cleared.
    void SelectRecord(ERecordKind kind, std::uint16_t id);
    /// Puts the focus into the filter of the list in use, its text selected.
    void FocusFilter();
    /// Shows every place that refers to the selected script.
    void FindSelectedScriptReferences();
    /// The records of the lists that do not open, marked grey with their reasons.
    const CRecordRefusalMarks& RefusalMarks() const { return m_refusals; }

private:
    void CreateForm(wxWindow* parent);
    /// Empties every filter without refilling the lists: for another file, before the update.
    void ClearFilters();
    /// Runs the loader's dialog over the main window and hands what it loaded to the document.
    void LoadGlobalFiles();
    /// Tells in the status bar what the last open loaded.
    void ShowWhatWasLoaded() const;
    wxListBox* ListOf(ERecordKind kind) const;
    std::optional<ERecordKind> KindOf(const wxListBox* list) const;
    /// The list that had the focus last; the record commands act on its selected entry.
    wxListBox* ActiveList() const;
    /// A record as the lists show it.
    struct CListedRecord
    {
        ERecordKind kind;
        std::uint16_t id;
        std::string name;
    };
    /// The selected entry of the list in use, when its record is in the container.
    std::optional<CListedRecord> SelectedRecord() const;
    using TNamedChange = std::function<bool(CIffFile&, std::uint16_t id, const std::string& name)>;
    /// The record commands' one flow: the name dialog and, on its OK, the change with the id and
    /// name chosen as one step of the history, named `verb` and `stepId` (none: the id chosen);
    /// the record the change leaves is selected.
    void NameAndChange(CRecordNameDlg& dialog, const char* verb, ERecordKind kind,
                       std::optional<std::uint16_t> stepId, const TNamedChange& change);
    /// Fills the list of `kind` with the entries its filter lets through.
    void FillList(ERecordKind kind);
    std::optional<ERecordKind> KindOfFilter(int id) const;
    /// Takes the edit field's text into the document's semi-global name.
    void TakeSemiGlobalName();
    /// The id of the list's selected entry; false when none is selected.
    bool SelectedId(const wxListBox* list, std::uint16_t& id) const;

    void OnListDoubleClick(wxCommandEvent& event);
    void OnSemiGlobalChanged(wxCommandEvent& event);
    void OnSemiGlobalDone(wxFocusEvent& event);
    void OnListFocus(wxFocusEvent& event);
    void OnListEnter(wxKeyEvent& event);
    void OnListKey(wxKeyEvent& event);
    void OnListContextMenu(wxContextMenuEvent& event);
    void OnRecordCommand(wxCommandEvent& event);
    void OnUpdateRecordCommand(wxUpdateUIEvent& event);
    void OnFilterChanged(wxCommandEvent& event);
    void OnFilterKey(wxKeyEvent& event);
    void OnFilterFocus(wxFocusEvent& event);
    void OnFindCommand(wxCommandEvent& event);
    void OnUpdateFindCommand(wxUpdateUIEvent& event);

    // The frame may destroy the form before the view closes, when the program ends.
    wxWeakRef<wxPanel> m_form;
    /// Per kind, in the order of ERecordKind: the list and the filter above it.
    std::array<wxListBox*, std::size(kRecordKinds)> m_lists{};
    std::array<wxTextCtrl*, std::size(kRecordKinds)> m_filters{};
    wxTextCtrl* m_semiGlobal = nullptr;
    wxListBox* m_activeList = nullptr;
    /// Per kind, the id of the entry last chosen, kept while a filter hides it.
    std::array<std::optional<std::uint16_t>, std::size(kRecordKinds)> m_chosenIds;
    /// Per kind, what its list shows: its entries' texts and ids, as last filled.
    struct CListedEntries
    {
        wxArrayString texts;
        std::vector<void*> ids;
    };
    std::array<CListedEntries, std::size(kRecordKinds)> m_listed;
    bool m_writingFields = false;
    CRecordEditController m_editing;
    CRecordRefusalMarks m_refusals;
    std::string m_missingSemiGlobal;  // what the last open said of the semi-global file (UTF-8)

    wxDECLARE_DYNAMIC_CLASS(CTreewrightView);
};
