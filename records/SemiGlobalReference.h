#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class CIffFile;

// The `GLOB` chunk names the object's semi-global file. The document reads the name when the view
// refreshes and writes it back on saving; the CLI does both the same way through these functions.

/// The longest name the user may type without thinking of the chunk's forms. Longer names are
/// written NUL-terminated when they can be (see SemiGlobalNameProblem).
constexpr std::size_t kMaxSemiGlobalNameLength = 47;

/// The name held in `GLOB` chunk data: a length byte below 0x30 (or from 0x80) followed by that many
/// characters, otherwise characters up to the first NUL. Never reaches past the data's end.
std::string DecodeSemiGlobalName(std::span<const std::uint8_t> data);

/// The name in the container's first `GLOB` chunk; empty when there is none.
std::string ReadSemiGlobalName(const CIffFile& container);

/// Why `name` (windows-1252 bytes, cut to 255 characters) fits neither form of the chunk, as a
/// sentence for the user; empty when it can be stored. A name of 48 to 127 characters has a length
/// byte that reads as a character, so it is written NUL-terminated, which needs a first byte from
/// 0x30 to 0x7F (else it would read as a length) and no NUL inside.
std::string SemiGlobalNameProblem(const std::string& name);

/// The save step for the name (windows-1252 bytes). When `name` equals `nameAsRead`, the name that
/// ReadSemiGlobalName gave for this container, an existing `GLOB` chunk is left byte for byte as it
/// is. Otherwise an empty name removes the first `GLOB` chunk, and any other name (cut to 255
/// characters) replaces that chunk's data under its own type, id, flags and name (filled to 256
/// bytes with 0xA3 when its id is 128) or goes into a new chunk: id 1, flags 0x0010,
/// "semi global file". The name is written with a length byte, or NUL-terminated where a length
/// byte would read as its first character. False, with nothing changed, when SemiGlobalNameProblem
/// finds a problem or the container could not take the chunk.
[[nodiscard]] bool StoreSemiGlobalName(CIffFile& container, const std::string& name, const std::string& nameAsRead);
