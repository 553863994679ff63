#include "TestSources.hpp"

#include "scene/Spring.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

TEST(Walker, BouncesOnlyWhenStrictlyPastTheMargin)
{
    ScriptedSources sources({ ScriptedSources::largest });
    struct Case {
        float x, y, bouncedX, bouncedY;
        bool flipsX, flipsY;
    };
    for (auto [x, y, bouncedX, bouncedY, flipsX, flipsY] : { Case { 94.5f, 50, 94, 50, true, false },
             Case { 6, 94, 6, 94, false, false }, Case { 50, 5, 50, 6, false, true },
             Case { 5.5f, 94.5f, 6, 94, true, true } }) {
        Walker walker(PVector(x, y));
        float vx = walker.getVelocity().getX(), vy = walker.getVelocity().getY();
        walker.checkEdges_Walker(CGSize { 100, 100 });
        EXPECT_EQ(walker.getLocationX(), bouncedX) << x << ", " << y;
        EXPECT_EQ(walker.getLocationY(), bouncedY) << x << ", " << y;
        EXPECT_EQ(walker.getVelocity().getX(), flipsX ? -vx : vx) << x << ", " << y;
        EXPECT_EQ(walker.getVelocity().getY(), flipsY ? -vy : vy) << x << ", " << y;
    }
}

TEST(Spring, LinkForcePullsOrPushesTowardsTheRestLength)
{
    // Draws of exactly 2^30 put every starting velocity and acceleration within 1e-8 of zero.
    ScriptedSources sources({ 1u << 30 });
    Spring scene(CGSize { 1000, 1000 });
    auto forceOn = [&](float x, float y) {
        PVector force = scene.linkForce(Bob(PVector(x, y)), 100, 100);
        return std::pair { force.getX(), force.getY() };
    };
    EXPECT_EQ(forceOn(250, 100), std::pair(-1.0f, 0.0f)) << "150 long pulls back with 1.0";
    EXPECT_EQ(forceOn(100, 50), std::pair(0.0f, -1.0f)) << "50 long pushes away with 1.0";
    EXPECT_EQ(forceOn(100, 200), std::pair(0.0f, 0.0f)) << "100 long is at rest";
    EXPECT_EQ(forceOn(100, 100), std::pair(0.0f, 0.0f)) << "a bob on its leader has no direction";
}

TEST(Spring, StaysFiniteAndInsideTheMarginOverALongRun)
{
    RandomSources seeded = RandomSources::seeded(2026);
    FrameContext context(seeded);
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
