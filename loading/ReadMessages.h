#pragma once

#include "containers/ByteStream.h"
#include "containers/IffFile.h"
#include "containers/UserPrompt.h"

#include <cstdint>
#include <string>
#include <vector>

// The words the user sees when a file does not open or read: the document's (which the CLI shows
// too) and the loader's, which say whether the file was loose or a member of a FAR archive. One
// vocabulary, EIffRead, and one function per wording.

/// The document's message for a failed read of the file it opens.
const char* IffReadErrorMessage(EIffRead errorCode);
/// The loader's message for a failed read of a loose IFF file (code 0 with a failed read included).
std::string LooseFileReadMessage(EIffRead errorCode);
/// The loader's message for a failed read of an IFF member of a FAR archive.
std::string FarMemberReadMessage(EIffRead errorCode);
/// The file layer's message for a file that could not be opened, naming its path.
std::string FileOpenErrorMessage(EFileOpenError error, const std::string& path);

/// What a read says besides its code: the decoder's "FAILURE" or "MEMORY FAILURE" when a coded
/// body does not decode. Handed to the read as its prompt, it keeps those words for the front end,
/// which shows them with its own message for the same failure: a failed read's messages take one
/// path, in one order.
class CReadWords final : public CUserPrompt
{
public:
    struct CWord
    {
        std::string text;
        std::string caption;
    };

    void ShowMessage(const std::string& text, const std::string& caption) override { m_words.push_back({text, caption}); }
    /// A read asks nothing; were it to, the answer would be No.
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    const std::vector<CWord>& Words() const { return m_words; }

private:
    std::vector<CWord> m_words;
};

/// One message about a failed read, as the front end shows it.
struct CReadFailureMessage
{
    std::string text;
    std::string caption;
    bool frontEnds = false;  // the front end's own: caption "Error", owned by its window
};

/// Everything shown for a failed read, in order: the read's own words as it said them (no owner
/// window), then the front end's `message` with the caption "Error".
std::vector<CReadFailureMessage> ReadFailureMessages(const CReadWords& words, const std::string& message);

/// Said of a file read with bytes that no whole chunk holds (CIffFile::UnreadBytes): how many, and
/// that saving drops them. The editor says it on opening, the CLI's `info` and `check` too.
std::string UnreadBytesMessage(std::uint64_t unread);
/// The editor's question before saving such a file over its bytes.
std::string UnreadBytesSaveQuestion(std::uint64_t unread);

/// Shown when a file with the FAR extension does not open as an archive.
inline constexpr const char* kFarOpenFailedMessage = "There was an error while opening this FAR file";
/// Where the unknown-error messages send the user.
inline constexpr const char* kAuthorContact = "treewright@marrowfen.org";
