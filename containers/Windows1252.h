#pragma once

#include <string>

// Text inside the game's files is bytes in windows-1252. These conversions follow the WHATWG
// table, where the five unassigned bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D map to the C1 controls
// of the same number, so every byte string survives a round trip through UTF-8 unchanged.

/// The UTF-8 form of windows-1252 bytes.
std::string Windows1252ToUtf8(const std::string& bytes);
/// The windows-1252 bytes of UTF-8 text; a character the code page cannot hold becomes '?', and
/// so does every byte of malformed UTF-8.
std::string Utf8ToWindows1252(const std::string& text);
