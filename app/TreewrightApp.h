#pragma once

#include <wx/app.h>

#include <memory>

class CMainFrame;
class CTreewrightDocManager;
class wxCmdLineParser;

/// What the command line asks for.
struct CStartOptions
{
    /// The game's data folder given with --game-data, or empty.
    wxString gameDataFolder;
    /// The file to open, or empty for a new document.
    wxString file;
};

/// The application: finds the game's data folder, sets up the document machinery and the main
/// window, and carries out the command line.
class CTreewrightApp : public wxApp
{
public:
    CTreewrightApp();
    ~CTreewrightApp() override;

    bool OnInit() override;
    int OnExit() override;
    /// An exception that escaped an event handler: the user is told, the program and the open
    /// document go on. Called from inside the toolkit's catch.
    bool OnExceptionInMainLoop() override;
    void OnUnhandledException() override;
    void OnInitCmdLine(wxCmdLineParser& parser) override;
    bool OnCmdLineParsed(wxCmdLineParser& parser) override;

    /// Everything start-up does after the command line has been read. False when the main window
    /// could not be made.
    bool StartEditor(const CStartOptions& options);
    /// Saves the settings and lets go of the document machinery; the windows are gone by then.
    void StopEditor();

    CTreewrightDocManager* DocManager() const { return m_docManager.get(); }
    CMainFrame* MainFrame() const { return m_mainFrame; }

private:
    void OnAppAbout(wxCommandEvent& event);

    CStartOptions m_options;
    std::unique_ptr<CTreewrightDocManager> m_docManager;
    CMainFrame* m_mainFrame = nullptr;

    wxDECLARE_EVENT_TABLE();
};

wxDECLARE_APP(CTreewrightApp);
