#include "GameDataFolder.h"

#include "UserInterface.h"
#include "resources/Strings.h"

#include <wx/config.h>
#include <wx/filename.h>
#include <wx/string.h>
#ifdef __WXMSW__
#include <wx/msw/registry.h>
#endif

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace
{
std::string g_gameDataFolder;

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

constexpr const char* kGameKey = "Software\\Maxis\\The Sims";
// Where a 64-bit Windows (and a 64-bit Wine prefix) keeps the keys of 32-bit programs.
constexpr const char* kGameKey32 = "Software\\Wow6432Node\\Maxis\\The Sims";

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

void AppendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80)
    {
        out += static_cast<char>(code);
    }
    else if (code < 0x800)
    {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    else if (code < 0x10000)
    {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c)
{
    return c <= '9' ? c - '0' : LowerAscii(c) - 'a' + 10;
}

// Wine writes key and value names and string data with C-like escapes: \\ and \" (and \[ \] in key
// names), \n and its kin, \x followed by up to four hexadecimal digits for a UTF-16 unit, and an
// octal escape for other control characters. Reads the quoted text starting after the opening
// quote at `pos` up to the closing `terminator`; `pos` ends after it. Nullopt when unterminated.
std::optional<std::string> Unescape(const std::string& line, std::size_t& pos, char terminator)
{
    std::string out;
    std::uint32_t pendingHigh = 0;
    auto appendUnit = [&](std::uint32_t unit) {
        if (unit >= 0xD800 && unit < 0xDC00)
        {
            pendingHigh = unit;
            return;
        }
        if (unit >= 0xDC00 && unit < 0xE000 && pendingHigh != 0)
            unit = 0x10000 + ((pendingHigh - 0xD800) << 10) + (unit - 0xDC00);
        pendingHigh = 0;
        if (unit != 0)
            AppendUtf8(out, unit);
    };
    while (pos < line.size())
    {
        const char c = line[pos++];
        if (c == terminator)
            return out;
        if (c != '\\' || pos >= line.size())
        {
            out += c;
            continue;
        }
        const char e = line[pos++];
        switch (e)
        {
        case 'a': out += '\a'; break;
        case 'b': out += '\b'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'v': out += '\v'; break;
        case 'f': out += '\f'; break;
        case 'r': out += '\r'; break;
        case 'e': out += '\x1B'; break;
        case 'x':
        {
            std::uint32_t unit = 0;
            int digits = 0;
            while (digits < 4 && pos < line.size() && IsHexDigit(line[pos]))
            {
                unit = unit * 16 + static_cast<std::uint32_t>(HexValue(line[pos++]));
                ++digits;
            }
            appendUnit(unit);
            break;
        }
        default:
            if (e >= '0' && e <= '7')
            {
                std::uint32_t unit = static_cast<std::uint32_t>(e - '0');
                for (int digits = 1; digits < 3 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7'; ++digits)
                    unit = unit * 8 + static_cast<std::uint32_t>(line[pos++] - '0');
                appendUnit(unit);
            }
            else
            {
                out += e;
            }
        }
    }
    return std::nullopt;
}

// Both keys, the native one first, as one list for the registry search.
std::vector<std::string> GameKeys()
{
    return {kGameKey, kGameKey32};
}

// Components of a Windows path below its drive, empty ones dropped.
std::vector<std::string> WindowsComponents(const std::string& path)
{
    std::vector<std::string> parts;
    std::string part;
    for (const char c : path)
    {
        if (c == '\\' || c == '/')
        {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        }
        else
        {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}
}

const std::string& GameDataFolder()
{
    return g_gameDataFolder;
}

void SetGameDataFolder(const std::string& folder)
{
    g_gameDataFolder = WithTrailingSeparator(folder);
}

std::string WithTrailingSeparator(const std::string& folder)
{
    if (folder.empty() || folder.back() == kSeparator || folder.back() == '/')
        return folder;
    return folder + kSeparator;
}

std::optional<std::string> FindWineRegistryString(const std::string& registryText, const std::string& keyPath,
                                                  const std::string& valueName)
{
    std::istringstream lines(registryText);
    std::string line;
    bool inKey = false;
    while (std::getline(lines, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line[0] == '[')
        {
            std::size_t pos = 1;
            const std::optional<std::string> key = Unescape(line, pos, ']');
            inKey = key && EqualIgnoringCase(*key, keyPath);
            continue;
        }
        if (!inKey || line[0] != '"')
            continue;
        std::size_t pos = 1;
        const std::optional<std::string> name = Unescape(line, pos, '"');
        if (!name || !EqualIgnoringCase(*name, valueName) || pos >= line.size() || line[pos] != '=')
            continue;
        ++pos;
        // A plain string, or an expandable one (str(2):) whose variables are left as they are.
        static const std::string kExpandable = "str(2):";
        if (line.compare(pos, kExpandable.size(), kExpandable) == 0)
            pos += kExpandable.size();
        if (pos >= line.size() || line[pos] != '"')
            return std::nullopt;
        ++pos;
        return Unescape(line, pos, '"');
    }
    return std::nullopt;
}

std::string MapWinePath(const std::string& prefix, const std::string& windowsPath)
{
    if (windowsPath.size() < 2 || windowsPath[1] != ':' || !std::isalpha(static_cast<unsigned char>(windowsPath[0])))
        return std::string();
    namespace fs = std::filesystem;
    fs::path path = fs::path(prefix) / "dosdevices" / (std::string(1, LowerAscii(windowsPath[0])) + ":");
    bool exists = true;
    for (const std::string& part : WindowsComponents(windowsPath.substr(2)))
    {
        std::error_code error;
        std::string chosen = part;
        // Windows names compare without regard to case; the folder on the host may differ in case
        // from the path the installer wrote.
        if (exists && !fs::exists(path / part, error))
        {
            exists = false;
            for (fs::directory_iterator entries(path, error), end; !error && entries != end; entries.increment(error))
            {
                const std::string name = entries->path().filename().string();
                if (EqualIgnoringCase(name, part))
                {
                    chosen = name;
                    exists = true;
                    break;
                }
            }
        }
        path /= chosen;
    }
    // The drive link resolved, so that messages name the folder the user knows (drive_c).
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(path, error);
    return (error ? path : resolved).string();
}

std::string GameDataFolderFromWine(const std::string& prefix)
{
    std::ifstream file(std::filesystem::path(prefix) / "system.reg", std::ios::binary);
    if (!file)
        return std::string();
    std::ostringstream text;
    text << file.rdbuf();
    for (const std::string& key : GameKeys())
    {
        const std::optional<std::string> value = FindWineRegistryString(text.str(), key, kGameDataSetting);
        if (value && !value->empty())
            return WithTrailingSeparator(MapWinePath(prefix, *value));
    }
    return std::string();
}

std::string DefaultWinePrefix()
{
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0')
        return prefix;
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return (std::filesystem::path(home) / ".wine").string();
    return std::string();
}

std::string FindGameDataFolder(const wxString& commandLineFolder)
{
    if (!commandLineFolder.empty())
    {
        wxFileName folder = wxFileName::DirName(commandLineFolder);
        folder.MakeAbsolute();
        return WithTrailingSeparator(CorePath(folder.GetPath()));
    }

    wxString setting;
    if (wxConfigBase* config = wxConfigBase::Get(); config != nullptr && config->Read(kGameDataSetting, &setting) &&
                                                    !setting.empty())
        return WithTrailingSeparator(CorePath(setting));

#ifdef __WXMSW__
    // Read access is all we need; asking for more fails for users without administrator rights.
    // The game is a 32-bit program, so its key lives in the 32-bit view of a 64-bit Windows.
    for (const wxRegKey::WOW64ViewMode view : {wxRegKey::WOW64ViewMode_32, wxRegKey::WOW64ViewMode_Default})
    {
        wxRegKey key(wxRegKey::HKLM, kGameKey, view);
        wxString value;
        if (key.Exists() && key.Open(wxRegKey::Read) && key.HasValue(kGameDataSetting) &&
            key.QueryValue(kGameDataSetting, value) && !value.empty())
            return WithTrailingSeparator(CorePath(value));
    }
    return std::string();
#else
    const std::string prefix = DefaultWinePrefix();
    return prefix.empty() ? std::string() : GameDataFolderFromWine(prefix);
#endif
}

void StoreGameDataFolder(const wxString& folder)
{
    if (wxConfigBase* config = wxConfigBase::Get())
    {
        config->Write(kGameDataSetting, folder);
        config->Flush();
    }
    SetGameDataFolder(CorePath(folder));
}
