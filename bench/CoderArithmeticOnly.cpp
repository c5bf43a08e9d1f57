#include "CoderArithmeticOnly.h"

#include <bit>
#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

double TimeCoderArithmeticOnly(std::size_t symbols)
{
    constexpr std::uint32_t kTopValue = 0xFFFF;
    constexpr std::uint32_t kTotal = 16000;
    constexpr std::uint32_t kSlice = 64;
    constexpr std::size_t kWords = 1 << 16;
    std::vector<std::uint32_t> input(kWords);
    std::mt19937 random(1);
    for (std::uint32_t& word : input)
        word = random();

    const auto start = std::chrono::steady_clock::now();
    std::uint32_t low = 0;
    std::uint32_t high = kTopValue;
    std::uint32_t value = input[0] >> 16;
    std::uint64_t bitsTaken = 0;
    for (std::size_t n = 0; n < symbols; ++n)
    {
        const std::uint32_t range = high - low + 1;
        const std::uint32_t target = ((value - low + 1) * kTotal - 1) / range;
        const std::uint32_t below = target / kSlice * kSlice;
        const std::uint32_t above = std::min(below + kSlice, kTotal);
        high = low + (range * above) / kTotal - 1;
        low = low + (range * below) / kTotal;
        const unsigned agreeing = unsigned(std::countl_zero(std::uint16_t(low ^ high)));
        const std::uint32_t word = input[(bitsTaken / 32) % kWords];
        bitsTaken += agreeing;
        low = (low << agreeing) & kTopValue;
        high = ((high << agreeing) | ((1u << agreeing) - 1)) & kTopValue;
        value = ((value << agreeing) | (word & ((1u << agreeing) - 1))) & kTopValue;
        // Arbitrary bits can leave the interval; a real stream never does.
        value = std::min(std::max(value, low), high);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Keeps the loop from being optimised away.
    volatile std::uint32_t sink = low ^ value;
    (void)sink;
    return seconds;
}
