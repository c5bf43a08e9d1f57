#pragma once

#include "containers/ByteStream.h"
#include "containers/IffFile.h"

#include <string>

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

/// Shown when a file with the FAR extension does not open as an archive.
inline constexpr const char* kFarOpenFailedMessage = "There was an error while opening this FAR file";
/// Where the unknown-error messages send the user.
inline constexpr const char* kAuthorContact = "treewright@marrowfen.org";
