#pragma once

#include <string>

class CCodePageConverter;

/// The converter of a code page by its name ("windows-1252", "cp932", ...): windows-1252 through
/// the core's table, every other through the C library's iconv (on Windows, the system's own
/// conversions). Lives as long as the program.
const CCodePageConverter& CodePageConverter(const std::string& codePage);

/// A language's text (bytes in `codePage`) as UTF-8 for output; U+FFFD marks each byte the code
/// page does not decode.
std::string ShownInCodePage(const std::string& bytes, const std::string& codePage);
