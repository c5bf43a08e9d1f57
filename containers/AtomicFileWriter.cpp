#include "AtomicFileWriter.h"

#include "FilePath.h"

#include <filesystem>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace
{
std::filesystem::path TemporaryNameFor(const std::filesystem::path& target)
{
    std::random_device device;
    std::mt19937_64 generator(device());
    std::filesystem::path name(".");
    name += target.filename();
    name += "." + std::to_string(generator() % 1000000000ULL) + ".tmp";
    return target.parent_path() / name;
}

// Puts `temporary` in the place of `target` in one step: a reader sees the old file or the new
// one, never none. Windows' rename refuses an existing target, and deleting it first would leave
// a moment without the file (and lose it if the move then failed); MoveFileEx replaces it.
std::error_code PutInPlace(const std::filesystem::path& temporary, const std::filesystem::path& target)
{
#ifdef _WIN32
    if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {};
    return std::error_code(static_cast<int>(GetLastError()), std::system_category());
#else
    std::error_code code;
    std::filesystem::rename(temporary, target, code);
    return code;
#endif
}
}

CStatus<EFileWrite> WriteFileAtomically(const std::string& path, const std::function<bool(CByteStream&)>& write)
{
    const std::filesystem::path target = PathFromUtf8(path);
    const std::filesystem::path temporary = TemporaryNameFor(target);
    CFileStream stream;
    auto fail = [&](EFileWrite what, std::string detail) {
        // Windows removes no file that is still open.
        static_cast<void>(stream.Close());
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return Fail(what, 0, std::move(detail)).InFile(path);
    };

    if (!stream.Open(Utf8FromPath(temporary), CFileStream::EMode::Create))
        return fail(EFileWrite::CannotCreate, stream.LastErrorText());
    if (!write(stream))
        return fail(EFileWrite::WriteFailed, std::string());
    if (!stream.Sync() || !stream.Close())
        return fail(EFileWrite::WriteFailed, stream.LastErrorText());

    // A replaced file keeps the permissions it had.
    std::error_code code;
    const auto existing = std::filesystem::status(target, code);
    if (!code && std::filesystem::exists(existing))
        std::filesystem::permissions(temporary, existing.permissions(), code);
    code = PutInPlace(temporary, target);
    if (code)
        return fail(EFileWrite::CannotReplace, code.message());
    return {};
}

std::string FileWriteFailureText(const CFailure<EFileWrite>& failure)
{
    const std::string& path = failure.where.file;
    switch (failure.what)
    {
    case EFileWrite::Ok:
        return {};
    case EFileWrite::CannotCreate:
        return "Cannot create a file in the folder of " + path + ": " + failure.detail;
    case EFileWrite::WriteFailed:
        return failure.detail.empty() ? "Writing " + path + " failed." : "Writing " + path + " failed: " + failure.detail;
    case EFileWrite::CannotReplace:
        return "Cannot replace " + path + ": " + failure.detail;
    }
    return {};
}
