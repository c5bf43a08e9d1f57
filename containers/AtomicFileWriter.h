#pragma once

#include "ByteStream.h"

#include <functional>
#include <string>

/// Writes a file so that it is either wholly replaced or left as it was: the content goes to a
/// temporary file in the same folder, which is renamed over the target only after every byte
/// has been written and flushed. `write` returns false to abandon the write.
/// On failure `error` says why and no temporary file is left behind.
bool WriteFileAtomically(const std::string& path, const std::function<bool(CByteStream&)>& write,
                         std::string* error = nullptr);
