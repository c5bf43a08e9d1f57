#pragma once

#include "containers/ByteStream.h"
#include "containers/UserPrompt.h"
#include "containers/Result.h"
#include "records/RecordFault.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CIffFile;

// Exit status of every command.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

/// A fault in how a command was called, found by the command itself (the parser's own faults are
/// CLI11's): main prints the message and the command's help (exit 2), and with --json the error
/// document. The message is the failure's detail.
enum class ECliUsage
{
    None,
    BadArgument,
};

/// What a command ends with: its exit status, or a usage fault.
using CommandResult = CResult<int, ECliUsage>;

/// A usage fault with its message.
CFailure<ECliUsage> UsageFault(std::string message);

/// A number in the tool's input (decimal, or hexadecimal with a 0x prefix, an optional sign before
/// either) within [min, max]; a usage fault otherwise. `what` names the value in the message.
CResult<std::int64_t, ECliUsage> ParseCliNumber(std::string_view text, std::int64_t min, std::int64_t max,
                                                const std::string& what);

/// A chunk id given on the command line: 0 to 65535, decimal or 0x hexadecimal, on every command.
CResult<std::uint16_t, ECliUsage> ParseCliId(const std::string& text, const std::string& what = "ID");

/// Prints the core's messages on stderr and answers questions with a fixed answer.
class CCliPrompt : public CUserPrompt
{
public:
    explicit CCliPrompt(bool answer = false) : m_answer(answer) {}
    void ShowMessage(const std::string& text, const std::string& caption) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;

private:
    bool m_answer;
};

/// How one run of a command ends in failure, the same on every command: the message on stderr and,
/// when --json was asked, {"file": ..., "error": ..., "message": ...} on stdout. `error` is the read
/// error code (a number) when a file does not read, otherwise a word naming the failure.
class CReport
{
public:
    CReport(std::string file, bool json) : m_file(std::move(file)), m_json(json) {}

    /// Ends the command with exit 1, the failure concerning the command's own file.
    int Fail(const nlohmann::ordered_json& error, const std::string& message) const
    {
        return FailFor(m_file, error, message);
    }
    /// Ends the command with exit 1, the failure concerning `file` (another input, or the output).
    int FailFor(const std::string& file, const nlohmann::ordered_json& error, const std::string& message) const;

    /// Reads a container; on failure reports the read error code and returns false.
    bool Read(const std::string& path, CIffFile& container, CUserPrompt& prompt) const;
    bool Read(const std::string& path, CIffFile& container) const;

    /// Writes a container through a temporary file; on failure reports "write" and returns false.
    bool Write(const std::string& path, CIffFile& container, CUserPrompt& prompt) const;
    /// Write with the 2.0 question answered No.
    bool Write(const std::string& path, CIffFile& container) const;

    bool Json() const { return m_json; }
    const std::string& File() const { return m_file; }

private:
    std::string m_file;
    bool m_json;
};

/// A record refused on loading or storing: exit 1 with the reason the editor's status bar gives;
/// the error is "no-record" when the file has no such record, "store" when it could not be stored
/// and "load" otherwise.
int ReportRefusal(const CReport& report, std::uint32_t type, std::uint16_t id, const std::string& name,
                  const CRecordFault& fault);

/// The name part of a path (after the last slash or backslash).
std::string NamePart(const std::string& path);

/// Game text (windows-1252 bytes) as UTF-8 for output.
std::string Shown(const std::string& bytes);

/// The keys that say where a reference is in its record: "line" (from 1) for a script, "interaction"
/// and "tree" for an interaction table, "field" and "offset" for an object definition, "index",
/// "function" and "role" for a function table.
struct CRecordReference;
void AddPlaceKeys(nlohmann::ordered_json& entry, const CRecordReference& place);

/// Records that do not load, each as {"type", "id", "name", "reason"}, as `check` lists them.
struct CRecordRefusal;
nlohmann::ordered_json RefusalList(const std::vector<CRecordRefusal>& refused);

/// Prints a JSON document on stdout.
void PrintJson(const nlohmann::ordered_json& document);

/// Hands loaded global files over to the end of the process: the command then returns without
/// unmapping and freeing hundreds of files one by one, which was a tenth of `index`, and the
/// system takes them back at exit in one sweep. They stay reachable until then. Each call frees
/// what the call before kept, so a process that runs many commands (the tests) holds one load.
class CNeededFiles;
void LeaveToProcessExit(CNeededFiles&& files);

/// Each group of commands adds its subcommands; a subcommand's callback stores the exit status.
void AddIffCommands(CLI::App& app, CommandResult& result);
void AddContainerCommands(CLI::App& app, CommandResult& result);
void AddRecordCommands(CLI::App& app, CommandResult& result);
void AddRenderCommands(CLI::App& app, CommandResult& result);
void AddIndexCommand(CLI::App& app, CommandResult& result);
void AddWorkbenchCommands(CLI::App& app, CommandResult& result);
void AddObjectCommands(CLI::App& app, CommandResult& result);
