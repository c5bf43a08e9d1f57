#include "LoadingDlg.h"

#include "resources/ResourceIds.h"

#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>
#include <chrono>

namespace
{
constexpr int kTimerId = 0;
constexpr int kTimerPeriodMs = 100;
}

wxBEGIN_EVENT_TABLE(CLoadingDlg, CExchangeDialog)
    EVT_TIMER(kTimerId, CLoadingDlg::OnTimer)
    EVT_BUTTON(wxID_CANCEL, CLoadingDlg::OnCancel)
    EVT_CLOSE(CLoadingDlg::OnClose)
wxEND_EVENT_TABLE()

CLoadingDlg::CLoadingDlg(wxWindow* parent)
    : CExchangeDialog(parent, IDD_LOADING, "Loading needed files...", wxCAPTION | wxSYSTEM_MENU),
      m_timer(this, kTimerId)
{
    const int gap = FromDIP(7);
    auto* status = new wxStaticText(this, IDC_LOAD_STATUS, "Finding needed files...", wxDefaultPosition,
                                    wxDefaultSize, wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_MIDDLE);
    status->SetMinSize(wxSize(ConvertDialogToPixels(wxSize(155, 8)).x, -1));
    m_progressBar = new wxGauge(this, IDC_LOAD_PROGRESS, 100, wxDefaultPosition, wxDefaultSize,
                                wxGA_HORIZONTAL | wxGA_SMOOTH);
    m_progressBar->SetMinSize(wxSize(ConvertDialogToPixels(wxSize(155, 8)).x, -1));

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(status, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, gap);
    sizer->Add(m_progressBar, 0, wxEXPAND | wxALL, gap);
    sizer->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxALIGN_CENTER_HORIZONTAL | wxLEFT | wxRIGHT | wxBOTTOM,
               gap);
    SetSizerAndFit(sizer);
    CentreOnParent();
    m_progress.SetFiles(&m_files);
}

CLoadingDlg::~CLoadingDlg()
{
    StopWorker();
}

void CLoadingDlg::DoDataExchange(CDataExchange& dx)
{
    dx.Text(IDC_LOAD_STATUS, m_statusDisplay);
}

void CLoadingDlg::Start()
{
    if (m_worker.joinable())
        return;
    m_progress.ClearStop();
    m_progress.SetWorkerEnded(false);
    m_workerDone = false;
    // The worker reports its failures through the prompt, which hands each message to this thread
    // and waits for it to be answered: the worker itself never touches a window. Its end is handed
    // over at once as a queued call, not found by the next tick of the timer.
    m_worker = std::thread([this, folder = m_gameDataFolder] {
        RunNeededFilesLoad(m_progress, folder, m_prompt);
        {
            std::lock_guard<std::mutex> lock(m_endMutex);
            m_workerDone = true;
        }
        m_endSignal.notify_all();
        CallAfter([this] { OnWorkerEnded(); });
    });
}

bool CLoadingDlg::EndsWithin(int milliseconds)
{
    std::unique_lock<std::mutex> lock(m_endMutex);
    return m_endSignal.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_workerDone; });
}

void CLoadingDlg::OnInitDialog()
{
    CExchangeDialog::OnInitDialog();
    m_progressBar->SetRange(100);
    Start();
    m_timer.Start(kTimerPeriodMs);
}

void CLoadingDlg::OnWorkerEnded()
{
    m_timer.Stop();
    StopWorker();
    if (IsModal())
        EndModal(wxID_OK);
}

void CLoadingDlg::OnTimer(wxTimerEvent&)
{
    m_statusDisplay = WxPath(m_progress.Status());
    m_progressBar->SetValue(std::clamp(m_progress.Position(), 0, 100));
    UpdateData(false);
}

void CLoadingDlg::OnCancel(wxCommandEvent&)
{
    // The dialog stays up until the worker has stopped; the timer then closes it.
    m_progress.RequestStop();
}

void CLoadingDlg::OnClose(wxCloseEvent& event)
{
    m_progress.RequestStop();
    if (event.CanVeto())
        event.Veto();
}

void CLoadingDlg::StopWorker()
{
    if (m_worker.joinable())
    {
        m_progress.RequestStop();
        // A question the worker waits on may never be shown now (the program is closing): it is
        // answered as a stop, so the worker can end before the dialog goes.
        m_prompt.Abandon();
        m_worker.join();
    }
}
