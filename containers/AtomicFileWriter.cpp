#include "AtomicFileWriter.h"

#include <filesystem>
#include <random>
#include <system_error>

namespace
{
std::string TemporaryNameFor(const std::filesystem::path& target)
{
    std::random_device device;
    std::mt19937_64 generator(device());
    const auto suffix = std::to_string(generator() % 1000000000ULL);
    return (target.parent_path() / ("." + target.filename().string() + "." + suffix + ".tmp")).string();
}
}

CStatus<EFileWrite> WriteFileAtomically(const std::string& path, const std::function<bool(CByteStream&)>& write)
{
    const std::filesystem::path target(path);
    const std::string temporary = TemporaryNameFor(target);
    auto fail = [&](EFileWrite what, std::string detail) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return Fail(what, 0, std::move(detail)).InFile(path);
    };

    CFileStream stream;
    if (!stream.Open(temporary, CFileStream::EMode::Create))
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
    code.clear();
    std::filesystem::rename(temporary, target, code);
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
