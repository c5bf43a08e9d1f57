#pragma once

#include "framework/ExchangeDialog.h"
#include "framework/UserInterface.h"
#include "loading/NeededFilesLoader.h"

#include <wx/timer.h>

#include <string>
#include <thread>

class wxGauge;

/// "Loading needed files...": loads the game's global files into the document's needed-files
/// state on a worker thread, shows its progress ten times a second and closes by itself when the
/// worker has finished. Cancel asks the worker to stop after the file it is reading.
class CLoadingDlg : public CExchangeDialog
{
public:
    explicit CLoadingDlg(wxWindow* parent = nullptr);
    ~CLoadingDlg() override;

    /// What the load gathered, once the dialog has ended: the worker fills the dialog's own
    /// state, never the caller's, and is finished before this can be called.
    CNeededFiles TakeFiles() { return std::move(m_files); }
    void SetGameDataFolder(const std::string& folder) { m_gameDataFolder = folder; }
    /// The block shared with the worker, for whoever wants to watch the load.
    CLoadProgress& Progress() { return m_progress; }

protected:
    void DoDataExchange(CDataExchange& dx) override;
    void OnInitDialog() override;

private:
    void OnTimer(wxTimerEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void StopWorker();

    CNeededFiles m_files;
    CLoadProgress m_progress;
    wxGauge* m_progressBar = nullptr;
    wxString m_statusDisplay;
    std::string m_gameDataFolder;
    wxTimer m_timer;
    std::thread m_worker;
    CMessageBoxPrompt m_prompt;

    wxDECLARE_EVENT_TABLE();
};
