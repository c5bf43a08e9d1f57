#include "CliSupport.h"

#include "containers/AtomicFileWriter.h"
#include "containers/IffFile.h"
#include "containers/Windows1252.h"
#include "loading/ReadMessages.h"

#include <charconv>

bool ParseNumberText(std::string_view text, std::int64_t& value)
{
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
    {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint64_t magnitude = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() || magnitude > 0xFFFFFFFFu)
        return false;
    value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

std::int64_t ParseCliNumber(const std::string& text, std::int64_t min, std::int64_t max, const std::string& what)
{
    std::int64_t value = 0;
    if (!ParseNumberText(text, value))
        throw CUsageError{what + ": '" + text + "' is not a number"};
    if (value < min || value > max)
        throw CUsageError{what + ": '" + text + "' is not between " + std::to_string(min) + " and " + std::to_string(max)};
    return value;
}

std::uint16_t ParseCliId(const std::string& text, const std::string& what)
{
    return static_cast<std::uint16_t>(ParseCliNumber(text, 0, 0xFFFF, what));
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

int CReport::FailFor(const std::string& file, const nlohmann::ordered_json& error, const std::string& message) const
{
    std::cerr << message << '\n';
    if (m_json)
        PrintJson({{"file", file}, {"error", error}, {"message", message}});
    return kExitFailed;
}

bool CReport::Read(const std::string& path, CIffFile& container, CUserPrompt& prompt) const
{
    CFileStream file;
    if (!file.Open(path, CFileStream::EMode::Read))
    {
        FailFor(path, int(EIffRead::IoError), "Cannot open " + path + ": " + file.LastErrorText());
        return false;
    }
    EIffRead code = EIffRead::Ok;
    CReadWords words;
    if (!container.Read(&file, code, &words) || code != EIffRead::Ok)
    {
        if (code == EIffRead::Ok)
            code = EIffRead::IoError;
        // The decoder's word first, as the editor shows it; the tool's own message is the failure.
        for (const CReadFailureMessage& shown : ReadFailureMessages(words, IffReadErrorMessage(code)))
        {
            if (shown.frontEnds)
                FailFor(path, int(code), shown.text);
            else
                prompt.ShowMessage(shown.text, shown.caption);
        }
        return false;
    }
    return true;
}

bool CReport::Read(const std::string& path, CIffFile& container) const
{
    CCliPrompt prompt;
    return Read(path, container, prompt);
}

bool CReport::Write(const std::string& path, CIffFile& container, CUserPrompt& prompt) const
{
    std::string error;
    if (WriteFileAtomically(path, [&](CByteStream& stream) { return container.Write(&stream, &prompt); }, &error))
        return true;
    FailFor(path, "write", error);
    return false;
}

bool CReport::Write(const std::string& path, CIffFile& container) const
{
    CCliPrompt prompt(false);
    return Write(path, container, prompt);
}

int ReportRefusal(const CReport& report, std::uint32_t type, std::uint16_t id, const std::string& name,
                  const CRecordFault& fault)
{
    const char* error = fault.kind == ERecordFault::Missing     ? "no-record"
                        : fault.kind == ERecordFault::NotStored ? "store"
                                                                : "load";
    return report.Fail(error, Shown(RecordRefusalText(type, id, name, fault)));
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
