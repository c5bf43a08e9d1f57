#pragma once

#include <cstdint>
#include <span>
#include <string>

// Each check feeds arbitrary bytes to one part of the core and tests what must hold for any
// input, beyond not crashing. An empty result means every property held; otherwise the result
// names the property that broke. The fuzz targets abort on a broken property; the regression
// tests replay held inputs and the committed seed corpora through the same checks.
//
// The container check codes plain images with the test encoder (EncodeArithmetic), which the
// program that links this library must provide.

/// Reads the bytes as a container file, walks its directory, puts and removes a chunk, writes it
/// to memory and reads that back: the directory and chunk data must survive, and saving the
/// re-read container must give the same bytes. A plain file that reads is also coded as a 3.0
/// file, which must read as the same image.
std::string CheckContainerBytes(std::span<const std::uint8_t> bytes);

/// Opens the bytes as a FAR archive and extracts every member: exactly the members whose range
/// lies inside the file extract, with their bytes. The first members are also read as containers.
std::string CheckArchiveBytes(std::span<const std::uint8_t> bytes);

/// Loads every record kind from the bytes as chunk data (script, both string-table types,
/// constants, interactions in both layouts, the semi-global reference, object definitions and
/// function tables). A record that loads must
/// store and load again as the same record, as far as its layout can hold it.
std::string CheckRecordBytes(std::span<const std::uint8_t> bytes);

/// Renders instructions taken from the bytes in both texts, with an index of file and script
/// names taken from them.
std::string CheckRenderingBytes(std::span<const std::uint8_t> bytes);
