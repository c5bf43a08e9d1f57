#include "UserInterface.h"

#include "containers/Windows1252.h"
#include "resources/Strings.h"

#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/thread.h>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace
{
CWxUserInterface g_standardUi;
CUserInterface* g_ui = &g_standardUi;

// A caption-less core message gets the program's name, as every top-level window needs a title.
wxString CaptionOrProgramName(const std::string& caption)
{
    return caption.empty() ? wxString(kProgramName) : wxString::FromUTF8(caption);
}
}

int CWxUserInterface::MessageBox(wxWindow* owner, const wxString& text, const wxString& caption, long style)
{
    wxMessageDialog box(owner, text, caption, style);
    switch (box.ShowModal())
    {
    case wxID_YES:
        return wxID_YES;
    case wxID_NO:
        return wxID_NO;
    case wxID_CANCEL:
        return wxID_CANCEL;
    default:
        return wxID_OK;
    }
}

int CWxUserInterface::RunModal(wxDialog& dialog)
{
    return dialog.ShowModal();
}

bool CWxUserInterface::CopyText(const wxString& text)
{
    wxClipboardLocker clipboard;
    if (!clipboard)
        return false;
    return wxTheClipboard->SetData(new wxTextDataObject(text));
}

wxString CWxUserInterface::ChooseFileToOpen(wxWindow* owner, const wxString& message, const wxString& wildcard,
                                            const wxString& folder)
{
    wxFileDialog chooser(owner, message, folder, wxString(), wildcard, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    return chooser.ShowModal() == wxID_OK ? chooser.GetPath() : wxString();
}

wxString CWxUserInterface::ChooseFileToSave(wxWindow* owner, const wxString& message, const wxString& wildcard,
                                            const wxString& defaultPath)
{
    wxString folder;
    wxString name;
    wxString extension;
    wxFileName::SplitPath(defaultPath, &folder, &name, &extension);
    if (!extension.empty())
        name += "." + extension;
    wxFileDialog chooser(owner, message, folder, name, wildcard, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    return chooser.ShowModal() == wxID_OK ? chooser.GetPath() : wxString();
}

wxString CWxUserInterface::ChooseFolder(wxWindow* owner, const wxString& message, const wxString& defaultPath)
{
    wxDirDialog chooser(owner, message, defaultPath, wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
    return chooser.ShowModal() == wxID_OK ? chooser.GetPath() : wxString();
}

CUserInterface& Ui()
{
    return *g_ui;
}

CUserInterface* SetUi(CUserInterface* ui)
{
    CUserInterface* previous = g_ui;
    g_ui = ui != nullptr ? ui : &g_standardUi;
    return previous;
}

void ShowErrorMessage(wxWindow* owner, const wxString& text)
{
    Ui().MessageBox(owner, text, kErrorCaption, wxOK | wxICON_ERROR);
}

bool AskYesNo(wxWindow* owner, const wxString& text, const wxString& caption)
{
    return Ui().MessageBox(owner, text, caption, wxYES_NO | wxICON_QUESTION) == wxID_YES;
}

// Shared between the prompt, the thread waiting for an answer and the question queued on the
// user-interface thread, so that whichever ends last still finds it.
struct CMessageBoxPrompt::CState
{
    std::mutex mutex;
    std::condition_variable answered;
    bool abandoned = false;
};

CMessageBoxPrompt::CMessageBoxPrompt(wxWindow* owner) : m_owner(owner), m_state(std::make_shared<CState>())
{
}

void CMessageBoxPrompt::Abandon()
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->abandoned = true;
    m_state->answered.notify_all();
}

void CMessageBoxPrompt::ShowMessage(const std::string& text, const std::string& caption)
{
    Ask(text, caption, wxOK | (caption == kErrorCaption ? wxICON_ERROR : wxICON_INFORMATION));
}

bool CMessageBoxPrompt::AskYesNo(const std::string& text, const std::string& caption)
{
    return Ask(text, caption, wxYES_NO | wxICON_QUESTION) == wxID_YES;
}

int CMessageBoxPrompt::Ask(const std::string& text, const std::string& caption, long style)
{
    const wxString message = wxString::FromUTF8(text);
    const wxString title = CaptionOrProgramName(caption);
    if (wxThread::IsMain() || wxTheApp == nullptr)
        return Ui().MessageBox(m_owner, message, title, style);

    // The question waits in the user-interface thread's queue; this thread sleeps until the
    // answer is in, or until the prompt is abandoned because nobody will run the queue for it.
    struct CAnswer
    {
        bool done = false;
        int result = wxID_CANCEL;
    };
    auto answer = std::make_shared<CAnswer>();
    std::shared_ptr<CState> state = m_state;
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        if (state->abandoned)
            return wxID_CANCEL;
    }
    wxWindow* owner = m_owner;
    wxTheApp->CallAfter([answer, state, owner, message, title, style] {
        {
            std::lock_guard<std::mutex> lock(state->mutex);
            if (state->abandoned)
                return;
        }
        const int result = Ui().MessageBox(owner, message, title, style);
        std::lock_guard<std::mutex> lock(state->mutex);
        answer->result = result;
        answer->done = true;
        state->answered.notify_all();
    });
    std::unique_lock<std::mutex> lock(state->mutex);
    state->answered.wait(lock, [&] { return answer->done || state->abandoned; });
    return answer->done ? answer->result : wxID_CANCEL;
}

wxString GameText(const std::string& bytes)
{
    return wxString::FromUTF8(Windows1252ToUtf8(bytes));
}

std::string GameBytes(const wxString& text)
{
    return Utf8ToWindows1252(text.utf8_string());
}

std::string CorePath(const wxString& path)
{
#ifdef __WXMSW__
    return path.utf8_string();
#else
    return std::string(path.fn_str());
#endif
}

wxString WxPath(const std::string& path)
{
#ifdef __WXMSW__
    return wxString::FromUTF8(path);
#else
    return wxString(path.c_str(), *wxConvFileName);
#endif
}

void RunPendingEvents()
{
    for (int round = 0; round < 3; ++round)
    {
        wxTheApp->ProcessPendingEvents();
        if (wxEventLoopBase* loop = wxEventLoopBase::GetActive())
            loop->YieldFor(wxEVT_CATEGORY_ALL);
        else
            wxYield();
    }
}
