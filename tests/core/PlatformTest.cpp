#include "drawing/DrawingSurface.hpp"
#include "platform/RandomSources.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

#if defined(__GLIBC__)
// The streams are written out in plain C++ so that Windows and the browser draw
// the same numbers; here they must match the C library itself, seed for seed.
TEST(RandomSources, SeededStreamsMatchTheCLibraryForEverySeed)
{
    std::vector<std::uint32_t> seeds = { 0, 1, 2, 127773, 2147483646, 2147483647, 2147483648u, 2147483649u,
        4294967294u, 4294967295u, 20261206 };
    for (std::uint32_t seed = 3; seeds.size() < 5000; seed = seed * 2654435761u + 97)
        seeds.push_back(seed);

    for (std::uint32_t seed : seeds) {
        RandomSources sources = RandomSources::seeded(seed);
        srandom(seed);
        unsigned int randState = seed;
        unsigned int arc4State = seed ^ 0xFFFFFFFFu;
        int draws = seed == 20261206 ? 100000 : 40;
        for (int i = 0; i < draws; ++i) {
            ASSERT_EQ(sources.random(), static_cast<std::uint32_t>(random())) << "seed " << seed << ", draw " << i;
            ASSERT_EQ(sources.rand(), static_cast<std::uint32_t>(rand_r(&randState))) << "seed " << seed;
            ASSERT_EQ(sources.arc4random(), static_cast<std::uint32_t>(rand_r(&arc4State))) << "seed " << seed;
        }
    }
}
#endif

// Outside any frame nothing is drawn, and each thread draws from the C
// library's default state, random() and rand() as separate streams.
TEST(RandomSources, OutsideAFrameEachThreadStartsFromTheDefaultState)
{
    std::vector<std::uint32_t> drawn;
    std::thread([&] {
        EXPECT_EQ(DrawingSurface::current(), nullptr);
        for (int i = 0; i < 50; ++i)
            drawn.push_back(RandomSources::current().random());
        drawn.push_back(RandomSources::current().rand());
    }).join();
    srandom(1);
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(drawn[i], static_cast<std::uint32_t>(random())) << "draw " << i;
    srandom(1);
    EXPECT_EQ(drawn.back(), static_cast<std::uint32_t>(random())) << "rand() has a state of its own";
}
