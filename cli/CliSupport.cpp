#include "CliSupport.h"

#include "containers/AtomicFileWriter.h"
#include "containers/IffFile.h"
#include "containers/Windows1252.h"

#include <cerrno>
#include <cstdlib>

std::int64_t ParseCliNumber(const std::string& text, std::int64_t min, std::int64_t max, const std::string& what)
{
    std::string digits = text;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+'))
    {
        negative = digits[0] == '-';
        digits.erase(0, 1);
    }
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
    {
        base = 16;
        digits.erase(0, 2);
    }
    bool valid = !digits.empty();
    for (const char c : digits)
        if (!(base == 16 ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c))))
            valid = false;
    if (!valid)
        throw CUsageError{what + ": '" + text + "' is not a number"};
    errno = 0;
    const unsigned long long magnitude = std::strtoull(digits.c_str(), nullptr, base);
    if (errno == ERANGE || magnitude > 0x7FFFFFFFFFFFFFFFULL)
        throw CUsageError{what + ": '" + text + "' is out of range"};
    const std::int64_t value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    if (value < min || value > max)
        throw CUsageError{what + ": '" + text + "' is not between " + std::to_string(min) + " and " + std::to_string(max)};
    return value;
}

void CCliPrompt::ShowMessage(const std::string& text, const std::string&)
{
    std::cerr << text << '\n';
}

bool CCliPrompt::AskYesNo(const std::string& text, const std::string&)
{
    std::cerr << text << (m_answer ? " Yes" : " No") << '\n';
    return m_answer;
}

bool ReadContainerFile(const std::string& path, CIffFile& container, int& code, CUserPrompt& prompt)
{
    CFileStream file;
    code = 0;
    if (!file.Open(path, CFileStream::EMode::Read))
    {
        code = kIffReadIoError;
        std::cerr << "Cannot open " << path << ": " << file.LastErrorText() << '\n';
        return false;
    }
    if (!container.Read(&file, code, &prompt) || code != 0)
    {
        if (code == 0)
            code = kIffReadIoError;
        std::cerr << IffReadErrorMessage(code) << '\n';
        return false;
    }
    return true;
}

bool ReadContainerForReport(const std::string& path, CIffFile& container, bool json)
{
    CCliPrompt prompt;
    int code = 0;
    if (ReadContainerFile(path, container, code, prompt))
        return true;
    if (json)
        PrintJson({{"file", path}, {"error", code}, {"message", IffReadErrorMessage(code)}});
    return false;
}

bool WriteContainerFile(const std::string& path, CIffFile& container, CUserPrompt& prompt, std::string* message)
{
    std::string error;
    if (!WriteFileAtomically(path, [&](CByteStream& stream) { return container.Write(&stream, &prompt); }, &error))
    {
        std::cerr << error << '\n';
        if (message != nullptr)
            *message = error;
        return false;
    }
    return true;
}

std::string NamePart(const std::string& path)
{
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Shown(const std::string& bytes)
{
    return Windows1252ToUtf8(bytes);
}

void PrintJson(const nlohmann::ordered_json& document)
{
    // Paths from the command line are bytes that need not be UTF-8; the JSON must not fail on them.
    std::cout << document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

int Fail(const std::string& message)
{
    std::cerr << message << '\n';
    return kExitFailed;
}
