#include "TestSources.hpp"

#include "scene/Spring.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr std::uint32_t top = ScriptedSources::largest;
constexpr CGSize area { 100, 100 };

// Draws of exactly 2^30 put every starting velocity and acceleration within 1e-8 of zero.
constexpr std::uint32_t nearMiddle = 1u << 30;

}

TEST(Walker, BouncesOnlyWhenStrictlyPastTheMargin)
{
    ScriptedSources sources({ top });
    Walker pastRight(PVector(94.5f, 50));
    float vx = pastRight.getVelocity().getX();
    pastRight.checkEdges_Walker(area);
    EXPECT_EQ(pastRight.getLocationX(), 94.0f);
    EXPECT_EQ(pastRight.getVelocity().getX(), -vx);
    EXPECT_EQ(pastRight.getLocationY(), 50.0f);

    Walker onMargin(PVector(6, 94));
    onMargin.checkEdges_Walker(area);
    EXPECT_EQ(onMargin.getLocationX(), 6.0f);
    EXPECT_EQ(onMargin.getVelocity().getX(), vx);

    Walker pastTop(PVector(50, 5));
    pastTop.checkEdges_Walker(area);
    EXPECT_EQ(pastTop.getLocationY(), 6.0f);
    EXPECT_EQ(pastTop.getVelocity().getY(), -vx);
}

TEST(Spring, LinkForcePullsOrPushesTowardsTheRestLength)
{
    ScriptedSources sources({ nearMiddle });
    Spring scene(CGSize { 1000, 1000 });
    auto forceOn = [&](float x, float y) {
        Bob bob(PVector(x, y));
        PVector force = scene.linkForce(bob, 100, 100);
        return std::pair { force.getX(), force.getY() };
    };
    EXPECT_EQ(forceOn(250, 100), std::pair(-1.0f, 0.0f)) << "150 long pulls back with 1.0";
    EXPECT_EQ(forceOn(100, 50), std::pair(0.0f, -1.0f)) << "50 long pushes away with 1.0";
    EXPECT_EQ(forceOn(100, 200), std::pair(0.0f, 0.0f)) << "100 long is at rest";
    EXPECT_EQ(forceOn(100, 100), std::pair(0.0f, 0.0f)) << "a bob on its leader has no direction";
}

TEST(Spring, StaysFiniteAndInsideTheMarginOverALongRun)
{
    SeededSources sources(2026);
    constexpr CGSize screen { 1920, 1080 };
    Spring scene(screen);
    auto inside = [&](float x, float y) {
        return std::isfinite(x) && std::isfinite(y) && x >= 6 && x <= screen.width - 6 && y >= 6
            && y <= screen.height - 6;
    };
    for (int frame = 0; frame < 100000; ++frame) {
        scene._update();
        ASSERT_TRUE(inside(scene.anchor().getLocationX(), scene.anchor().getLocationY())) << "frame " << frame;
        for (const Bob& bob : scene.bobs())
            ASSERT_TRUE(inside(bob.getLocationX(), bob.getLocationY())) << "frame " << frame;
    }
}
