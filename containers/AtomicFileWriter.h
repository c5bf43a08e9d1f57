#pragma once

#include "ByteStream.h"
#include "Result.h"

#include <functional>
#include <string>

/// Why a file could not be written; the failure's place names the file and its detail carries the
/// system's words.
enum class EFileWrite
{
    Ok,
    CannotCreate,   // no temporary file could be made in the target's folder
    WriteFailed,    // the content did not go out whole (no detail: the writer gave up)
    CannotReplace,  // the temporary file could not be renamed over the target
};

/// Writes a file so that it is either wholly replaced or left as it was: the content goes to a
/// temporary file in the same folder, which is renamed over the target only after every byte
/// has been written and flushed. `write` returns false to abandon the write. On failure no
/// temporary file is left behind.
[[nodiscard]] CStatus<EFileWrite> WriteFileAtomically(const std::string& path,
                                                      const std::function<bool(CByteStream&)>& write);

/// The words for a failed write, with the file's path ("Cannot replace PATH: reason").
std::string FileWriteFailureText(const CFailure<EFileWrite>& failure);
