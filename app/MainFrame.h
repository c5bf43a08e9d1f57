#pragma once

#include <wx/docview.h>
#include <wx/weakref.h>

#include <array>

class CComparisonFrame;
class CProblemsFrame;
class CTreewrightDoc;
class CTreewrightDocManager;
class wxMenu;

/// The main window: menus, accelerators, toolbar and status bar around the main view. Files
/// dropped onto it are opened as Open opens them.
class CMainFrame : public wxDocParentFrame
{
public:
    CMainFrame(CTreewrightDocManager* manager, const wxString& title);

    /// Rebuilds the recently used files in the File menu.
    void RefreshRecentFiles();
    /// Opens a file handed to the window (dropped onto it); asks about unsaved changes first.
    void OpenDroppedFile(const wxString& path);
    /// Sizes the window around the main view's form.
    void FitToForm();
    /// The Problems window, when it is open.
    CProblemsFrame* ProblemsWindow() const { return m_problems.get(); }
    /// The window of the differences from another file, when it is open.
    CComparisonFrame* ComparisonWindow() const { return m_comparison.get(); }

private:
    void CreateMenus();
    void CreateBars();
    void UpdateKeyIndicators();

    void OnFileNew(wxCommandEvent& event);
    void OnFileOpen(wxCommandEvent& event);
    void OnFileSave(wxCommandEvent& event);
    void OnFileSaveAs(wxCommandEvent& event);
    void OnRecentFile(wxCommandEvent& event);
    void OnGameDataFolder(wxCommandEvent& event);
    void OnExit(wxCommandEvent& event);
    CTreewrightDoc* Document() const;
    void OnUndo(wxCommandEvent& event);
    void OnRedo(wxCommandEvent& event);
    void OnUpdateUndo(wxUpdateUIEvent& event);
    void OnEditCommand(wxCommandEvent& event);
    void OnUpdateEditCommand(wxUpdateUIEvent& event);
    void OnUpdateNeedsDocument(wxUpdateUIEvent& event);
    void OnUpdateDisabled(wxUpdateUIEvent& event);
    void OnViewToolbar(wxCommandEvent& event);
    void OnViewStatusBar(wxCommandEvent& event);
    void OnUpdateViewToolbar(wxUpdateUIEvent& event);
    void OnUpdateViewStatusBar(wxUpdateUIEvent& event);
    void OnViewProblems(wxCommandEvent& event);
    void OnCompareWith(wxCommandEvent& event);
    void OnIdle(wxIdleEvent& event);
    void OnCharHook(wxKeyEvent& event);

    CTreewrightDocManager* m_manager;
    wxMenu* m_fileMenu = nullptr;
    /// The File menu's position of the first recent file (or of the "Recent File" placeholder).
    size_t m_recentPosition = 0;
    size_t m_recentCount = 0;
    std::array<bool, 3> m_keyStates{};
    bool m_keyStatesShown = false;
    wxWeakRef<CProblemsFrame> m_problems;
    wxWeakRef<CComparisonFrame> m_comparison;

    wxDECLARE_EVENT_TABLE();
};
