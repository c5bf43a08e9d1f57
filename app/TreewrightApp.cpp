#include "TreewrightApp.h"

#include "AboutDlg.h"
#include "AppIcon.h"
#include "MainFrame.h"
#include "TreewrightDoc.h"
#include "TreewrightDocManager.h"
#include "TreewrightView.h"

#include "framework/GameDataFolder.h"
#include "framework/ShellRegistration.h"
#include "framework/UserInterface.h"
#include "resources/ResourceIds.h"
#include "resources/Strings.h"

#include <wx/cmdline.h>

#include <exception>
#include <new>
#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>

wxBEGIN_EVENT_TABLE(CTreewrightApp, wxApp)
    EVT_MENU(ID_APP_ABOUT, CTreewrightApp::OnAppAbout)
wxEND_EVENT_TABLE()

CTreewrightApp::CTreewrightApp() = default;

CTreewrightApp::~CTreewrightApp() = default;

void CTreewrightApp::OnInitCmdLine(wxCmdLineParser& parser)
{
    wxApp::OnInitCmdLine(parser);
    parser.AddOption(wxString(), "game-data", "the game's data folder (the one that holds GameData)",
                     wxCMD_LINE_VAL_STRING);
    parser.AddParam("IFF file to open", wxCMD_LINE_VAL_STRING, wxCMD_LINE_PARAM_OPTIONAL);
}

bool CTreewrightApp::OnCmdLineParsed(wxCmdLineParser& parser)
{
    parser.Found("game-data", &m_options.gameDataFolder);
    if (parser.GetParamCount() > 0)
        m_options.file = parser.GetParam(0);
    return wxApp::OnCmdLineParsed(parser);
}

bool CTreewrightApp::OnInit()
{
    if (!wxApp::OnInit())
        return false;
    return StartEditor(m_options);
}

bool CTreewrightApp::StartEditor(const CStartOptions& options)
{
    SetVendorName(kCompanyName);
    SetAppName(kProgramName);
    SetAppDisplayName(kProgramName);
#ifndef __WXMSW__
    // Settings where today's desktops keep them: ~/.config/Treewright/Treewright.conf.
    if (wxConfigBase::Get(false) == nullptr)
    {
        wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);
        const wxFileName file(wxStandardPaths::Get().GetUserConfigDir() + "/" + kProgramName,
                              wxString(kProgramName) + ".conf");
        // The settings' own folder must exist before the first write, or nothing is kept.
        if (!file.DirExists())
            wxFileName::Mkdir(file.GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
        wxConfigBase::Set(new wxFileConfig(kProgramName, kCompanyName, file.GetFullPath(), wxString(),
                                           wxCONFIG_USE_LOCAL_FILE));
    }
#endif
    // On Windows this is the registry key of the company and the program below HKEY_CURRENT_USER.
    wxConfigBase* config = wxConfigBase::Get();

    SetGameDataFolder(FindGameDataFolder(options.gameDataFolder));

    m_docManager = std::make_unique<CTreewrightDocManager>();
    m_docManager->SetMaxDocsOpen(1);
    new wxDocTemplate(m_docManager.get(), kDocTemplateFilterName, kDocTemplateFilter, wxString(),
                      kDocTemplateExtension, kDocTemplateTypeName, kShellFileTypeId, CLASSINFO(CTreewrightDoc),
                      CLASSINFO(CTreewrightView));

    RegisterShellFileType(wxString(".") + kDocTemplateExtension, kShellFileTypeId, kShellFileTypeName,
                          wxStandardPaths::Get().GetExecutablePath());

    m_mainFrame = new CMainFrame(m_docManager.get(), kProgramName);
    m_mainFrame->SetIcons(AppIcons());
    SetTopWindow(m_mainFrame);
    if (config != nullptr)
        m_docManager->FileHistoryLoad(*config);

    // The one document and its view exist from here on; a file named on the command line is then
    // opened into them, and if it cannot be, the empty document stays.
    if (m_docManager->CreateDocument(wxString(), wxDOC_NEW) == nullptr)
        return false;
    m_mainFrame->FitToForm();
    m_mainFrame->Centre();
    m_mainFrame->Show();
    if (!options.file.empty())
        m_docManager->OpenDocument(options.file);
    return true;
}

int CTreewrightApp::OnExit()
{
    StopEditor();
    return wxApp::OnExit();
}

void CTreewrightApp::StopEditor()
{
    if (m_docManager != nullptr)
    {
        if (wxConfigBase* config = wxConfigBase::Get(false))
            m_docManager->FileHistorySave(*config);
        m_docManager.reset();
    }
    m_mainFrame = nullptr;
}

bool CTreewrightApp::OnExceptionInMainLoop()
{
    wxString what;
    try
    {
        throw;
    }
    catch (const std::bad_alloc&)
    {
        what = "There was not enough memory for the last action.";
    }
    catch (const std::exception& error)
    {
        what = wxString::Format("The last action failed: %s", error.what());
    }
    catch (...)
    {
        what = "The last action failed.";
    }
    // The document is in memory as the last finished step left it: saving it keeps the user's work.
    ShowErrorMessage(nullptr, what + "\nThe document is still open; save it to keep your work.");
    return true;
}

void CTreewrightApp::OnUnhandledException()
{
    OnExceptionInMainLoop();
}

void CTreewrightApp::OnAppAbout(wxCommandEvent&)
{
    CAboutDlg dialog(m_mainFrame);
    Ui().RunModal(dialog);
}
