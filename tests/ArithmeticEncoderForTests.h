#pragma once

// The encoder half of the adaptive order-0 arithmetic coder of Witten, Neal and Cleary (CACM,
// 1987), as published: same model, bit-plus-follow, an end-of-stream symbol, two closing bits,
// bits packed into bytes least significant first. The program itself never writes coded files;
// tests, fuzzers, benchmarks and the sample generator use this to make them.

#include <cstdint>
#include <span>
#include <vector>

/// The coded form of `plain`, ending with the end-of-stream symbol.
std::vector<std::uint8_t> EncodeArithmetic(std::span<const std::uint8_t> plain);

/// A version 3.0 file: a 64-byte "IFF FILE 3.0" header followed by the coded `plainImage`
/// (itself a whole 2.x file with its own header).
std::vector<std::uint8_t> MakeCodedIffFile(const std::vector<std::uint8_t>& plainImage);
