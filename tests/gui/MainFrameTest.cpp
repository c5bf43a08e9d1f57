// The main window: menus with their accelerators, the toolbar, the status bar panes, the view
// toggles, the recent files, files dropped onto the window, the about box and the game data
// folder command.

#include "GuiTestSupport.h"

#include "MainFrame.h"
#include "TreewrightDoc.h"
#include "TreewrightDocManager.h"
#include "TreewrightView.h"

#include "framework/GameDataFolder.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include <wx/accel.h>
#include <wx/app.h>
#include <wx/config.h>
#include <wx/dialog.h>
#include <wx/dnd.h>
#include <wx/filehistory.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

namespace
{
struct CMenuLine
{
    wxString label;
    int id;
    bool operator==(const CMenuLine&) const = default;
};

void PrintTo(const CMenuLine& line, std::ostream* out)
{
    *out << "\"" << line.label.utf8_string() << "\" " << line.id;
}

std::vector<CMenuLine> MenuLines(const wxMenu& menu)
{
    std::vector<CMenuLine> lines;
    for (const wxMenuItem* item : menu.GetMenuItems())
        lines.push_back({item->IsSeparator() ? wxString("-") : item->GetItemLabel(), item->IsSeparator() ? 0 : item->GetId()});
    return lines;
}

bool IsEnabledNow(int id)
{
    MainFrame().UpdateWindowUI(wxUPDATE_UI_RECURSE);
    return MainFrame().GetMenuBar()->IsEnabled(id);
}

void ClearHistory()
{
    wxFileHistory* history = DocManager().GetFileHistory();
    while (history->GetCount() > 0)
        DocManager().RemoveFileFromHistory(0);
}
}

TEST(MainFrame, MenusHoldTheirCommandsInOrder)
{
    ClearHistory();
    wxMenuBar* bar = MainFrame().GetMenuBar();
    ASSERT_EQ(bar->GetMenuCount(), 4U);
    EXPECT_EQ(bar->GetMenuLabel(0), "&File");
    EXPECT_EQ(bar->GetMenuLabel(1), "&Edit");
    EXPECT_EQ(bar->GetMenuLabel(2), "&View");
    EXPECT_EQ(bar->GetMenuLabel(3), "&Help");

    const std::vector<CMenuLine> file = {{"&New\tCtrl+N", ID_FILE_NEW},
                                         {"&Open...\tCtrl+O", ID_FILE_OPEN},
                                         {"&Save\tCtrl+S", ID_FILE_SAVE},
                                         {"Save &As...", ID_FILE_SAVE_AS},
                                         {"Compare &With...", ID_FILE_COMPARE_WITH},
                                         {"-", 0},
                                         {"&Game Data Folder...", ID_FILE_GAME_DATA_FOLDER},
                                         {"-", 0},
                                         {"Recent File", ID_FILE_MRU_FILE1},
                                         {"-", 0},
                                         {"E&xit", ID_APP_EXIT}};
    EXPECT_EQ(MenuLines(*bar->GetMenu(0)), file);
    EXPECT_FALSE(IsEnabledNow(ID_FILE_MRU_FILE1));
    const std::vector<CMenuLine> edit = {{"&Undo\tCtrl+Z", ID_EDIT_UNDO},
                                         {"&Redo\tCtrl+Y", ID_EDIT_REDO},
                                         {"-", 0},
                                         {"Cu&t\tCtrl+X", ID_EDIT_CUT},
                                         {"&Copy\tCtrl+C", ID_EDIT_COPY},
                                         {"&Paste\tCtrl+V", ID_EDIT_PASTE}};
    const std::vector<CMenuLine> shown = MenuLines(*bar->GetMenu(1));
    ASSERT_GE(shown.size(), edit.size());
    EXPECT_EQ(std::vector<CMenuLine>(shown.begin(), shown.begin() + std::ptrdiff_t(edit.size())), edit);
    const std::vector<CMenuLine> view = {{"&Toolbar", ID_VIEW_TOOLBAR}, {"&Status Bar", ID_VIEW_STATUS_BAR}};
    const std::vector<CMenuLine> viewShown = MenuLines(*bar->GetMenu(2));
    ASSERT_GE(viewShown.size(), view.size());
    EXPECT_EQ(std::vector<CMenuLine>(viewShown.begin(), viewShown.begin() + std::ptrdiff_t(view.size())), view);
    const std::vector<CMenuLine> help = {{"&About Treewright...", ID_APP_ABOUT}};
    EXPECT_EQ(MenuLines(*bar->GetMenu(3)), help);

    // Every command of the menus has its help line for the status bar.
    for (size_t m = 0; m < bar->GetMenuCount(); ++m)
        for (const wxMenuItem* item : bar->GetMenu(m)->GetMenuItems())
            EXPECT_TRUE(item->IsSeparator() || !item->GetHelp().empty()) << item->GetItemLabel();
}

TEST(MainFrame, MenuAcceleratorsAreTheOnesShownInTheMenus)
{
    struct CKey
    {
        int id;
        int flags;
        int key;
    };
    for (const CKey& key : {CKey{ID_FILE_NEW, wxACCEL_CTRL, 'N'}, CKey{ID_FILE_OPEN, wxACCEL_CTRL, 'O'},
                            CKey{ID_FILE_SAVE, wxACCEL_CTRL, 'S'}, CKey{ID_EDIT_UNDO, wxACCEL_CTRL, 'Z'},
                            CKey{ID_EDIT_CUT, wxACCEL_CTRL, 'X'}, CKey{ID_EDIT_COPY, wxACCEL_CTRL, 'C'},
                            CKey{ID_EDIT_PASTE, wxACCEL_CTRL, 'V'}})
    {
        wxMenuItem* item = MainFrame().GetMenuBar()->FindItem(key.id);
        ASSERT_NE(item, nullptr);
        wxAcceleratorEntry* accel = item->GetAccel();
        ASSERT_NE(accel, nullptr) << key.id;
        EXPECT_EQ(accel->GetFlags(), key.flags) << key.id;
        EXPECT_EQ(accel->GetKeyCode(), key.key) << key.id;
        delete accel;
    }
}

TEST(MainFrame, EditCommandsServeTheSemiGlobalFieldAndNothingElse)
{
    ResetDocument();
    CScriptedUserInterface user;
    CUiScope scope(user);
    ASSERT_TRUE(DocManager().OpenDocument(SampleObjectPath()));
    View().ScriptList()->SetFocus();
    for (const int id : {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY})
        EXPECT_FALSE(IsEnabledNow(id)) << id;

    wxTextCtrl* field = View().SemiGlobalField();
    field->SetFocus();
    field->ChangeValue("SeatingGlobals");
    field->SetSelection(7, 14);
    EXPECT_TRUE(IsEnabledNow(ID_EDIT_CUT));
    EXPECT_TRUE(IsEnabledNow(ID_EDIT_COPY));
    SendCommand(ID_EDIT_CUT);
    EXPECT_EQ(field->GetValue(), "Seating");
    EXPECT_EQ(Document().SemiGlobalName(), "Seating");
    Document().Modify(false);
}

TEST(MainFrame, ToolbarAndStatusBarAreLaidOutAndCanBeHidden)
{
    ResetDocument();  // a new document leaves the status bar ready
    wxToolBar* tools = MainFrame().GetToolBar();
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(tools->GetId(), AFX_IDW_TOOLBAR);
    std::vector<int> ids;
    for (size_t i = 0; i < tools->GetToolsCount(); ++i)
    {
        const wxToolBarToolBase* tool = tools->GetToolByPos(static_cast<int>(i));
        ids.push_back(tool->IsSeparator() ? 0 : tool->GetId());
        EXPECT_TRUE(tool->IsSeparator() || !tool->GetShortHelp().empty());
    }
    EXPECT_EQ(ids, (std::vector<int>{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, 0, ID_EDIT_CUT, ID_EDIT_COPY,
                                     ID_EDIT_PASTE, 0, ID_EDIT_UNDO, ID_EDIT_REDO, 0, ID_FILE_PRINT, 0,
                                     ID_APP_ABOUT}));
    // The toolkit brings the buttons up to date when it is idle.
    wxTheApp->ProcessIdle();
    EXPECT_FALSE(tools->GetToolEnabled(ID_FILE_PRINT));
    EXPECT_TRUE(tools->GetToolEnabled(ID_FILE_OPEN));

    wxStatusBar* status = MainFrame().GetStatusBar();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->GetId(), AFX_IDW_STATUS_BAR);
    ASSERT_EQ(status->GetFieldsCount(), 4);
    EXPECT_EQ(status->GetStatusText(0), "Ready");
    for (int pane = 1; pane < 4; ++pane)
    {
        const wxString text = status->GetStatusText(pane);
        const wxString names[] = {"", "CAP", "NUM", "SCRL"};
        EXPECT_TRUE(text.empty() || text == names[pane]) << text;
        wxRect rect;
        ASSERT_TRUE(status->GetFieldRect(pane, rect));
        EXPECT_GE(rect.width, status->GetTextExtent("SCRL").x);
    }

    SendCommand(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(tools->IsShown());
    MainFrame().UpdateWindowUI(wxUPDATE_UI_RECURSE);
    EXPECT_FALSE(MainFrame().GetMenuBar()->IsChecked(ID_VIEW_TOOLBAR));
    SendCommand(ID_VIEW_TOOLBAR);
    EXPECT_TRUE(tools->IsShown());
    SendCommand(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(status->IsShown());
    SendCommand(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(status->IsShown());
    MainFrame().UpdateWindowUI(wxUPDATE_UI_RECURSE);
    EXPECT_TRUE(MainFrame().GetMenuBar()->IsChecked(ID_VIEW_TOOLBAR));
    EXPECT_TRUE(MainFrame().GetMenuBar()->IsChecked(ID_VIEW_STATUS_BAR));
}

TEST(MainFrame, RecentFilesStandBeforeExitAndOpenTheirFile)
{
    ResetDocument();
    ClearHistory();
    CTempFolder temp;
    CScriptedUserInterface user;
    CUiScope scope(user);
    std::vector<std::string> paths;
    for (const char* name : {"One.iff", "Two.iff", "Three.iff", "Four.iff", "Five & Six.iff"})
    {
        paths.push_back(temp.File(name));
        WriteIff(paths.back(), {{"BHAV", 4096, name, {}}});
        ASSERT_TRUE(DocManager().OpenDocument(paths.back()));
    }
    const std::vector<CMenuLine> recent = {{"&1 " + wxString(temp.File("Five && Six.iff")), ID_FILE_MRU_FILE1},
                                           {"&2 " + wxString(paths[3]), ID_FILE_MRU_FILE1 + 1},
                                           {"&3 " + wxString(paths[2]), ID_FILE_MRU_FILE1 + 2},
                                           {"&4 " + wxString(paths[1]), ID_FILE_MRU_FILE1 + 3}};
    const std::vector<CMenuLine> lines = MenuLines(*MainFrame().GetMenuBar()->GetMenu(0));
    ASSERT_EQ(lines.size(), 14U);
    EXPECT_EQ(std::vector<CMenuLine>(lines.begin() + 8, lines.begin() + 12), recent);
    EXPECT_EQ(lines.back(), (CMenuLine{"E&xit", ID_APP_EXIT}));

    // The list is kept in the settings.
    wxString kept;
    EXPECT_TRUE(wxConfigBase::Get()->Read("/Recent File List/file1", &kept));
    EXPECT_EQ(kept, temp.File("Five & Six.iff"));

    SendCommand(ID_FILE_MRU_FILE1 + 3);
    EXPECT_EQ(Document().GetTitle(), "Two.iff");
    EXPECT_EQ(DocManager().GetFileHistory()->GetHistoryFile(0), paths[1]);

    // A file that has gone is named and leaves the list.
    std::filesystem::remove(paths[2]);
    SendCommand(ID_FILE_MRU_FILE1 + 3);
    ASSERT_EQ(user.messages.size(), 1U);
    EXPECT_TRUE(user.messages[0].text.StartsWith(wxString(paths[2]) + " was not found."));
    EXPECT_EQ(DocManager().GetFileHistory()->GetCount(), 3U);
    EXPECT_EQ(Document().GetTitle(), "Two.iff");
    ClearHistory();
}

TEST(MainFrame, AFileDroppedOnTheWindowIsOpenedAsOpenWould)
{
    ResetDocument();
    CScriptedUserInterface user;
    CUiScope scope(user);
    auto* target = dynamic_cast<wxFileDropTarget*>(MainFrame().GetDropTarget());
    ASSERT_NE(target, nullptr);
    wxArrayString files;
    files.Add(SampleObjectPath());
    EXPECT_TRUE(target->OnDropFiles(10, 10, files));
    Flush();
    EXPECT_EQ(Document().GetTitle(), "Sample Object.iff");
    // The loader's dialog shows only when the load outlasts its grace; no other dialog runs.
    EXPECT_LE(user.modalRuns.size(), 1U);
    for (int run : user.modalRuns)
        EXPECT_EQ(run, IDD_LOADING);

    // With unsaved changes the drop asks first.
    View().SemiGlobalField()->SetValue("Changed");
    user.answers = {wxID_CANCEL};
    target->OnDropFiles(10, 10, files);
    Flush();
    EXPECT_TRUE(user.answers.empty());
    EXPECT_EQ(Document().SemiGlobalName(), "Changed");
    Document().Modify(false);
}

TEST(MainFrame, AboutBoxShowsTheProgramAndClosesWithOk)
{
    CScriptedUserInterface user;
    CUiScope scope(user);
    wxString title;
    std::vector<wxString> labels;
    user.modalDrivers.push_back([&](wxDialog& about) {
        title = about.GetTitle();
        for (const wxWindow* child : about.GetChildren())
            labels.push_back(child->GetLabel());
        ClickButton(about, wxID_OK);
    });
    SendCommand(ID_APP_ABOUT);
    EXPECT_EQ(user.modalRuns, std::vector<int>{IDD_ABOUTBOX});
    EXPECT_EQ(title, "About Treewright");
    EXPECT_NE(std::find(labels.begin(), labels.end(), "Treewright Version 1.0"), labels.end());
    EXPECT_NE(std::find(labels.begin(), labels.end(), "OK"), labels.end());
}

TEST(MainFrame, AnExceptionInAHandlerIsReportedAndTheDocumentStays)
{
    CScriptedUserInterface user;
    CUiScope scope(user);
    ASSERT_TRUE(DocManager().OpenDocument(SampleObjectPath()));
    const std::size_t chunks = Document().Container().Chunks().size();
    const int probe = wxNewId();
    MainFrame().Bind(wxEVT_MENU, [](wxCommandEvent&) { throw std::runtime_error("probe"); }, probe);
    wxCommandEvent command(wxEVT_MENU, probe);
    MainFrame().GetEventHandler()->SafelyProcessEvent(command);
    MainFrame().Unbind(wxEVT_MENU, [](wxCommandEvent&) {}, probe);
    ASSERT_EQ(user.Texts().size(), 1u);
    EXPECT_TRUE(user.Texts()[0].StartsWith("The last action failed: probe")) << user.Texts()[0];
    EXPECT_EQ(Document().Container().Chunks().size(), chunks);
    EXPECT_TRUE(MainFrame().IsShown());
    // What the open reported stays readable in the status bar.
    EXPECT_TRUE(MainFrame().GetStatusBar()->GetStatusText(0).StartsWith("Sample Object.iff: "));
    ResetDocument();
}

TEST(MainFrame, GameDataFolderCommandStoresTheChosenFolder)
{
    const std::string before = GameDataFolder();
    CTempFolder temp;
    CScriptedUserInterface user;
    CUiScope scope(user);
    user.folders = {wxString(temp.Path().string())};
    SendCommand(ID_FILE_GAME_DATA_FOLDER);
    EXPECT_EQ(GameDataFolder(), temp.Path().string() + "/");
    // A folder without GameData/Global is taken, with a warning of what the user will miss.
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_NE(user.messages[0].text.find("Calls into global scripts will show as numbers."), wxString::npos);
    std::filesystem::create_directories(temp.Path() / "GameData" / "Global");
    user.folders = {wxString(temp.Path().string())};
    SendCommand(ID_FILE_GAME_DATA_FOLDER);
    EXPECT_EQ(user.messages.size(), 1u);
    wxString stored;
    EXPECT_TRUE(wxConfigBase::Get()->Read("SIMS_DATA", &stored));
    EXPECT_EQ(stored, temp.Path().string());

    // Cancelling the chooser changes nothing.
    user.folders = {wxString()};
    SendCommand(ID_FILE_GAME_DATA_FOLDER);
    EXPECT_EQ(GameDataFolder(), temp.Path().string() + "/");

    wxConfigBase::Get()->DeleteEntry("SIMS_DATA");
    SetGameDataFolder(before);
}
