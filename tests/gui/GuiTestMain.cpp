// The GUI tests run the real editor in-process: the application object is the program's own,
// started once on the sample game data folder, with its settings in a folder of the test's own
// so that the user's are never touched.

#include "GuiTestSupport.h"

#include "MainFrame.h"
#include "TreewrightApp.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/fileconf.h>
#include <wx/init.h>

#include <cstdio>
#include <filesystem>

#include <unistd.h>

wxIMPLEMENT_APP_NO_MAIN(CTreewrightApp);

namespace
{
// A failed wxWidgets check fails the test that caused it; its dialog would wait for a user.
void FailOnAssert(const wxString& file, int line, const wxString& function, const wxString& condition,
                  const wxString& message)
{
    ADD_FAILURE_AT(file.utf8_string().c_str(), line)
        << "wxWidgets check failed in " << function.utf8_string() << ": " << condition.utf8_string() << " "
        << message.utf8_string();
}
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest's discovery) needs no window.
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();

    wxSetAssertHandler(FailOnAssert);
    if (!wxEntryStart(argc, argv))
    {
        std::fprintf(stderr, "The GUI tests need a display; run them under xvfb-run.\n");
        return 1;
    }

    const std::filesystem::path settings =
        std::filesystem::temp_directory_path() / ("treewright-gui-settings-" + std::to_string(::getpid()));
    std::filesystem::create_directories(settings);
    wxConfigBase::Set(new wxFileConfig("Treewright", "Marrowfen", (settings / "settings.ini").string(), wxString(),
                                       wxCONFIG_USE_LOCAL_FILE));

    int result = 1;
    CTreewrightApp& app = wxGetApp();
    CStartOptions options;
    options.gameDataFolder = SampleFolder();
    if (app.StartEditor(options))
    {
        Flush();
        result = RUN_ALL_TESTS();
        ResetDocument();
        app.MainFrame()->Close(true);
        Flush();
    }
    else
    {
        std::fprintf(stderr, "The editor did not start.\n");
    }
    app.OnExit();
    wxEntryCleanup();
    std::error_code ignored;
    std::filesystem::remove_all(settings, ignored);
    return result;
}
