#pragma once

#include <cstdint>
#include <span>
#include <vector>

/// The decoder of Witten, Neal and Cleary (Communications of the ACM 30(6), 1987) as the paper
/// prints it: one bit at a time, a linear search down the cumulative frequencies, three divisions
/// per symbol. Only its input and output are memory instead of stdin and stdout, and its "Bad
/// input file" exit becomes a false result. It is the yardstick the decoder is measured against.
bool PublishedDecode(std::span<const std::uint8_t> coded, std::vector<std::uint8_t>& output);
