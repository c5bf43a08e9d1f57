#include "CodePageText.h"

#include "records/CodePage.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <cerrno>
#include <map>
#include <memory>
#include <mutex>

namespace
{
#ifdef _WIN32
// Windows has no iconv; its own conversions know every code page of the game's releases by
// number ("cp932", "windows-1251": the digits of the name).
class CWindowsCodePageConverter : public CCodePageConverter
{
public:
    explicit CWindowsCodePageConverter(const std::string& codePage) : m_codePage(NumberOf(codePage)) {}

    bool ToUtf8(std::string_view bytes, std::string& text) const override
    {
        text.clear();
        if (m_codePage == 0)
            return false;
        if (bytes.empty())
            return true;
        std::wstring wide;
        return Decode(m_codePage, bytes, wide) && Encode(CP_UTF8, wide, text);
    }

    bool FromUtf8(std::string_view text, std::string& bytes) const override
    {
        bytes.clear();
        if (m_codePage == 0)
            return false;
        if (text.empty())
            return true;
        std::wstring wide;
        return Decode(CP_UTF8, text, wide) && Encode(m_codePage, wide, bytes);
    }

private:
    static unsigned NumberOf(const std::string& name)
    {
        const std::size_t digits = name.find_first_of("0123456789");
        return digits == std::string::npos ? 0 : static_cast<unsigned>(std::stoul(name.substr(digits)));
    }

    // Bytes that are not text of the code page are refused.
    static bool Decode(unsigned codePage, std::string_view in, std::wstring& wide)
    {
        const int size = static_cast<int>(in.size());
        const int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), size, nullptr, 0);
        if (units <= 0)
            return false;
        wide.assign(static_cast<std::size_t>(units), L'\0');
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), size, wide.data(), units);
        return true;
    }

    // A character the code page lacks is refused, not replaced by a look-alike or a question mark.
    static bool Encode(unsigned codePage, const std::wstring& wide, std::string& out)
    {
        const bool checked = codePage != CP_UTF8;
        const DWORD flags = checked ? WC_NO_BEST_FIT_CHARS : WC_ERR_INVALID_CHARS;
        const int units = static_cast<int>(wide.size());
        BOOL defaulted = FALSE;
        const int bytes = WideCharToMultiByte(codePage, flags, wide.data(), units, nullptr, 0, nullptr,
                                              checked ? &defaulted : nullptr);
        if (bytes <= 0 || defaulted)
            return false;
        out.assign(static_cast<std::size_t>(bytes), '\0');
        WideCharToMultiByte(codePage, flags, wide.data(), units, out.data(), bytes, nullptr, nullptr);
        return true;
    }

    unsigned m_codePage;
};
#else
// One direction of iconv. A descriptor keeps shift state between calls, so each conversion
// resets it first; the lock keeps two threads from sharing one at the same time.
class CIconvDirection
{
public:
    CIconvDirection(const std::string& to, const std::string& from) : m_handle(iconv_open(to.c_str(), from.c_str())) {}
    ~CIconvDirection()
    {
        if (m_handle != kNoHandle)
            iconv_close(m_handle);
    }
    CIconvDirection(const CIconvDirection&) = delete;
    CIconvDirection& operator=(const CIconvDirection&) = delete;

    bool Convert(std::string_view in, std::string& out) const
    {
        out.clear();
        if (m_handle == kNoHandle)
            return false;
        std::lock_guard<std::mutex> lock(m_mutex);
        iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        char* source = const_cast<char*>(in.data());
        std::size_t sourceLeft = in.size();
        char buffer[256];
        while (sourceLeft > 0)
        {
            char* target = buffer;
            std::size_t targetLeft = sizeof buffer;
            const std::size_t done = iconv(m_handle, &source, &sourceLeft, &target, &targetLeft);
            out.append(buffer, std::size_t(target - buffer));
            // EILSEQ: no such sequence or character; EINVAL: the input ends inside a sequence.
            if (done == std::size_t(-1) && errno != E2BIG)
                return false;
        }
        for (;;)  // the shift state back to the initial one
        {
            char* target = buffer;
            std::size_t targetLeft = sizeof buffer;
            const std::size_t done = iconv(m_handle, nullptr, nullptr, &target, &targetLeft);
            out.append(buffer, std::size_t(target - buffer));
            if (done != std::size_t(-1))
                return true;
            if (errno != E2BIG)
                return false;
        }
    }

private:
    static inline const iconv_t kNoHandle = reinterpret_cast<iconv_t>(-1);
    iconv_t m_handle;
    mutable std::mutex m_mutex;
};

class CIconvConverter : public CCodePageConverter
{
public:
    explicit CIconvConverter(const std::string& codePage) : m_decode("UTF-8", codePage), m_encode(codePage, "UTF-8") {}

    bool ToUtf8(std::string_view bytes, std::string& text) const override { return m_decode.Convert(bytes, text); }
    bool FromUtf8(std::string_view text, std::string& bytes) const override { return m_encode.Convert(text, bytes); }

private:
    CIconvDirection m_decode;
    CIconvDirection m_encode;
};
#endif
}

const CCodePageConverter& CodePageConverter(const std::string& codePage)
{
#ifdef _WIN32
    return CachedConverter<CWindowsCodePageConverter>(codePage);
#else
    return CachedConverter<CIconvConverter>(codePage);
#endif
}

std::string ShownInCodePage(const std::string& bytes, const std::string& codePage)
{
    return DecodeLeniently(CodePageConverter(codePage), bytes);
}
