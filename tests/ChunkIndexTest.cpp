#include "containers/ChunkIndex.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

// The index against a plain ordered map, through long random runs of the directory's changes: first
// entries noted, removed entries forgotten, positions closing up behind a removal. Keys are drawn
// from few types and ids so that runs of colliding slots form, grow and are broken by erasing.
TEST(ChunkIndex, AgreesWithAMapThroughRandomChanges)
{
    for (std::uint32_t seed = 1; seed <= 40; ++seed)
    {
        std::mt19937 random(seed);
        const auto below = [&](std::uint32_t n) { return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(random); };
        CChunkIndex index;
        std::map<std::uint64_t, std::size_t> expected;
        const std::uint32_t keyRange = seed % 2 == 0 ? 20 : 3000;
        for (int op = 0; op < 4000; ++op)
        {
            const std::uint64_t key = CChunkIndex::Key(0x42484156 + below(3), std::uint16_t(below(keyRange)));
            const std::uint32_t choice = below(10);
            if (choice < 6)
            {
                const std::size_t position = below(100000);
                index.Insert(key, position);
                expected.emplace(key, position);
            }
            else if (choice < 9)
            {
                index.Erase(key);
                expected.erase(key);
            }
            else
            {
                const std::size_t gap = below(100000);
                index.CloseGapAt(gap);
                for (auto& [k, position] : expected)
                    if (position > gap)
                        --position;
            }
            const std::uint64_t probe = CChunkIndex::Key(0x42484156 + below(3), std::uint16_t(below(keyRange)));
            const auto found = expected.find(probe);
            ASSERT_EQ(index.Find(probe), found == expected.end() ? CChunkIndex::kNone : found->second)
                << "seed " << seed << ", step " << op;
        }
        for (const auto& [key, position] : expected)
            ASSERT_EQ(index.Find(key), position) << "seed " << seed;
    }
}
