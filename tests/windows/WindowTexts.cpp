// treewright-window-texts TITLE: prints the class and text of every control of the visible
// top-level windows titled exactly TITLE, one "CLASS<TAB>TEXT" line each (UTF-8); exit 1 when no
// such window is shown.
//
// scripts/windows-test drives the Windows editor under Wine by keys and clicks through the X
// server, but X cannot read what a Windows control shows: the status bar and a message box are
// drawn by Wine into one X window. This program asks the controls for their text as any other
// Windows program may (WM_GETTEXT, which the system carries across processes), so the test reads
// what a person would see there without reaching into the editor.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
constexpr UINT kAnswerTimeoutMs = 5000;

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                        nullptr);
    return bytes;
}

// A window of another process answers WM_GETTEXT for itself: a status bar gives its first field,
// which GetWindowText, reading only the stored caption, would not.
std::wstring TextOf(HWND window)
{
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &length) == 0)
        return {};
    std::vector<wchar_t> buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                            SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied) == 0)
        return {};
    std::wstring text(buffer.data(), std::min<std::size_t>(copied, length));
    // One line per control: a multi-line text keeps its lines apart with " | ".
    std::wstring flat;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == L'\r')
            continue;
        if (text[i] == L'\n')
            flat += L" | ";
        else
            flat += text[i];
    }
    return flat;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

struct CSearch
{
    std::wstring title;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<CSearch*>(parameter);
    wchar_t title[512] = {};
    GetWindowTextW(window, title, 512);
    if (IsWindowVisible(window) && search->title == title)
        search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM parameter)
{
    reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
    return TRUE;
}

void Write(const std::string& bytes)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
}

int main()
{
    // The title may hold any character: it is taken from the wide command line, not from argv.
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count != 2)
    {
        Write("usage: treewright-window-texts TITLE\n");
        return 2;
    }
    CSearch search{arguments[1], {}};
    LocalFree(arguments);
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    if (search.found.empty())
        return 1;
    for (HWND top : search.found)
    {
        std::vector<HWND> children;
        EnumChildWindows(top, CollectChild, reinterpret_cast<LPARAM>(&children));
        for (HWND child : children)
            if (IsWindowVisible(child))
                Write(Utf8(ClassOf(child)) + "\t" + Utf8(TextOf(child)) + "\n");
    }
    return 0;
}
