// The needed-files loader behind its dialog: the worker's messages reach the user through the
// user-interface thread, Cancel stops after the file being read and keeps what was loaded, and
// every open starts from empty lists.

#include "GuiTestSupport.h"
#include "tests/IndexedFiles.h"

#include "LoadingDlg.h"
#include "TreewrightDoc.h"
#include "TreewrightDocManager.h"

#include "framework/GameDataFolder.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/thread.h>

#include <thread>

namespace
{
// Puts another game data folder in force for one test.
class CGameDataScope
{
public:
    explicit CGameDataScope(const std::string& folder) : m_previous(GameDataFolder()) { SetGameDataFolder(folder); }
    ~CGameDataScope() { SetGameDataFolder(m_previous); }

private:
    std::string m_previous;
};

// A global folder with three loose files read in name order: a good one, one that is not a
// container, and another good one.
std::filesystem::path MakeGlobalFolder(const CTempFolder& temp)
{
    const std::filesystem::path global = temp.Path() / "Game" / "GameData" / "Global";
    std::filesystem::create_directories(global);
    WriteIff((global / "A Globals.iff").string(), {{"BHAV", 256, "first global", {}}});
    const std::string text = "not a container";
    WriteBytes((global / "B Broken.iff").string(), std::vector<std::uint8_t>(text.begin(), text.end()));
    WriteIff((global / "C Globals.iff").string(), {{"BHAV", 512, "third global", {}}});
    return global;
}
}

TEST(Loader, WorkerMessagesAreShownOnTheUserInterfaceThreadAndCancelKeepsWhatWasLoaded)
{
    ResetDocument();
    CTempFolder temp;
    MakeGlobalFolder(temp);
    CGameDataScope folder((temp.Path() / "Game").string() + "/");
    const std::string object = temp.File("Object.iff");
    WriteIff(object, {{"BHAV", 4096, "main", {}}});

    CScriptedUserInterface user;
    CUiScope scope(user);
    bool onMainThread = false;
    bool cancelled = false;
    user.onMessage = [&](const CShownMessage&) {
        onMainThread = wxThread::IsMain();
        // The worker waits for this answer; Cancel now stops it after the file it is reading.
        if (wxWindow* dialog = wxWindow::FindWindowById(IDD_LOADING))
        {
            ClickButton(*dialog, wxID_CANCEL);
            cancelled = true;
        }
    };
    ASSERT_TRUE(DocManager().OpenDocument(object));

    ASSERT_EQ(user.messages.size(), 1U);
    EXPECT_EQ(user.messages[0].text, "This file is not an IFF file!");
    EXPECT_EQ(user.messages[0].caption, "Error");
    EXPECT_EQ(user.messages[0].owner, nullptr);
    EXPECT_TRUE(onMainThread);
    EXPECT_TRUE(cancelled);
    // The open went on with what had been loaded before the Cancel.
    EXPECT_EQ(ListedNames(Document().NeededFiles()), (std::vector<std::string>{"A Globals.iff", "Object.iff"}));
    EXPECT_EQ(Document().GetTitle(), "Object.iff");
}

TEST(Loader, RunsToTheEndAndEveryOpenStartsFromEmptyLists)
{
    ResetDocument();
    CTempFolder temp;
    MakeGlobalFolder(temp);
    CGameDataScope folder((temp.Path() / "Game").string() + "/");
    const std::string object = temp.File("Object.iff");
    WriteIff(object, {{"BHAV", 4096, "main", {}}});

    CScriptedUserInterface user;
    CUiScope scope(user);
    const std::vector<std::string> expected = {"A Globals.iff", "C Globals.iff", "Object.iff"};
    ASSERT_TRUE(DocManager().OpenDocument(object));
    EXPECT_EQ(ListedNames(Document().NeededFiles()), expected);
    ASSERT_TRUE(DocManager().OpenDocument(object));
    EXPECT_EQ(ListedNames(Document().NeededFiles()), expected);
    ASSERT_EQ(Document().NeededFiles().Index().size(), 3U);
    ASSERT_FALSE(Document().NeededFiles().Index()[1].scripts.empty());
    EXPECT_EQ(Document().NeededFiles().Index()[1].scripts[0].name, "third global");
    EXPECT_EQ(user.Texts(), (std::vector<wxString>{"This file is not an IFF file!", "This file is not an IFF file!"}));
}

TEST(Loader, AMissingGlobalFolderLoadsOnlyTheOpenFile)
{
    ResetDocument();
    CTempFolder temp;
    CGameDataScope folder((temp.Path() / "No Game").string() + "/");
    CScriptedUserInterface user;
    CUiScope scope(user);
    ASSERT_TRUE(DocManager().OpenDocument(SampleObjectPath()));
    EXPECT_EQ(ListedNames(Document().NeededFiles()), std::vector<std::string>{"Sample Object.iff"});
    EXPECT_TRUE(user.messages.empty());
}

TEST(Loader, DialogShowsTheWorkersStatusAndClosesWhenItHasFinished)
{
    CTempFolder temp;
    MakeGlobalFolder(temp);
    CScriptedUserInterface user;
    CUiScope scope(user);
    CLoadingDlg dialog;
    dialog.SetGameDataFolder((temp.Path() / "Game").string() + "/");
    wxString shownAtStart;
    wxString caption;
    user.modalDrivers.push_back([&](wxDialog& shown) {
        caption = shown.GetTitle();
        shownAtStart = shown.FindWindow(IDC_LOAD_STATUS)->GetLabel();
    });
    // The worker's message about the broken file: answered once the status line shows that file.
    wxString statusAtMessage;
    int positionAtMessage = -1;
    user.onMessage = [&](const CShownMessage&) {
        // The worker waits for this answer, so its status stands still until the timer shows it.
        wxStaticText* status = static_cast<wxStaticText*>(dialog.FindWindow(IDC_LOAD_STATUS));
        for (int i = 0; i < 100 && status->GetLabel() != "Reading B Broken.iff"; ++i)
        {
            wxMilliSleep(20);
            wxEventLoopBase::GetActive()->YieldFor(wxEVT_CATEGORY_TIMER | wxEVT_CATEGORY_UI);
        }
        statusAtMessage = status->GetLabel();
        positionAtMessage = static_cast<wxGauge*>(dialog.FindWindow(IDC_LOAD_PROGRESS))->GetValue();
    };
    EXPECT_EQ(user.RunModal(dialog), wxID_OK);
    EXPECT_EQ(caption, "Loading needed files...");
    EXPECT_EQ(shownAtStart, "");
    EXPECT_EQ(statusAtMessage, "Reading B Broken.iff");
    EXPECT_EQ(positionAtMessage, 33);
    EXPECT_EQ(ListedNames(dialog.TakeFiles()), (std::vector<std::string>{"A Globals.iff", "C Globals.iff"}));
}

// A load that ends at once shows no dialog; one that outlasts the grace (here held up by the
// worker's message, which the user-interface thread answers only once the dialog runs) shows it,
// and the dialog closes by the worker's own hand-over, with the Cancel button never pressed.
TEST(Loader, TheDialogShowsOnlyForALoadThatOutlastsItsGrace)
{
    struct CRow
    {
        bool brokenFile;
        std::vector<int> modalRuns;
        std::vector<std::string> names;
    };
    const std::vector<CRow> rows{
        {false, {}, {"A Globals.iff", "Object.iff"}},
        {true, {IDD_LOADING}, {"A Globals.iff", "Object.iff"}},
    };
    for (const CRow& row : rows)
    {
        ResetDocument();
        CTempFolder temp;
        const std::filesystem::path global = temp.Path() / "Game" / "GameData" / "Global";
        std::filesystem::create_directories(global);
        WriteIff((global / "A Globals.iff").string(), {{"BHAV", 256, "first global", {}}});
        if (row.brokenFile)
            WriteBytes((global / "B Broken.iff").string(), std::vector<std::uint8_t>{'n', 'o'});
        CGameDataScope folder((temp.Path() / "Game").string() + "/");
        const std::string object = temp.File("Object.iff");
        WriteIff(object, {{"BHAV", 4096, "main", {}}});

        CScriptedUserInterface user;
        CUiScope scope(user);
        bool dialogShown = false;
        user.onMessage = [&](const CShownMessage&) {
            const wxWindow* dialog = wxWindow::FindWindowById(IDD_LOADING);
            dialogShown = dialog != nullptr && dialog->IsShown();
        };
        ASSERT_TRUE(DocManager().OpenDocument(object));
        EXPECT_EQ(user.modalRuns, row.modalRuns) << row.brokenFile;
        EXPECT_EQ(dialogShown, row.brokenFile);
        EXPECT_EQ(user.messages.size(), row.brokenFile ? 1U : 0U);
        EXPECT_EQ(ListedNames(Document().NeededFiles()), row.names);
        EXPECT_EQ(wxWindow::FindWindowById(IDD_LOADING), nullptr);
    }
}

TEST(Loader, AQuestionNobodyWillShowIsAnsweredAsAStop)
{
    // The worker's question is queued for the user-interface thread, which here never gets to it,
    // as when the program closes while the loader asks. Abandoning the prompt answers it.
    CScriptedUserInterface user;
    CUiScope scope(user);
    CMessageBoxPrompt prompt;
    bool answer = true;
    std::thread worker([&] { answer = prompt.AskYesNo("Go on?", "Question"); });
    wxMilliSleep(50);
    prompt.Abandon();
    worker.join();
    EXPECT_FALSE(answer);
    // The queued question finds the prompt abandoned and shows nothing.
    Flush();
    EXPECT_TRUE(user.messages.empty());
}
