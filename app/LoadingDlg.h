#pragma once

#include "framework/ExchangeDialog.h"
#include "framework/UserInterface.h"
#include "loading/NeededFilesLoader.h"

#include <wx/timer.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class wxGauge;

/// "Loading needed files...": loads the game's global files into the document's needed-files
/// state on a worker thread, shows its progress ten times a second and closes by itself the
/// moment the worker has finished (the worker queues the hand-over to the dialog). Cancel asks
/// the worker to stop after the file it is reading.
class CLoadingDlg : public CExchangeDialog
{
public:
    explicit CLoadingDlg(wxWindow* parent = nullptr);
    ~CLoadingDlg() override;

    /// What the load gathered, once the dialog has ended: the worker fills the dialog's own
    /// state, never the caller's, and is finished before this can be called.
    CNeededFiles TakeFiles() { return std::move(m_files); }
    void SetGameDataFolder(const std::string& folder) { m_gameDataFolder = folder; }
    /// Starts the worker before the dialog is shown (showing it starts one otherwise).
    void Start();
    /// Waits up to `milliseconds` for a started worker to end; true when it has, and the dialog
    /// need not be shown at all. A message of the worker waits until the dialog is shown.
    bool EndsWithin(int milliseconds);
    /// The block shared with the worker, for whoever wants to watch the load.
    CLoadProgress& Progress() { return m_progress; }

protected:
    void DoDataExchange(CDataExchange& dx) override;
    void OnInitDialog() override;

private:
    void OnTimer(wxTimerEvent& event);
    void OnWorkerEnded();
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
    std::mutex m_endMutex;
    std::condition_variable m_endSignal;
    bool m_workerDone = false;
    CMessageBoxPrompt m_prompt;

    wxDECLARE_EVENT_TABLE();
};
