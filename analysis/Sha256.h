#pragma once

#include <cstdint>
#include <span>
#include <string>

/// The SHA-256 digest of `bytes` (FIPS 180-4) as 64 lower-case hexadecimal digits: how the stable
/// text of a file stands for a record it cannot show, so that any change of its bytes shows.
std::string Sha256Hex(std::span<const std::uint8_t> bytes);
