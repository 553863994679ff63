#include "TestSources.hpp"

#include "primitives/PVector.hpp"
#include "primitives/QZColor.hpp"
#include "primitives/RandomHelpers.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr float notANumber = std::numeric_limits<float>::quiet_NaN();
constexpr std::uint32_t top = ScriptedSources::largest;
constexpr std::uint32_t largestBelowTwoToThe31AsFloat = 2147483583; // 2^31 - 65

bool same(float a, float b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

}

TEST(PVector, LimitScalesOnlyWhatIsStrictlyLonger)
{
    // x, y, and the two after limiting to 10.
    const float cases[][4] { { 12, 16, 6, 8 }, { 6, 8, 6, 8 }, { 0, 0, 0, 0 }, { notANumber, 3, notANumber, 3 } };
    for (const auto& [x, y, limitedX, limitedY] : cases) {
        PVector vector(x, y);
        vector.limit(10);
        EXPECT_PRED2(same, vector.getX(), limitedX);
        EXPECT_PRED2(same, vector.getY(), limitedY);
    }
}

TEST(QZColor, ClampsEveryWriteAndAddsAllChannelsBeforeClamping)
{
    // A value, and what a channel holds once it is written.
    const float cases[][2] { { -0.5f, 0 }, { 0, 0 }, { 0.5f, 0.5f }, { 255, 255 }, { 300, 255 }, { notANumber, notANumber } };
    for (const auto& [value, held] : cases) {
        QZColor color(value, 0, 0);
        color.setGreen(value);
        color.addBlue(value);
        EXPECT_PRED2(same, color.getRed(), held);
        EXPECT_PRED2(same, color.getGreen(), held);
        EXPECT_PRED2(same, color.getBlue(), held);
    }
    QZColor color(200, 10, 0);
    color.add(color);
    EXPECT_EQ(color.getRed(), 255.0f);
    EXPECT_EQ(color.getGreen(), 20.0f);
    EXPECT_EQ(color.getBlue(), 0.0f);
}

TEST(RandomHelpers, EachDrawTakesOneValueAndBothBoundsAreReached)
{
    struct Case {
        std::int32_t low, high;
        std::uint32_t value;
        std::int32_t drawn;
    };
    // The 64 values that round up to 2^31 as a float fall back to the first bound.
    for (auto [low, high, value, drawn] : { Case { 7, 14, 0, 7 }, Case { 7, 14, top, 7 },
             Case { 7, 14, largestBelowTwoToThe31AsFloat, 14 }, Case { 7, 14, 1u << 30, 11 },
             Case { 14, 7, 0, 14 }, Case { 14, 7, top, 14 }, Case { 14, 7, largestBelowTwoToThe31AsFloat, 7 },
             Case { 5, 5, 5, 5 }, Case { 5, 5, top, 5 } }) {
        ScriptedSources sources({ value });
        EXPECT_EQ(SSRandomIntBetween(low, high), drawn) << low << ".." << high << " from " << value;
        EXPECT_EQ(sources.randomDraws(), 1u);
    }
    ScriptedSources sources({ 0, top, 12345 });
    EXPECT_EQ(SSRandomFloatBetween(0, 0.002), 0.0);
    EXPECT_EQ(SSRandomFloatBetween(0, 0.002), 0.002);
    EXPECT_EQ(SSRandomFloatBetween(-2.5, -2.5), -2.5);
    EXPECT_EQ(sources.randomDraws(), 3u);
}
