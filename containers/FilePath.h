#pragma once

#include <filesystem>
#include <string>

// Paths travel through the program as UTF-8 text. On Windows the file system speaks UTF-16, and a
// narrow path would go through the ANSI code page, which cannot hold most names; these convert at
// the edge. Elsewhere the bytes pass unchanged.

/// The file system path of the UTF-8 `path`.
std::filesystem::path PathFromUtf8(const std::string& path);

/// The UTF-8 text of `path`.
std::string Utf8FromPath(const std::filesystem::path& path);
