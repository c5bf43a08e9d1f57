#include "CliSupport.h"
#include "rendering/NeededFiles.h"

#include "containers/AtomicFileWriter.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/RecordCheck.h"
#include "containers/Windows1252.h"
#include "loading/ReadMessages.h"
#include "records/ObjectDefinition.h"
#include "records/ObjectFunctions.h"
#include "records/RecordEditing.h"

#include "containers/NumberText.h"

CFailure<ECliUsage> UsageFault(std::string message)
{
    return Fail(ECliUsage::BadArgument, 0, std::move(message));
}

CResult<std::int64_t, ECliUsage> ParseCliNumber(std::string_view text, std::int64_t min, std::int64_t max,
                                                const std::string& what)
{
    const CResult<std::int64_t, ENumberText> number = ParseInteger(text, min, max, ENumberForm::DecimalOrHex);
    if (number)
        return *number;
    const std::string given = what + ": '" + std::string(text) + "' ";
    if (number.Failure().what == ENumberText::OutOfRange)
        return UsageFault(given + "is not between " + std::to_string(min) + " and " + std::to_string(max));
    return UsageFault(given + "is not a number");
}

CResult<std::uint16_t, ECliUsage> ParseCliId(const std::string& text, const std::string& what)
{
    const CResult<std::int64_t, ECliUsage> id = ParseCliNumber(text, 0, 0xFFFF, what);
    if (!id)
        return id.Failure();
    return static_cast<std::uint16_t>(*id);
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
    const CStatus<EFileWrite> written =
        WriteFileAtomically(path, [&](CByteStream& stream) { return container.Write(&stream, &prompt); });
    if (written)
        return true;
    FailFor(path, "write", FileWriteFailureText(written.Failure()));
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
    const char* error = fault.what == ERecordFault::Missing     ? "no-record"
                        : fault.what == ERecordFault::NotStored ? "store"
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

void LeaveToProcessExit(CNeededFiles&& files)
{
    // Never deleted on purpose; see the declaration.
    static CNeededFiles* const kept = new CNeededFiles;
    *kept = std::move(files);
}

nlohmann::ordered_json RefusalList(const std::vector<CRecordRefusal>& refused)
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const CRecordRefusal& refusal : refused)
        list.push_back({{"type", Shown(TypeCodeText(refusal.type))},
                        {"id", refusal.id},
                        {"name", Shown(refusal.name)},
                        {"reason", RecordFaultText(refusal.type, refusal.fault)}});
    return list;
}

void AddPlaceKeys(nlohmann::ordered_json& entry, const CRecordReference& place)
{
    if (place.type == kTypeBhav)
        entry["line"] = place.line + 1;  // as the script editor and `script` number lines
    else if (place.type == kTypeTtab)
    {
        entry["interaction"] = place.interaction;
        entry["tree"] = place.checkTree ? "check" : "action";
    }
    else if (place.type == kTypeObjd)
    {
        entry["field"] = ObjectFieldName(std::uint16_t(place.field));
        entry["offset"] = place.field;
    }
    else if (place.type == kTypeObjf)
    {
        entry["index"] = place.function;
        entry["function"] = ObjectFunctionName(std::size_t(place.function));
        entry["role"] = place.checkTree ? "check" : "action";
    }
}
