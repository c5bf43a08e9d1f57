#pragma once

#include <string>

/// How the core reaches the user. The core never shows anything itself: the editor answers with
/// message boxes, the command-line tool from its options and on stderr, tests from a script.
class CUserPrompt
{
public:
    virtual ~CUserPrompt() = default;

    /// A message with an OK button. An empty caption means the message has none of its own.
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    /// A Yes/No question; true for Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
};

/// Answers every question No and forgets every message: for callers that have nobody to ask.
class CSilentPrompt : public CUserPrompt
{
public:
    void ShowMessage(const std::string&, const std::string&) override {}
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
};
