#pragma once

#include "ByteStream.h"

#include <cstdint>

class CUserPrompt;

/// Decodes the body of a version 3.0 container: an adaptive order-0 arithmetic code (Witten,
/// Neal and Cleary, 1987) of a complete 2.x image.
class CArithmeticDecoder
{
public:
    /// Output beyond this many bytes ends the decoding with "MEMORY FAILURE".
    static constexpr std::uint64_t kMaxOutputBytes = std::uint64_t(1) << 30;

    enum class EResult
    {
        Ok,
        Failure,        // the coded bytes ran out before the end-of-stream symbol
        MemoryFailure   // no memory, or the output would pass kMaxOutputBytes
    };

    /// Decodes everything from the input's position to its end into `output`. "FAILURE" and
    /// "MEMORY FAILURE" are shown through the prompt (none: not shown); on either, `output`
    /// is left without the partial result.
    EResult Decode(CByteStream& input, CByteStream& output, CUserPrompt* prompt = nullptr);
};
