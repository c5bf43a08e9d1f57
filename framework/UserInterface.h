#pragma once

#include "containers/UserPrompt.h"

#include "WindowsMacros.h"

#include <wx/string.h>

#include <memory>

class wxDialog;
class wxWindow;

/// Everything by which the program waits for the user: message boxes, modal dialogs and the file
/// and folder choosers; and the clipboard, which the user reads elsewhere. The program reaches them
/// only through Ui(), so that a test can read every message, answer every question, drive every
/// modal dialog and see what was copied, in-process.
class CUserInterface
{
public:
    virtual ~CUserInterface() = default;

    /// A message box. `style` takes wxOK, wxYES_NO, wxCANCEL and an icon flag; the result is
    /// wxID_OK, wxID_YES, wxID_NO or wxID_CANCEL.
    virtual int MessageBox(wxWindow* owner, const wxString& text, const wxString& caption, long style) = 0;
    /// Runs a dialog modally and returns its end code (wxID_OK, wxID_CANCEL or its own).
    virtual int RunModal(wxDialog& dialog) = 0;
    /// The file the user chose to open, or an empty string when the user cancelled.
    virtual wxString ChooseFileToOpen(wxWindow* owner, const wxString& message, const wxString& wildcard,
                                      const wxString& folder) = 0;
    /// The file the user chose to save to (the chooser has asked about replacing it), or empty.
    virtual wxString ChooseFileToSave(wxWindow* owner, const wxString& message, const wxString& wildcard,
                                      const wxString& defaultPath) = 0;
    /// The folder the user chose, or an empty string when the user cancelled.
    virtual wxString ChooseFolder(wxWindow* owner, const wxString& message, const wxString& defaultPath) = 0;
    /// Puts a text onto the clipboard; false when the clipboard could not be opened.
    virtual bool CopyText(const wxString& text) = 0;
};

/// The toolkit's own message boxes, modal loops and choosers.
class CWxUserInterface : public CUserInterface
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
};

/// The user interface in force: the toolkit's unless a test has put its own in place.
CUserInterface& Ui();
/// Puts `ui` in force (nullptr: the toolkit's again) and returns the one it replaces. The caller
/// keeps ownership.
CUserInterface* SetUi(CUserInterface* ui);

/// An OK message with the caption "Error".
void ShowErrorMessage(wxWindow* owner, const wxString& text);

/// Runs the events queued so far, a few rounds over as handlers queue more: for code that drives
/// windows from outside the main loop (tests, benchmarks).
void RunPendingEvents();
/// A Yes/No question; true for Yes.
bool AskYesNo(wxWindow* owner, const wxString& text, const wxString& caption);

/// The core's way to the user, answered with message boxes on the user-interface thread. Called
/// from another thread (the loader's worker), it hands the message to the user-interface thread
/// and waits there for the answer, so that the worker never touches a window itself.
class CMessageBoxPrompt : public CUserPrompt
{
public:
    /// Messages without an owner window get none; those of a dialog name it as owner.
    explicit CMessageBoxPrompt(wxWindow* owner = nullptr);

    void ShowMessage(const std::string& text, const std::string& caption) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;

    /// Answers every question waiting on another thread, and every later one, as a stop (Cancel,
    /// or No), without showing it: for when the window that would show it is going away and the
    /// user-interface thread may never run the queued question.
    void Abandon();

private:
    struct CState;

    int Ask(const std::string& text, const std::string& caption, long style);

    wxWindow* m_owner;
    std::shared_ptr<CState> m_state;
};

/// The text of windows-1252 bytes from the game's files, and the bytes of such a text.
wxString GameText(const std::string& bytes);
std::string GameBytes(const wxString& text);
/// A file name as the core's file functions take it (UTF-8 on Windows, the file system's bytes
/// elsewhere), and back.
std::string CorePath(const wxString& path);
wxString WxPath(const std::string& path);
