#include "ReadMessages.h"

namespace
{
constexpr const char* kErrorCaption = "Error";
}

std::vector<CReadFailureMessage> ReadFailureMessages(const CReadWords& words, const std::string& message)
{
    std::vector<CReadFailureMessage> messages;
    for (const CReadWords::CWord& word : words.Words())
        messages.push_back({word.text, word.caption, false});
    messages.push_back({message, kErrorCaption, true});
    return messages;
}

const char* IffReadErrorMessage(EIffRead errorCode)
{
    switch (errorCode)
    {
    case EIffRead::IoError:
        return "File I/O Error!";
    case EIffRead::NoMemory:
        return "Insufficient Memory!";
    case EIffRead::NotIff:
        return "This file is not an IFF file!";
    case EIffRead::BadVersion:
        return "Unsupported IFF file version number!";
    case EIffRead::DecodeFailed:
        return "The file's compressed data is damaged.";
    default:
        return "Unknown error, please email the author!";
    }
}

std::string LooseFileReadMessage(EIffRead errorCode)
{
    // A loose file fails as the document's own file does; only an unknown code reads otherwise.
    if (errorCode >= EIffRead::IoError && errorCode <= EIffRead::DecodeFailed)
        return IffReadErrorMessage(errorCode);
    return std::string("Unknown Error, please contact ") + kAuthorContact;
}

std::string FarMemberReadMessage(EIffRead errorCode)
{
    switch (errorCode)
    {
    case EIffRead::IoError:
        return "FAR File I/O Error!";
    case EIffRead::NoMemory:
        return "Insufficient Memory!";
    case EIffRead::NotIff:
        return "This file (in the FAR file) is not an IFF file!";
    case EIffRead::BadVersion:
        return "Unsupported IFF file version number of a file in the FAR file!";
    case EIffRead::DecodeFailed:
        return "The compressed data of a file in the FAR file is damaged.";
    default:
        return std::string("Unknown Error 01, please contact ") + kAuthorContact;
    }
}

std::string FileOpenErrorMessage(EFileOpenError error, const std::string& path)
{
    switch (error)
    {
    case EFileOpenError::NotFound:
        return path + " was not found.";
    case EFileOpenError::AccessDenied:
        return "Access to " + path + " was denied.";
    case EFileOpenError::SharingViolation:
        return "A sharing violation occurred while accessing " + path + ".";
    default:
        return "An unknown error occurred while accessing " + path + ".";
    }
}

std::string UnreadBytesMessage(std::uint64_t unread)
{
    return std::to_string(unread) + (unread == 1 ? " byte" : " bytes") +
           " of this file past its last whole chunk could not be read. Saving the file will drop them.";
}

std::string UnreadBytesSaveQuestion(std::uint64_t unread)
{
    return std::to_string(unread) + (unread == 1 ? " byte" : " bytes") +
           " of this file could not be read when it was opened, and saving drops them. Save anyway?";
}
