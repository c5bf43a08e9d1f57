#include "MainFrame.h"
#include "ComparisonFrame.h"
#include "ProblemsFrame.h"

#include "TreewrightDoc.h"
#include "TreewrightDocManager.h"
#include "TreewrightView.h"

#include "framework/GameDataFolder.h"
#include "framework/KeyIndicators.h"
#include "framework/UserInterface.h"
#include "loading/NeededFilesLoader.h"
#include "loading/ReadMessages.h"
#include "containers/ByteStream.h"
#include "resources/ResourceIds.h"
#include "resources/Strings.h"

#include <wx/cmdproc.h>
#include "resources/Strings.h"

#include <wx/accel.h>
#include <wx/artprov.h>
#include <wx/dnd.h>
#include <wx/filehistory.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

namespace
{
// Accepts files dropped onto the main window and opens the first, as Open would.
class CFileDropTarget : public wxFileDropTarget
{
public:
    explicit CFileDropTarget(CMainFrame* frame) : m_frame(frame) {}

    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override
    {
        if (files.empty())
            return false;
        // Opening runs modal dialogs (the loader, perhaps a question), which must not run inside
        // the toolkit's drop handling.
        const wxString path = files[0];
        CMainFrame* frame = m_frame;
        frame->CallAfter([frame, path] { frame->OpenDroppedFile(path); });
        return true;
    }

private:
    CMainFrame* m_frame;
};

wxTextEntry* FocusedTextEntry()
{
    return dynamic_cast<wxTextEntry*>(wxWindow::FindFocus());
}

wxString RecentFileLabel(size_t index, const wxString& path)
{
    wxString shown = path;
    // Ampersands would turn into mnemonics.
    shown.Replace("&", "&&");
    return wxString::Format("&%u %s", static_cast<unsigned>(index + 1), shown);
}
}

wxBEGIN_EVENT_TABLE(CMainFrame, wxDocParentFrame)
    EVT_MENU(ID_FILE_NEW, CMainFrame::OnFileNew)
    EVT_MENU(ID_FILE_OPEN, CMainFrame::OnFileOpen)
    EVT_MENU(ID_FILE_SAVE, CMainFrame::OnFileSave)
    EVT_MENU(ID_FILE_SAVE_AS, CMainFrame::OnFileSaveAs)
    EVT_MENU_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE1 + ID_FILE_MRU_COUNT - 1, CMainFrame::OnRecentFile)
    EVT_MENU(ID_FILE_GAME_DATA_FOLDER, CMainFrame::OnGameDataFolder)
    EVT_MENU(ID_APP_EXIT, CMainFrame::OnExit)
    EVT_MENU(ID_EDIT_UNDO, CMainFrame::OnUndo)
    EVT_MENU(ID_EDIT_REDO, CMainFrame::OnRedo)
    EVT_UPDATE_UI(ID_EDIT_UNDO, CMainFrame::OnUpdateUndo)
    EVT_UPDATE_UI(ID_EDIT_REDO, CMainFrame::OnUpdateUndo)
    EVT_MENU(ID_EDIT_CUT, CMainFrame::OnEditCommand)
    EVT_MENU(ID_EDIT_COPY, CMainFrame::OnEditCommand)
    EVT_MENU(ID_EDIT_PASTE, CMainFrame::OnEditCommand)
    EVT_UPDATE_UI(ID_EDIT_CUT, CMainFrame::OnUpdateEditCommand)
    EVT_UPDATE_UI(ID_EDIT_COPY, CMainFrame::OnUpdateEditCommand)
    EVT_UPDATE_UI(ID_EDIT_PASTE, CMainFrame::OnUpdateEditCommand)
    EVT_UPDATE_UI(ID_FILE_SAVE, CMainFrame::OnUpdateNeedsDocument)
    EVT_UPDATE_UI(ID_FILE_SAVE_AS, CMainFrame::OnUpdateNeedsDocument)
    EVT_UPDATE_UI(ID_FILE_PRINT, CMainFrame::OnUpdateDisabled)
    EVT_UPDATE_UI(ID_NEXT_PANE, CMainFrame::OnUpdateDisabled)
    EVT_UPDATE_UI(ID_PREV_PANE, CMainFrame::OnUpdateDisabled)
    EVT_MENU(ID_VIEW_TOOLBAR, CMainFrame::OnViewToolbar)
    EVT_MENU(ID_VIEW_STATUS_BAR, CMainFrame::OnViewStatusBar)
    EVT_UPDATE_UI(ID_VIEW_TOOLBAR, CMainFrame::OnUpdateViewToolbar)
    EVT_UPDATE_UI(ID_VIEW_STATUS_BAR, CMainFrame::OnUpdateViewStatusBar)
    EVT_MENU(ID_VIEW_PROBLEMS, CMainFrame::OnViewProblems)
    EVT_MENU(ID_FILE_COMPARE_WITH, CMainFrame::OnCompareWith)
    EVT_UPDATE_UI(ID_FILE_COMPARE_WITH, CMainFrame::OnUpdateNeedsDocument)
    EVT_UPDATE_UI(ID_VIEW_PROBLEMS, CMainFrame::OnUpdateNeedsDocument)
    EVT_IDLE(CMainFrame::OnIdle)
wxEND_EVENT_TABLE()

CMainFrame::CMainFrame(CTreewrightDocManager* manager, const wxString& title)
    : wxDocParentFrame(manager, nullptr, wxID_ANY, title), m_manager(manager)
{
    CreateMenus();
    CreateBars();

    // Keys beside those the menu items carry.
    wxAcceleratorEntry keys[] = {
        {wxACCEL_ALT, WXK_BACK, ID_EDIT_UNDO},      {wxACCEL_CTRL | wxACCEL_SHIFT, 'Z', ID_EDIT_REDO},
        {wxACCEL_SHIFT, WXK_DELETE, ID_EDIT_CUT},
        {wxACCEL_CTRL, WXK_INSERT, ID_EDIT_COPY},   {wxACCEL_SHIFT, WXK_INSERT, ID_EDIT_PASTE},
        {wxACCEL_NORMAL, WXK_F6, ID_NEXT_PANE},     {wxACCEL_SHIFT, WXK_F6, ID_PREV_PANE},
    };
    SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(std::size(keys)), keys));
    SetDropTarget(new CFileDropTarget(this));
    Bind(wxEVT_CHAR_HOOK, &CMainFrame::OnCharHook, this);
    m_manager->SetHistoryChangedHandler([this] { RefreshRecentFiles(); });
}

void CMainFrame::CreateMenus()
{
    m_fileMenu = new wxMenu;
    m_fileMenu->Append(ID_FILE_NEW, "&New\tCtrl+N", "Create a new document");
    m_fileMenu->Append(ID_FILE_OPEN, "&Open...\tCtrl+O", "Open an existing document");
    m_fileMenu->Append(ID_FILE_SAVE, "&Save\tCtrl+S", "Save the active document");
    m_fileMenu->Append(ID_FILE_SAVE_AS, "Save &As...", "Save the active document with a new name");
    m_fileMenu->Append(ID_FILE_COMPARE_WITH, "Compare &With...",
                       "List the records in which the open file and another version of it differ");
    m_fileMenu->AppendSeparator();
    m_fileMenu->Append(ID_FILE_GAME_DATA_FOLDER, "&Game Data Folder...",
                       "Choose the game's data folder, from which the global files are loaded");
    m_fileMenu->AppendSeparator();
    m_recentPosition = m_fileMenu->GetMenuItemCount();
    m_fileMenu->AppendSeparator();
    m_fileMenu->Append(ID_APP_EXIT, "E&xit", "Quit the application; prompts to save the document");
    RefreshRecentFiles();

    auto* editMenu = new wxMenu;
    editMenu->Append(ID_EDIT_UNDO, "&Undo\tCtrl+Z", "Undo the last action");
    editMenu->Append(ID_EDIT_REDO, "&Redo\tCtrl+Y", "Redo the previously undone action");
    editMenu->AppendSeparator();
    editMenu->Append(ID_EDIT_CUT, "Cu&t\tCtrl+X", "Cut the selection and put it on the Clipboard");
    editMenu->Append(ID_EDIT_COPY, "&Copy\tCtrl+C", "Copy the selection and put it on the Clipboard");
    editMenu->Append(ID_EDIT_PASTE, "&Paste\tCtrl+V", "Insert the Clipboard contents");
    // Record commands; Insert, Delete and F2 act in the lists themselves, where they do not take
    // those keys from the semi-global field.
    editMenu->AppendSeparator();
    editMenu->Append(ID_RECORD_NEW_SCRIPT, "New &Script...", "Create a behaviour script (Insert in the list)");
    editMenu->Append(ID_RECORD_NEW_STRINGS, "New S&tring Table...", "Create a string table");
    editMenu->Append(ID_RECORD_NEW_INTERACTIONS, "New &Interaction Table...",
                     "Create an interaction table with its table of names");
    editMenu->Append(ID_RECORD_NEW_CONSTANTS, "New C&onstant Table...", "Create a constant table");
    editMenu->Append(ID_RECORD_NEW_OBJECT, "New O&bject...",
                     "Create an object definition with its function table and a GUID of its own");
    editMenu->Append(ID_RECORD_DUPLICATE, "&Duplicate...\tCtrl+D", "Copy the selected record under a new id");
    editMenu->Append(ID_RECORD_RENAME, "Re&name...", "Change the selected record's name or id (F2 in the list)");
    editMenu->Append(ID_RECORD_DELETE, "De&lete...", "Delete the selected record (Delete in the list)");
    editMenu->AppendSeparator();
    editMenu->Append(ID_EDIT_FIND, "&Find...\tCtrl+F", "Filter the list in use by id or name");
    editMenu->Append(ID_FIND_REFERENCES, "Find &References\tShift+F12",
                     "List every line and interaction that refers to the selected script");

    auto* viewMenu = new wxMenu;
    viewMenu->AppendCheckItem(ID_VIEW_TOOLBAR, "&Toolbar", "Show or hide the toolbar");
    viewMenu->AppendCheckItem(ID_VIEW_STATUS_BAR, "&Status Bar", "Show or hide the status bar");
    viewMenu->AppendSeparator();
    viewMenu->Append(ID_VIEW_PROBLEMS, "&Problems", "List the problems of the open file; they follow every change");

    auto* helpMenu = new wxMenu;
    helpMenu->Append(ID_APP_ABOUT, "&About Treewright...", "Display program information and version number");

    auto* menuBar = new wxMenuBar;
    menuBar->Append(m_fileMenu, "&File");
    menuBar->Append(editMenu, "&Edit");
    menuBar->Append(viewMenu, "&View");
    menuBar->Append(helpMenu, "&Help");
    SetMenuBar(menuBar);
}

void CMainFrame::CreateBars()
{
    wxToolBar* toolBar = CreateToolBar(wxTB_FLAT | wxTB_HORIZONTAL | wxTB_TOP, AFX_IDW_TOOLBAR);
    const wxSize size = FromDIP(wxSize(16, 16));
    toolBar->SetToolBitmapSize(size);
    auto art = [&](const wxArtID& id) { return wxArtProvider::GetBitmapBundle(id, wxART_TOOLBAR, size); };
    toolBar->AddTool(ID_FILE_NEW, "New", art(wxART_NEW), "New (Ctrl+N)", wxITEM_NORMAL);
    toolBar->AddTool(ID_FILE_OPEN, "Open", art(wxART_FILE_OPEN), "Open (Ctrl+O)", wxITEM_NORMAL);
    toolBar->AddTool(ID_FILE_SAVE, "Save", art(wxART_FILE_SAVE), "Save (Ctrl+S)", wxITEM_NORMAL);
    toolBar->AddSeparator();
    toolBar->AddTool(ID_EDIT_CUT, "Cut", art(wxART_CUT), "Cut (Ctrl+X)", wxITEM_NORMAL);
    toolBar->AddTool(ID_EDIT_COPY, "Copy", art(wxART_COPY), "Copy (Ctrl+C)", wxITEM_NORMAL);
    toolBar->AddTool(ID_EDIT_PASTE, "Paste", art(wxART_PASTE), "Paste (Ctrl+V)", wxITEM_NORMAL);
    toolBar->AddSeparator();
    toolBar->AddTool(ID_EDIT_UNDO, "Undo", art(wxART_UNDO), "Undo (Ctrl+Z)", wxITEM_NORMAL);
    toolBar->AddTool(ID_EDIT_REDO, "Redo", art(wxART_REDO), "Redo (Ctrl+Y)", wxITEM_NORMAL);
    toolBar->AddSeparator();
    toolBar->AddTool(ID_FILE_PRINT, "Print", art(wxART_PRINT), "Print", wxITEM_NORMAL);
    toolBar->AddSeparator();
    toolBar->AddTool(ID_APP_ABOUT, "About", art(wxART_HELP), "About Treewright", wxITEM_NORMAL);
    // The status-bar help of each button is its menu item's.
    for (const int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE,
                         ID_EDIT_UNDO, ID_EDIT_REDO, ID_APP_ABOUT})
        if (wxMenuItem* item = GetMenuBar()->FindItem(id))
            toolBar->SetToolLongHelp(id, item->GetHelp());
    toolBar->SetToolLongHelp(ID_FILE_PRINT, "Print the active document");
    toolBar->Realize();

    wxStatusBar* statusBar = CreateStatusBar(4, wxSTB_DEFAULT_STYLE, AFX_IDW_STATUS_BAR);
    const int indicator = statusBar->GetTextExtent("SCRL").x + FromDIP(16);
    const int widths[] = {-1, indicator, indicator, indicator};
    statusBar->SetStatusWidths(4, widths);
    SetStatusBarPane(0);
    SetStatusText("Ready", 0);
    UpdateKeyIndicators();
}

void CMainFrame::FitToForm()
{
    CTreewrightDoc* doc = m_manager->Document();
    CTreewrightView* view = doc != nullptr ? doc->View() : nullptr;
    if (view == nullptr || view->Form() == nullptr)
        return;
    const wxSize form = view->Form()->GetBestSize();
    SetClientSize(form);
    SetMinClientSize(form);
}

void CMainFrame::RefreshRecentFiles()
{
    if (m_fileMenu == nullptr)
        return;
    for (size_t i = 0; i < m_recentCount; ++i)
        m_fileMenu->Destroy(m_fileMenu->FindItemByPosition(m_recentPosition));
    m_recentCount = 0;

    wxFileHistory* history = m_manager->GetFileHistory();
    const size_t count = history != nullptr ? history->GetCount() : 0;
    if (count == 0)
    {
        // Where the list goes, a disabled placeholder says that it is empty.
        m_fileMenu->Insert(m_recentPosition, ID_FILE_MRU_FILE1, "Recent File", "Open this document");
        m_fileMenu->Enable(ID_FILE_MRU_FILE1, false);
        m_recentCount = 1;
        return;
    }
    for (size_t i = 0; i < count && i < static_cast<size_t>(ID_FILE_MRU_COUNT); ++i)
    {
        m_fileMenu->Insert(m_recentPosition + i, ID_FILE_MRU_FILE1 + static_cast<int>(i),
                           RecentFileLabel(i, history->GetHistoryFile(i)), "Open this document");
        ++m_recentCount;
    }
}

void CMainFrame::OpenDroppedFile(const wxString& path)
{
    Raise();
    m_manager->OpenDocument(path);
}

void CMainFrame::UpdateKeyIndicators()
{
    wxStatusBar* statusBar = GetStatusBar();
    if (statusBar == nullptr)
        return;
    const std::array<bool, 3> states = {IsCapsLockOn(), IsNumLockOn(), IsScrollLockOn()};
    if (m_keyStatesShown && states == m_keyStates)
        return;
    m_keyStates = states;
    m_keyStatesShown = true;
    statusBar->SetStatusText(states[0] ? "CAP" : "", 1);
    statusBar->SetStatusText(states[1] ? "NUM" : "", 2);
    statusBar->SetStatusText(states[2] ? "SCRL" : "", 3);
}

void CMainFrame::OnFileNew(wxCommandEvent&)
{
    m_manager->NewDocument();
}

void CMainFrame::OnFileOpen(wxCommandEvent&)
{
    m_manager->OpenDocument();
}

void CMainFrame::OnFileSave(wxCommandEvent&)
{
    m_manager->SaveDocument();
}

void CMainFrame::OnFileSaveAs(wxCommandEvent&)
{
    m_manager->SaveDocumentAs();
}

void CMainFrame::OnRecentFile(wxCommandEvent& event)
{
    wxFileHistory* history = m_manager->GetFileHistory();
    const int index = event.GetId() - ID_FILE_MRU_FILE1;
    if (history != nullptr && index >= 0 && static_cast<size_t>(index) < history->GetCount())
        m_manager->OpenRecentFile(static_cast<unsigned int>(index));
}

void CMainFrame::OnGameDataFolder(wxCommandEvent&)
{
    const wxString current = WxPath(GameDataFolder());
    const wxString folder =
        Ui().ChooseFolder(this, "Choose the game's data folder, the one that holds GameData", current);
    if (folder.empty())
        return;
    StoreGameDataFolder(folder);
    // Without its global folder nothing can name the calls into the game's global scripts.
    if (!wxDirExists(WxPath(GlobalFolderPath(GameDataFolder()))))
        Ui().MessageBox(this,
                        "There is no GameData" + wxString(wxFILE_SEP_PATH) + "Global folder in " + folder +
                            ".\nCalls into global scripts will show as numbers.",
                        kWarningCaption, wxOK | wxICON_WARNING);
    SetStatusText("The global files are loaded from the new folder when the next file is opened.", 0);
}

void CMainFrame::OnExit(wxCommandEvent&)
{
    Close();
}

CTreewrightDoc* CMainFrame::Document() const
{
    return wxDynamicCast(m_manager->GetCurrentDocument(), CTreewrightDoc);
}

void CMainFrame::OnUndo(wxCommandEvent&)
{
    if (CTreewrightDoc* doc = Document())
        doc->UndoChange();
}

void CMainFrame::OnRedo(wxCommandEvent&)
{
    if (CTreewrightDoc* doc = Document())
        doc->RedoChange();
}

void CMainFrame::OnUpdateUndo(wxUpdateUIEvent& event)
{
    // The items name the step they take back or bring again: "Undo Edit Script #4096".
    CTreewrightDoc* doc = Document();
    const wxCommandProcessor* history = doc != nullptr ? doc->GetCommandProcessor() : nullptr;
    const bool undo = event.GetId() == ID_EDIT_UNDO;
    if (history == nullptr)
    {
        event.Enable(false);
        return;
    }
    const bool typedName = undo && doc->SemiGlobalName() != doc->CommittedSemiGlobalName();
    event.Enable(typedName || (undo ? history->CanUndo() : history->CanRedo()));
    if (typedName)
        event.SetText("&Undo Edit Semi-global Name\tCtrl+Z");
    else
        event.SetText(undo ? history->GetUndoMenuLabel() : history->GetRedoMenuLabel());
}

void CMainFrame::OnEditCommand(wxCommandEvent& event)
{
    // The semi-global field is the only text in the main window; the clipboard commands serve it.
    wxTextEntry* entry = FocusedTextEntry();
    if (entry == nullptr)
        return;
    switch (event.GetId())
    {
    case ID_EDIT_CUT:
        if (entry->CanCut())
            entry->Cut();
        break;
    case ID_EDIT_COPY:
        if (entry->CanCopy())
            entry->Copy();
        break;
    case ID_EDIT_PASTE:
        if (entry->CanPaste())
            entry->Paste();
        break;
    }
}

void CMainFrame::OnUpdateEditCommand(wxUpdateUIEvent& event)
{
    wxTextEntry* entry = FocusedTextEntry();
    bool enable = false;
    if (entry != nullptr)
    {
        switch (event.GetId())
        {
        case ID_EDIT_CUT:
            enable = entry->CanCut();
            break;
        case ID_EDIT_COPY:
            enable = entry->CanCopy();
            break;
        case ID_EDIT_PASTE:
            enable = entry->CanPaste();
            break;
        }
    }
    event.Enable(enable);
}

void CMainFrame::OnUpdateNeedsDocument(wxUpdateUIEvent& event)
{
    event.Enable(m_manager->Document() != nullptr);
}

void CMainFrame::OnUpdateDisabled(wxUpdateUIEvent& event)
{
    event.Enable(false);
}

void CMainFrame::OnViewToolbar(wxCommandEvent&)
{
    if (wxToolBar* toolBar = GetToolBar())
    {
        toolBar->Show(!toolBar->IsShown());
        SendSizeEvent();
    }
}

void CMainFrame::OnViewStatusBar(wxCommandEvent&)
{
    if (wxStatusBar* statusBar = GetStatusBar())
    {
        statusBar->Show(!statusBar->IsShown());
        SendSizeEvent();
    }
}

void CMainFrame::OnViewProblems(wxCommandEvent&)
{
    CTreewrightDoc* doc = Document();
    if (doc == nullptr)
        return;
    if (!m_problems)
        m_problems = new CProblemsFrame(this, *doc);
    m_problems->Show();
    m_problems->Raise();
}

void CMainFrame::OnCompareWith(wxCommandEvent&)
{
    CTreewrightDoc* doc = Document();
    if (doc == nullptr)
        return;
    const wxString path = Ui().ChooseFileToOpen(this, "Compare With",
                                                wxString(kDocTemplateFilterName) + "|*.iff;*.IFF;*.Iff|All Files (*.*)|*",
                                                wxString());
    if (path.empty())
        return;
    const std::string corePath = CorePath(path);
    CFileStream stream;
    if (!stream.Open(corePath, CFileStream::EMode::Read))
    {
        ShowErrorMessage(this, WxPath(FileOpenErrorMessage(stream.LastOpenError(), corePath)));
        return;
    }
    CIffFile other;
    EIffRead code = EIffRead::Ok;
    // An empty file holds no records, as opening it gives an empty document.
    if (stream.Length() > 0 && !other.Read(&stream, code))
    {
        ShowErrorMessage(this, WxPath(IffReadErrorMessage(code)));
        return;
    }
    stream.Close();
    if (m_comparison)
        m_comparison->Destroy();
    m_comparison = new CComparisonFrame(this, *doc, corePath, std::move(other));
    m_comparison->Show();
    m_comparison->Raise();
}

void CMainFrame::OnUpdateViewToolbar(wxUpdateUIEvent& event)
{
    event.Check(GetToolBar() != nullptr && GetToolBar()->IsShown());
}

void CMainFrame::OnUpdateViewStatusBar(wxUpdateUIEvent& event)
{
    event.Check(GetStatusBar() != nullptr && GetStatusBar()->IsShown());
}

void CMainFrame::OnIdle(wxIdleEvent& event)
{
    UpdateKeyIndicators();
    event.Skip();
}

void CMainFrame::OnCharHook(wxKeyEvent& event)
{
    // Ahead of the focused control: a list would take Ctrl+F for its own type-ahead search.
    if (event.GetModifiers() == wxMOD_CONTROL && (event.GetKeyCode() == 'F' || event.GetKeyCode() == 'f'))
    {
        wxCommandEvent find(wxEVT_MENU, ID_EDIT_FIND);
        find.SetEventObject(this);
        if (ProcessWindowEvent(find))
            return;
    }
    event.Skip();
}
