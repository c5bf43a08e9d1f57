#pragma once

#include <wx/docview.h>
#include <wx/panel.h>
#include <wx/weakref.h>

#include <cstdint>
#include <string>

struct CRecordFault;

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
    wxListBox* ScriptList() const { return m_scripts; }
    wxListBox* StringList() const { return m_strings; }
    wxListBox* InteractionList() const { return m_interactions; }
    wxListBox* ConstantList() const { return m_constants; }
    wxTextCtrl* SemiGlobalField() const { return m_semiGlobal; }

    // Where the record editing begins: each loads the record of that id from the document's
    // container, runs its editor and stores it back when the editor ends with OK. A record that
    // does not load opens no editor and says why in the status bar; one that cannot be stored
    // keeps its editor open.
    void EditScript(std::uint16_t id);
    void EditStrings(std::uint16_t id);
    void EditInteractions(std::uint16_t id);
    void EditConstants(std::uint16_t id);

private:
    void CreateForm(wxWindow* parent);
    void ShowStatus(const wxString& text) const;
    /// Puts why a record does not open into the status bar.
    void ShowRefusal(std::uint32_t type, std::uint16_t id, const std::string& name, const CRecordFault& fault) const;
    void FillList(wxListBox* list, std::uint32_t type);
    /// Takes the edit field's text into the document's semi-global name.
    void TakeSemiGlobalName();
    /// The id of the list's selected entry; false when none is selected.
    bool SelectedId(const wxListBox* list, std::uint16_t& id) const;

    void OnScriptsDoubleClick(wxCommandEvent& event);
    void OnStringsDoubleClick(wxCommandEvent& event);
    void OnInteractionsDoubleClick(wxCommandEvent& event);
    void OnConstantsDoubleClick(wxCommandEvent& event);
    void OnSemiGlobalChanged(wxCommandEvent& event);

    // The frame may destroy the form before the view closes, when the program ends.
    wxWeakRef<wxPanel> m_form;
    wxListBox* m_constants = nullptr;
    wxListBox* m_interactions = nullptr;
    wxListBox* m_strings = nullptr;
    wxListBox* m_scripts = nullptr;
    wxTextCtrl* m_semiGlobal = nullptr;
    bool m_writingFields = false;

    wxDECLARE_DYNAMIC_CLASS(CTreewrightView);
};
