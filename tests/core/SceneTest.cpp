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

TEST(Bob, CapsTheSpeedBeforeDamping)
{
    ScriptedSources sources({ nearMiddle });
    Bob bob(PVector(0, 50));
    bob.applyForce_Bob(PVector(20, 0));
    bob.update_Bob(CGSize { 1000, 1000 });
    EXPECT_NEAR(bob.getVelocity().getX(), 9.97f, 1e-5);
    EXPECT_NEAR(bob.getLocationX(), 9.97f, 1e-5);

    // Speed 10 exactly is not capped; damping alone takes off 0.3 %.
    Bob steady(PVector(500, 500));
    steady.applyForce_Bob(PVector(6, 8));
    steady.update_Bob(CGSize { 1000, 1000 });
    EXPECT_NEAR(steady.getVelocity().getX(), 0.997f * 6, 1e-5);
    EXPECT_NEAR(steady.getVelocity().getY(), 0.997f * 8, 1e-5);
}

TEST(Spring, StartsWithTheAnchorCentredAndBobsInASquareAroundIt)
{
    for (std::uint32_t seed : { 1u, 2u, 3u, 99u }) {
        for (CGSize size : { CGSize { 1920, 1080 }, CGSize { 160, 90 } }) {
            SeededSources sources(seed);
            Spring scene(size);
            EXPECT_EQ(scene.anchor().getLocationX(), static_cast<float>(size.width / 2));
            EXPECT_EQ(scene.anchor().getLocationY(), static_cast<float>(size.height / 2));
            ASSERT_EQ(scene.bobs().size(), 5u);
            ASSERT_EQ(scene.vorpies().size(), 5u);
            for (const Bob& bob : scene.bobs()) {
                EXPECT_LE(std::abs(bob.getLocationX() - scene.anchor().getLocationX()), 100.0f);
                EXPECT_LE(std::abs(bob.getLocationY() - scene.anchor().getLocationY()), 100.0f);
            }
        }
    }
}

TEST(Spring, ColourCounterStartsClampedAndRisesByItsIncrements)
{
    {
        ScriptedSources lowest({ 0 });
        Spring scene(CGSize { 300, 300 });
        EXPECT_EQ(scene.colorCounter().getRed(), 1.0f);
        EXPECT_EQ(scene.colorCounter().getGreen(), 0.0f);
        EXPECT_EQ(scene.colorCounter().getBlue(), 0.0f) << "blue drawn at -3";
    }
    ScriptedSources highest({ top });
    Spring scene(CGSize { 300, 300 });
    EXPECT_EQ(scene.colorCounter().getRed(), 4.0f);
    EXPECT_EQ(scene.colorCounter().getGreen(), 0.0f);
    EXPECT_EQ(scene.colorCounter().getBlue(), 3.0f);
    EXPECT_EQ(scene.colorIncrements().getRed(), 0.002f);
    scene._update();
    EXPECT_EQ(scene.colorCounter().getRed(), 4.0f + 0.002f);
    EXPECT_EQ(scene.colorCounter().getGreen(), 0.0f + 0.002f);
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

TEST(Spring, EachLinkSeesItsLeaderWhereItMovedThisFrame)
{
    SeededSources sources(11);
    Spring scene(CGSize { 1920, 1080 });
    const Bob& leader = scene.bobs()[0];
    const Bob& follower = scene.bobs()[1];
    float leaderOldX = leader.getLocationX();
    float leaderOldY = leader.getLocationY();
    float oldX = follower.getLocationX();
    float oldY = follower.getLocationY();
    float vx = follower.getVelocity().getX();
    float vy = follower.getVelocity().getY();
    float ax = follower.getAcceleration().getX();
    float ay = follower.getAcceleration().getY();

    scene._update();

    Bob followerBefore(PVector(oldX, oldY));
    auto velocityAfter = [&](const PVector& force) {
        PVector acceleration(ax, ay);
        acceleration.add(force);
        PVector velocity(vx, vy);
        velocity.add(acceleration);
        velocity.limit(10);
        velocity.mult(0.997f);
        return std::pair(velocity.getX(), velocity.getY());
    };
    auto sequential = velocityAfter(scene.linkForce(followerBefore, leader.getLocationX(), leader.getLocationY()));
    auto snapshot = velocityAfter(scene.linkForce(followerBefore, leaderOldX, leaderOldY));
    ASSERT_NE(sequential, snapshot);
    EXPECT_EQ(std::pair(follower.getVelocity().getX(), follower.getVelocity().getY()), sequential);
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
