#pragma once

#include "records/BhavInstruction.h"

#include <cstdint>
#include <string>
#include <vector>

// Workloads made at run time with the project's own record builders, so that nothing large is
// committed. Every builder is deterministic in its seed.

/// An object file like the game's: scripts, string tables, interactions and constants among
/// sprite-like pixel chunks and small binary chunks, about `bytes` long (a plain 2.5 file).
std::vector<std::uint8_t> BuildRealLookingObject(std::size_t bytes, std::uint32_t seed);
/// Scripts and tables only, about `bytes` long: the kind of image that codes best.
std::vector<std::uint8_t> BuildScriptsAndTablesObject(std::size_t bytes, std::uint32_t seed);
/// One 2.5 file of about `bytes` made of the chunks of real-looking objects, each chunk under its
/// own id; built by concatenation, as the container would take minutes to put them one by one.
std::vector<std::uint8_t> BuildLargeObject(std::size_t bytes, std::uint32_t seed);

/// The IFF files of a global folder, `count` files of about `bytes` each, named "Global%04d.iff".
struct CNamedFile
{
    std::string name;
    std::vector<std::uint8_t> bytes;
};
std::vector<CNamedFile> BuildGlobalFiles(std::size_t count, std::size_t bytes, std::uint32_t seed);

/// The lines of a long script. Straight: each line goes on to the next on success and returns FALSE
/// on failure, as the game's long scripts mostly do. Branching: besides that, jumps forward, loops
/// back and every exit, on either target.
std::vector<CBhavInstruction> BuildScriptLines(std::size_t lines, bool branching, std::uint32_t seed);

/// Writes `bytes` to `path`; false on failure.
bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
