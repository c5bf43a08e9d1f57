#pragma once

#include <array>
#include <cstdint>

/// Target values that leave the script instead of naming a line.
constexpr std::uint8_t kTargetError = 253;
constexpr std::uint8_t kTargetTrue = 254;   // return "Success"
constexpr std::uint8_t kTargetFalse = 255;  // return "Failure"

/// Whether a target names a line (which need not exist) rather than an exit.
constexpr bool IsLineTarget(std::uint8_t target)
{
    return target < kTargetError;
}

/// Opcodes by range: primitives below 256, then calls into the global file's scripts, the open
/// file's own (its private scripts) and the semi-global file's.
constexpr std::uint16_t kFirstGlobalScript = 256;
constexpr std::uint16_t kFirstPrivateScript = 4096;
constexpr std::uint16_t kFirstSemiGlobalScript = 8192;

/// One SimAntics instruction: 12 bytes in the chunk.
struct CBhavInstruction
{
    static constexpr std::size_t kSize = 12;

    std::uint16_t opcode = 0;
    std::uint8_t trueTarget = kTargetTrue;
    std::uint8_t falseTarget = kTargetFalse;
    std::array<std::uint16_t, 4> params{};  // the operand bytes as four little-endian numbers

    bool operator==(const CBhavInstruction&) const = default;
};
