#include "loading/OrderedReadAhead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr std::size_t kNever = ~std::size_t(0);

// Items are produced on two threads and consumed in order: whatever the timing, each item is
// consumed once, in order, with its own result; nothing is consumed after a stop or a failure,
// and the helper never runs further ahead than its window.
TEST(OrderedReadAheadTest, ConsumesEveryItemInOrderWithinTheWindow)
{
    struct CCase
    {
        std::size_t count;
        std::size_t window;
        std::size_t stopAt;   // consume returns false for this item
        std::size_t throwAt;  // produce throws for this item
        bool slowProduce;     // the helper finishes out of step with the consumer
    };
    const CCase cases[] = {
        {0, 4, kNever, kNever, false},   {1, 4, kNever, kNever, false}, {200, 1, kNever, kNever, false},
        {200, 8, kNever, kNever, true},  {200, 8, 17, kNever, true},    {200, 8, 0, kNever, false},
        {50, 3, kNever, 20, true},       {50, 3, kNever, 0, false},     {50, 3, 10, 20, false},
        {3, 0, kNever, kNever, false},
    };
    for (const CCase& row : cases)
    {
        SCOPED_TRACE("count " + std::to_string(row.count) + ", window " + std::to_string(row.window) + ", stop " +
                     std::to_string(row.stopAt) + ", throw " + std::to_string(row.throwAt));
        std::mutex lock;
        std::multiset<std::size_t> produced;
        std::vector<std::size_t> consumed;
        std::atomic<std::size_t> consuming{0};
        std::atomic<std::size_t> furthestAhead{0};
        const auto produce = [&](std::size_t i) {
            if (row.slowProduce && i % 3 == 0)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            const std::size_t ahead = i - std::min(i, consuming.load());
            for (std::size_t seen = furthestAhead.load(); ahead > seen && !furthestAhead.compare_exchange_weak(seen, ahead);)
            {
            }
            {
                std::lock_guard<std::mutex> guard(lock);
                produced.insert(i);
            }
            if (i == row.throwAt)
                throw std::runtime_error("item " + std::to_string(i));
            // A result that owns memory, so that one dropped or consumed twice shows.
            return std::make_unique<std::size_t>(i * 7);
        };
        const auto consume = [&](std::size_t i, std::unique_ptr<std::size_t>&& result) {
            EXPECT_EQ(*result, i * 7);
            consumed.push_back(i);
            consuming = i + 1;
            return i != row.stopAt;
        };
        std::string failure;
        try
        {
            COrderedReadAhead<std::unique_ptr<std::size_t>>::Run(row.count, row.window, produce, consume);
        }
        catch (const std::runtime_error& error)
        {
            failure = error.what();
        }

        const std::size_t last = std::min({row.count, row.stopAt == kNever ? kNever : row.stopAt + 1, row.throwAt});
        std::vector<std::size_t> expected;
        for (std::size_t i = 0; i < last; ++i)
            expected.push_back(i);
        EXPECT_EQ(consumed, expected);
        EXPECT_EQ(failure, row.throwAt < row.count && row.throwAt <= row.stopAt ? "item " + std::to_string(row.throwAt) : "");
        for (std::size_t i = 0; i < row.count; ++i)
            EXPECT_LE(produced.count(i), 1U) << "item " << i;
        EXPECT_LE(furthestAhead.load(), row.window);
    }
}
}
