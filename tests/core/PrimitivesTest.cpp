#include "primitives/PVector.hpp"
#include "primitives/QZColor.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(PVector, LimitScalesOnlyWhatIsStrictlyLonger)
{
    PVector longer(12, 16);
    longer.limit(10);
    EXPECT_EQ(longer.getX(), 6.0f);
    EXPECT_EQ(longer.getY(), 8.0f);

    PVector exact(6, 8);
    exact.limit(10);
    EXPECT_EQ(exact.getX(), 6.0f);
    EXPECT_EQ(exact.getY(), 8.0f);

    PVector zero(0, 0);
    zero.limit(10);
    EXPECT_EQ(zero.getX(), 0.0f);
    EXPECT_EQ(zero.getY(), 0.0f);

    PVector notANumber(std::numeric_limits<float>::quiet_NaN(), 3);
    notANumber.limit(10);
    EXPECT_TRUE(std::isnan(notANumber.getX()));
    EXPECT_EQ(notANumber.getY(), 3.0f);
}

TEST(QZColor, ClampsEveryWrite)
{
    QZColor color(-3, 300, 0.5f);
    EXPECT_EQ(color.getRed(), 0.0f);
    EXPECT_EQ(color.getGreen(), 255.0f);
    EXPECT_EQ(color.getBlue(), 0.5f);

    color.setGreen(400);
    EXPECT_EQ(color.getGreen(), 255.0f);
    color.addBlue(-1);
    EXPECT_EQ(color.getBlue(), 0.0f);

    EXPECT_EQ(QZColor::contain(-0.5f), 0.0f);
    EXPECT_EQ(QZColor::contain(300), 255.0f);
    EXPECT_EQ(QZColor::contain(255), 255.0f);
    EXPECT_EQ(QZColor::contain(0), 0.0f);
    EXPECT_TRUE(std::isnan(QZColor::contain(std::numeric_limits<float>::quiet_NaN())));
}

TEST(QZColor, AddsAllChannelsBeforeClamping)
{
    QZColor color(200, 10, 0);
    color.add(color);
    EXPECT_EQ(color.getRed(), 255.0f);
    EXPECT_EQ(color.getGreen(), 20.0f);
    EXPECT_EQ(color.getBlue(), 0.0f);
}

