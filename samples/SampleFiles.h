#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The bundled sample: a small game data folder of our own invention and an object whose scripts
// call into it. Every file is made with the core library, as the editor would save it.

/// GameData/Global/Global.iff: the named global scripts (ids 256 and up).
std::vector<std::uint8_t> BuildSampleGlobalFile();
/// The semi-global file "Seating.iff" (scripts from id 8192), packed in the archive.
std::vector<std::uint8_t> BuildSampleSemiGlobalFile();
/// A second global file, "Ambience.iff", packed in the archive.
std::vector<std::uint8_t> BuildSampleSecondGlobalFile();
/// GameData/Global/Objects.far: the semi-global file, the second global file, and a copy of
/// Global.iff that the loader skips because the loose file came first.
std::vector<std::uint8_t> BuildSampleArchive();
/// "Sample Object.iff": private scripts with every primitive form, both string-table layouts, an
/// interaction table with its names, constant tables, the semi-global reference, and an object
/// definition (version 142) with its function table naming the scripts.
std::vector<std::uint8_t> BuildSampleObject();

/// Writes the whole sample below `folder` (created when missing): GameData/Global/Global.iff,
/// GameData/Global/Objects.far and "Sample Object.iff". False with a reason on failure.
bool WriteSampleFolder(const std::string& folder, std::string& error);
