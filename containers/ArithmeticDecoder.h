#pragma once

#include "ByteStream.h"

#include <cstdint>
#include <span>
#include <vector>

class CImageBytes;
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
        MemoryFailure   // no memory, or the output would pass the output limit
    };

    /// Decodes everything from the input's position to its end into `output`. "FAILURE" and
    /// "MEMORY FAILURE" are shown through the prompt (none: not shown); on either, `output`
    /// is left without the partial result.
    EResult Decode(CByteStream& input, CByteStream& output, CUserPrompt* prompt = nullptr);

    /// Decodes coded bytes already in memory; `output` is replaced by the decoded bytes, or
    /// emptied on a failure. Saves the copy into a stream for callers that hold the bytes.
    EResult Decode(std::span<const std::uint8_t> coded, std::vector<std::uint8_t>& output,
                   CUserPrompt* prompt = nullptr);

    /// Decodes coded bytes in place (no copy of them is made) into `output`, a heap block that
    /// starts with room for `initialCapacity` bytes and ends exactly as long as the decoded bytes;
    /// empty on a failure. A container read takes the block as its image.
    EResult Decode(std::span<const std::uint8_t> coded, CImageBytes& output, std::uint64_t initialCapacity,
                   CUserPrompt* prompt = nullptr) const;

    /// Lowers (or raises) the output limit of this decoder; kMaxOutputBytes unless set.
    void SetMaxOutputBytes(std::uint64_t limit) { m_maxOutputBytes = limit; }
    std::uint64_t MaxOutputBytes() const { return m_maxOutputBytes; }

    /// The room to make once an output of `capacity` bytes is full, after `consumed` of
    /// `codedCount` coded bytes: the output expected at the ratio so far, at least a quarter more
    /// (and 4 KiB), never past `limit`. Until a coded byte has been consumed there is no ratio:
    /// an empty body is decoded from filler alone and gets only the least step.
    static std::uint64_t GrownCapacity(std::uint64_t capacity, std::uint64_t consumed, std::uint64_t codedCount,
                                       std::uint64_t limit);

private:
    std::uint64_t m_maxOutputBytes = kMaxOutputBytes;
};
