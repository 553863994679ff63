#include "TestSources.hpp"

#include "platform/RandomSources.hpp"
#include "primitives/RandomHelpers.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr std::uint32_t largestBelowTwoToThe31AsFloat = 2147483583; // 2^31 - 65

}

TEST(RandomIntBetween, RisingBoundsIncludeBothEnds)
{
    ScriptedSources sources({ 0, ScriptedSources::largest, largestBelowTwoToThe31AsFloat, 1073741824 });
    EXPECT_EQ(SSRandomIntBetween(7, 14), 7);
    EXPECT_EQ(SSRandomIntBetween(7, 14), 7) << "the values that round up to 2^31 fall back to the lower bound";
    EXPECT_EQ(SSRandomIntBetween(7, 14), 14);
    EXPECT_EQ(SSRandomIntBetween(7, 14), 11);
    EXPECT_EQ(sources.randomDraws(), 4u);
}

TEST(RandomIntBetween, FallingBoundsAndSingleValue)
{
    ScriptedSources sources({ ScriptedSources::largest, largestBelowTwoToThe31AsFloat, 0, 5, ScriptedSources::largest });
    EXPECT_EQ(SSRandomIntBetween(14, 7), 14);
    EXPECT_EQ(SSRandomIntBetween(14, 7), 7);
    EXPECT_EQ(SSRandomIntBetween(14, 7), 14);
    EXPECT_EQ(SSRandomIntBetween(5, 5), 5);
    EXPECT_EQ(SSRandomIntBetween(5, 5), 5);
}

TEST(RandomFloatBetween, ReachesBothBounds)
{
    ScriptedSources sources({ 0, ScriptedSources::largest, 12345 });
    EXPECT_EQ(SSRandomFloatBetween(0, 0.002), 0.0);
    EXPECT_EQ(SSRandomFloatBetween(0, 0.002), 0.002);
    EXPECT_EQ(SSRandomFloatBetween(-2.5, -2.5), -2.5);
    EXPECT_EQ(sources.randomDraws(), 3u);
}

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

TEST(RandomSources, UnseededStreamsStartFromTheDefaultStateAndStaySeparate)
{
    RandomSources sources = RandomSources::unseeded();
    srandom(1);
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(sources.random(), static_cast<std::uint32_t>(random()));
    // rand() has not been touched by the random() draws above.
    srandom(1);
    ASSERT_EQ(sources.rand(), static_cast<std::uint32_t>(random()));
}
