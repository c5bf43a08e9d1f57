#pragma once

#include <cstddef>

/// Runs the decoder's interval arithmetic alone for `symbols` symbols: the division that names
/// the target, the two that narrow the interval and the renormalising shift, in the same chain
/// of dependent steps as a real decode, but with a model that costs nothing (fixed slices of a
/// fixed total) over arbitrary input bits. Its time is a floor under any decoder of the format
/// on this processor, so the published decoder's time over it is the largest speed-up any model
/// could give. Returns seconds.
double TimeCoderArithmeticOnly(std::size_t symbols);
