#include "loop/FrameClock.hpp"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr double interval = 1.0 / 30;

FrameClock::Clock::time_point gridPoint(FrameClock::Clock::time_point origin, int index)
{
    return origin + std::chrono::round<FrameClock::Clock::duration>(std::chrono::duration<double>(index * interval));
}

TEST(FrameClock, LateFramesDoNotPushTheDeadlinesBack)
{
    FrameClock clock(interval);
    FrameClock::Clock::time_point origin {};
    clock.start(origin);
    EXPECT_TRUE(clock.isDue(origin));
    for (int frame = 1; frame <= 9000; ++frame)
        clock.frameDone(clock.nextDeadline() + 7ms);
    // Five minutes of frames, each 7 ms late, and still on the grid.
    EXPECT_EQ(clock.nextDeadline(), gridPoint(origin, 9000));
}

TEST(FrameClock, AfterAStallTheNextFrameWaitsForTheNextDeadline)
{
    FrameClock clock(interval);
    FrameClock::Clock::time_point origin {};
    clock.start(origin);
    auto afterStall = gridPoint(origin, 45) + 1ms;
    clock.frameDone(afterStall);
    EXPECT_EQ(clock.nextDeadline(), gridPoint(origin, 46));
    EXPECT_FALSE(clock.isDue(afterStall));
    // Exactly on a deadline, that deadline counts as met.
    clock.frameDone(gridPoint(origin, 46));
    EXPECT_EQ(clock.nextDeadline(), gridPoint(origin, 47));
}

TEST(FrameClock, StartingAgainLaysANewGridFromNow)
{
    FrameClock clock(interval);
    clock.start(FrameClock::Clock::time_point {});
    clock.frameDone(FrameClock::Clock::time_point {} + 1ms);
    auto restart = FrameClock::Clock::time_point {} + 10s + 5ms;
    clock.start(restart);
    EXPECT_TRUE(clock.isDue(restart));
    clock.frameDone(restart + 2ms);
    EXPECT_EQ(clock.nextDeadline(), gridPoint(restart, 1));
}

}
