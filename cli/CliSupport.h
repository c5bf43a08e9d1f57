#pragma once

#include "containers/ByteStream.h"
#include "containers/UserPrompt.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <iostream>
#include <string>

class CIffFile;

// Exit status of every command.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

/// Thrown from a command to end with a usage error (exit 2, the message on stderr).
struct CUsageError
{
    std::string message;
};

/// Decimal, or hexadecimal with a 0x prefix; a usage error otherwise or outside [min, max].
std::int64_t ParseCliNumber(const std::string& text, std::int64_t min, std::int64_t max, const std::string& what);

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

/// Reads a container from a file; on failure prints the document's message and returns false.
/// `code` gets the read's error code (or 1 when the file cannot be opened).
bool ReadContainerFile(const std::string& path, CIffFile& container, int& code, CUserPrompt& prompt);

/// ReadContainerFile for a command that reports on the file: with `json`, a failure also prints
/// the error document {"file", "error", "message"} on stdout.
bool ReadContainerForReport(const std::string& path, CIffFile& container, bool json);

/// Writes a container to `path` through a temporary file; prints a message and returns false on
/// failure. `message`, when given, gets the message too.
bool WriteContainerFile(const std::string& path, CIffFile& container, CUserPrompt& prompt,
                        std::string* message = nullptr);

/// The name part of a path (after the last slash or backslash).
std::string NamePart(const std::string& path);

/// Game text (windows-1252 bytes) as UTF-8 for output.
std::string Shown(const std::string& bytes);

/// Prints a JSON document on stdout.
void PrintJson(const nlohmann::ordered_json& document);

/// Prints a one-line failure on stderr and gives exit status 1.
int Fail(const std::string& message);

/// Each group of commands adds its subcommands; a subcommand's callback stores the exit status.
using CommandResult = int;
void AddIffCommands(CLI::App& app, CommandResult& result);
void AddContainerCommands(CLI::App& app, CommandResult& result);
void AddRecordCommands(CLI::App& app, CommandResult& result);
void AddRenderCommands(CLI::App& app, CommandResult& result);
void AddIndexCommand(CLI::App& app, CommandResult& result);
void AddWorkbenchCommands(CLI::App& app, CommandResult& result);
