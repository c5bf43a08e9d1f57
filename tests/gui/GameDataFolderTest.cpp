// Finding the game's data folder: the Wine registry's text, the mapping of a Windows path into a
// Wine prefix, and the order in which the sources are asked.

#include "GuiTestSupport.h"

#include "framework/GameDataFolder.h"

#include <gtest/gtest.h>

#include <wx/config.h>

#include <cstdlib>
#include <fstream>

namespace
{
const char* const kSystemReg = R"(WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win32

[Software\\Maxis\\The Sims Online] 1700000000
"SIMS_DATA"="C:\\Wrong"

[Software\\Maxis\\The Sims] 1700000001
#time=1da1b2c3d4e5f60
"Installed"=dword:00000001
"sims_data"="C:\\Program Files\\Maxis\\The Sims"
"Language"="English"

[Software\\Other] 1700000002
"SIMS_DATA"="C:\\Other"
)";

void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A Wine prefix whose C: drive holds the game's folder under `gameFolder`.
void MakePrefix(const std::filesystem::path& prefix, const std::string& registry, const std::string& gameFolder)
{
    std::filesystem::create_directories(prefix / "drive_c" / gameFolder / "GameData" / "Global");
    std::filesystem::create_directories(prefix / "dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    WriteText(prefix / "system.reg", registry);
}

// Sets an environment variable for one scope.
class CEnvironment
{
public:
    CEnvironment(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        m_had = std::getenv(name) != nullptr;
        setenv(name, value.c_str(), 1);
    }
    ~CEnvironment()
    {
        if (m_had)
            setenv(m_name, m_old.c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::string m_old;
    bool m_had = false;
};
}

TEST(WineRegistry, FindsTheValueOfTheExactKeyWithoutRegardToCase)
{
    EXPECT_EQ(FindWineRegistryString(kSystemReg, "software\\maxis\\THE SIMS", "SIMS_DATA"),
              "C:\\Program Files\\Maxis\\The Sims");
    EXPECT_EQ(FindWineRegistryString(kSystemReg, "Software\\Maxis\\The Sims", "Language"), "English");
    EXPECT_FALSE(FindWineRegistryString(kSystemReg, "Software\\Maxis\\The Sims", "Installed"));
    EXPECT_FALSE(FindWineRegistryString(kSystemReg, "Software\\Maxis", "SIMS_DATA"));
    EXPECT_FALSE(FindWineRegistryString("", "Software\\Maxis\\The Sims", "SIMS_DATA"));
}

TEST(WineRegistry, UndoesWinesEscapes)
{
    const std::string text = "[Software\\\\Maxis\\\\The Sims]\r\n"
                             "\"SIMS_DATA\"=\"C:\\\\Spiele\\\\Die Sims \\\"Deluxe\\\" \\x00e9\\xd83d\\xde00\"\r\n";
    EXPECT_EQ(FindWineRegistryString(text, "Software\\Maxis\\The Sims", "SIMS_DATA"),
              "C:\\Spiele\\Die Sims \"Deluxe\" \xc3\xa9\xf0\x9f\x98\x80");
    EXPECT_EQ(FindWineRegistryString("[A]\n\"V\"=str(2):\"%ProgramFiles%\\\\Maxis\"\n", "A", "V"),
              "%ProgramFiles%\\Maxis");
    // A line cut off in the middle of its text names nothing.
    EXPECT_FALSE(FindWineRegistryString("[A]\n\"V\"=\"C:\\\\Gam", "A", "V"));
}

TEST(WinePrefix, MapsTheDriveAndMatchesFoldersWithoutRegardToCase)
{
    CTempFolder temp;
    const std::filesystem::path prefix = temp.Path() / "prefix";
    MakePrefix(prefix, kSystemReg, "Program Files/Maxis/The Sims");
    const std::string game = (prefix / "drive_c" / "Program Files" / "Maxis" / "The Sims").string();

    EXPECT_EQ(MapWinePath(prefix.string(), "C:\\PROGRAM FILES\\maxis\\The Sims"), game);
    EXPECT_EQ(MapWinePath(prefix.string(), "c:/Program Files/Maxis/The Sims/"), game);
    EXPECT_EQ(MapWinePath(prefix.string(), "\\\\server\\share"), "");
    EXPECT_EQ(MapWinePath(prefix.string(), "Program Files"), "");
    EXPECT_EQ(GameDataFolderFromWine(prefix.string()), game + "/");
    EXPECT_EQ(GameDataFolderFromWine((temp.Path() / "no prefix").string()), "");
}

TEST(WinePrefix, FindsTheKeyOfA32BitGameInA64BitPrefix)
{
    CTempFolder temp;
    const std::filesystem::path prefix = temp.Path() / "prefix64";
    MakePrefix(prefix, "[Software\\\\Wow6432Node\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=\"C:\\\\Games\\\\Sims\"\n",
               "Games/Sims");
    EXPECT_EQ(GameDataFolderFromWine(prefix.string()), (prefix / "drive_c" / "Games" / "Sims").string() + "/");
}

TEST(GameDataFolder, CommandLineThenSettingThenWineRegistry)
{
    CTempFolder temp;
    const std::filesystem::path prefix = temp.Path() / "prefix";
    MakePrefix(prefix, kSystemReg, "Program Files/Maxis/The Sims");
    CEnvironment wine("WINEPREFIX", prefix.string());
    wxConfigBase* config = wxConfigBase::Get();
    config->DeleteEntry("SIMS_DATA");

    const std::string fromWine = (prefix / "drive_c" / "Program Files" / "Maxis" / "The Sims").string() + "/";
    EXPECT_EQ(FindGameDataFolder(wxString()), fromWine);

    config->Write("SIMS_DATA", wxString((temp.Path() / "chosen").string()));
    EXPECT_EQ(FindGameDataFolder(wxString()), (temp.Path() / "chosen").string() + "/");

    EXPECT_EQ(FindGameDataFolder((temp.Path() / "given/").string()), (temp.Path() / "given").string() + "/");
    config->DeleteEntry("SIMS_DATA");
}

TEST(GameDataFolder, ChosenFolderIsStoredAndInForce)
{
    CTempFolder temp;
    const std::string before = GameDataFolder();
    StoreGameDataFolder(temp.Path().string());
    EXPECT_EQ(GameDataFolder(), temp.Path().string() + "/");
    wxString stored;
    EXPECT_TRUE(wxConfigBase::Get()->Read("SIMS_DATA", &stored));
    EXPECT_EQ(stored, temp.Path().string());
    wxConfigBase::Get()->DeleteEntry("SIMS_DATA");
    SetGameDataFolder(before);
    EXPECT_EQ(WithTrailingSeparator(""), "");
    EXPECT_EQ(WithTrailingSeparator("/games/sims/"), "/games/sims/");
}
