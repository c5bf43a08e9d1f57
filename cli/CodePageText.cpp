#include "CodePageText.h"

#include "records/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <map>
#include <memory>
#include <mutex>

namespace
{
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
}

const CCodePageConverter& CodePageConverter(const std::string& codePage)
{
    return CachedConverter<CIconvConverter>(codePage);
}

std::string ShownInCodePage(const std::string& bytes, const std::string& codePage)
{
    return DecodeLeniently(CodePageConverter(codePage), bytes);
}
