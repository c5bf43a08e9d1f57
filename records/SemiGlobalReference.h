#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class CIffFile;

// The `GLOB` chunk names the object's semi-global file. The document reads the name when the view
// refreshes and writes it back on saving; the CLI does both the same way through these functions.

/// The longest name the user may type. A length byte of 48 (the character '0') or more would be
/// read back as the first character of a NUL-terminated name.
constexpr std::size_t kMaxSemiGlobalNameLength = 47;

/// The name held in `GLOB` chunk data: a length byte below 0x30 (or from 0x80) followed by that many
/// characters, otherwise characters up to the first NUL. Never reaches past the data's end.
std::string DecodeSemiGlobalName(std::span<const std::uint8_t> data);

/// The name in the container's first `GLOB` chunk; empty when there is none.
std::string ReadSemiGlobalName(const CIffFile& container);

/// The save step for the name (windows-1252 bytes). When `name` equals `nameAsRead`, the name that
/// ReadSemiGlobalName gave for this container, an existing `GLOB` chunk is left byte for byte as it
/// is. Otherwise an empty name removes the first `GLOB` chunk, and any other name (cut to 255
/// characters) replaces that chunk's data under its own type, id, flags and name (filled to 256
/// bytes with 0xA3 when its id is 128) or goes into a new chunk: id 1, flags 0x0010,
/// "semi global file". False when the container could not take the chunk.
bool StoreSemiGlobalName(CIffFile& container, const std::string& name, const std::string& nameAsRead);
