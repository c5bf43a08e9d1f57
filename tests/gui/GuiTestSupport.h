#pragma once

#include "framework/UserInterface.h"

#include "containers/IffFile.h"

#include <gtest/gtest.h>

#include <wx/string.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class CMainFrame;
class CTreewrightDoc;
class CTreewrightDocManager;
class CTreewrightView;
class wxDialog;
class wxListBox;
class wxWindow;

/// One message box the program showed.
struct CShownMessage
{
    wxWindow* owner = nullptr;
    wxString text;
    wxString caption;
    long style = 0;
};

/// A user who answers from a script: records every message box, answers questions from a queue,
/// hands out file and folder names from queues and drives modal dialogs with queued drivers. A
/// driver runs inside the dialog's real modal loop, once the dialog is up.
class CScriptedUserInterface : public CUserInterface
{
public:
    int MessageBox(wxWindow* owner, const wxString& text, const wxString& caption, long style) override;
    int RunModal(wxDialog& dialog) override;
    wxString ChooseFileToOpen(wxWindow* owner, const wxString& message, const wxString& wildcard,
                              const wxString& folder) override;
    wxString ChooseFileToSave(wxWindow* owner, const wxString& message, const wxString& wildcard,
                              const wxString& defaultPath) override;
    wxString ChooseFolder(wxWindow* owner, const wxString& message, const wxString& defaultPath) override;
    bool CopyText(const wxString& text) override;

    /// The texts of the messages shown so far.
    std::vector<wxString> Texts() const;

    std::vector<CShownMessage> messages;
    /// Answers (wxID_YES, wxID_NO, wxID_CANCEL) for questions, in order; a question without one
    /// fails the test and is answered Cancel.
    std::deque<int> answers;
    /// Called with each message as it is shown, before it is answered.
    std::function<void(const CShownMessage&)> onMessage;
    /// Drivers for the next modal runs, in order. A run without one shows the loader as it is (it
    /// ends by itself) and fails the test for any other dialog, answering Cancel.
    std::deque<std::function<void(wxDialog&)>> modalDrivers;
    /// Ids of the dialogs run modally (their template ids), in order.
    std::vector<int> modalRuns;
    std::deque<wxString> filesToOpen;
    std::deque<wxString> filesToSave;
    std::deque<wxString> folders;
    /// What was last put onto the clipboard.
    wxString clipboard;
};

/// Forgets the message that opening a file gives when its semi-global file is not in the game's
/// folder (the test objects name files the sample folder lacks); a test of that message keeps it.
void ForgetSemiGlobalNotice(CScriptedUserInterface& user);

/// Puts a scripted user in force for one scope.
class CUiScope
{
public:
    explicit CUiScope(CUserInterface& ui) : m_previous(SetUi(&ui)) {}
    ~CUiScope() { SetUi(m_previous); }
    CUiScope(const CUiScope&) = delete;
    CUiScope& operator=(const CUiScope&) = delete;

private:
    CUserInterface* m_previous;
};

/// The editor that the test program started, with its sample game data folder.
CTreewrightDocManager& DocManager();
CMainFrame& MainFrame();
CTreewrightDoc& Document();
CTreewrightView& View();
/// Empties the document without asking, so that a test starts from "Untitled".
void ResetDocument();
/// The sample written by the build: its game data folder and its object file.
std::string SampleFolder();
std::string SampleObjectPath();

/// Sends a click of the button `id` inside `parent`, as the user's click would.
void ClickButton(wxWindow& parent, int id);
/// Types `text` (ASCII) into `field` with real key presses through the display server, after
/// putting the focus there and selecting what it holds, so that the typing replaces it; waits
/// until the keys have arrived. False when they did not within a few seconds.
bool PressKeys(wxWindow& field, const std::string& text);
/// Sends a command (menu item, accelerator or toolbar button) to the main window.
void SendCommand(int id);
class wxListCtrl;
/// The rows of a report list, each row's columns joined by " | ".
std::vector<wxString> ReportRows(const wxListCtrl& list);
/// Lets the toolkit handle what is pending (events, idle handling, timers already due).
void Flush();
/// Lets the toolkit run until `done` holds, at most `timeoutMs`; false when it never did.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000);

/// A folder of its own for one test, removed with it.
class CTempFolder
{
public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    std::filesystem::path Path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

/// A chunk for WriteIff.
struct CTestChunk
{
    std::string type;
    std::uint16_t id = 0;
    std::string name;
    std::vector<std::uint8_t> data;
};

/// Writes a version 2.5 container with these chunks, in this order.
void WriteIff(const std::string& path, const std::vector<CTestChunk>& chunks);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadBytes(const std::string& path);
/// Reads a container from a file; fails the test when it does not read.
CIffFile ReadIff(const std::string& path);
/// `GLOB` data in the length-prefixed form.
std::vector<std::uint8_t> GlobData(const std::string& name);

/// The build's sample object open in the editor, from a copy in the test's own folder so that
/// saving never touches the build's own sample; the document is emptied again afterwards.
class CSampleDocumentTest : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    /// Opens `path` with the scripted user answering, then forgets the dialogs that the opening ran
    /// and any driver still queued, so that a test sees only the dialogs of its own steps.
    void OpenDocument(const std::string& path);
    /// Double-clicks the entry of chunk `id` in one of the main view's lists, as the user would; a
    /// list without it fails the test, the message calling the entry `what`.
    void DoubleClickEntry(wxListBox& list, std::uint16_t id, const char* what);
    /// The container's bytes as the document holds them.
    std::vector<std::uint8_t> Image() const;

    CScriptedUserInterface m_ui;
    CTempFolder m_folder;
    /// The copy of the sample object.
    std::string m_path;
};
