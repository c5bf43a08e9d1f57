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

bool WriteFileAtomically(const std::string& path, const std::function<bool(CByteStream&)>& write,
                         std::string* error)
{
    const std::filesystem::path target(path);
    const std::string temporary = TemporaryNameFor(target);
    auto fail = [&](const std::string& why) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        if (error != nullptr)
            *error = why;
        return false;
    };

    CFileStream stream;
    if (!stream.Open(temporary, CFileStream::EMode::Create))
        return fail("Cannot create a file in the folder of " + path + ": " + stream.LastErrorText());
    if (!write(stream))
        return fail("Writing " + path + " failed.");
    if (!stream.Sync())
        return fail("Writing " + path + " failed: " + stream.LastErrorText());
    if (!stream.Close())
        return fail("Writing " + path + " failed: " + stream.LastErrorText());

    // A replaced file keeps the permissions it had.
    std::error_code code;
    const auto existing = std::filesystem::status(target, code);
    if (!code && std::filesystem::exists(existing))
        std::filesystem::permissions(temporary, existing.permissions(), code);
    code.clear();
    std::filesystem::rename(temporary, target, code);
    if (code)
        return fail("Cannot replace " + path + ": " + code.message());
    return true;
}
