#include "loop/FrameClock.hpp"

#include <gtest/gtest.h>

using namespace std::chrono;

namespace {

// Frames come on a grid of absolute deadlines: late frames never make it
// drift, and after a stall the next frame waits for the next deadline instead
// of catching up in a burst.
TEST(FrameClock, KeepsToItsGridWithoutDriftOrBursts)
{
    constexpr double interval = 1.0 / 30;
    FrameClock::Clock::time_point origin {};
    auto gridPoint = [&](int index) { return origin + round<nanoseconds>(duration<double>(index * interval)); };
    FrameClock clock(interval);
    clock.start(origin);
    EXPECT_TRUE(clock.isDue(origin));
    // Five minutes of frames, each 7 ms late, and still on the grid.
    for (int frame = 1; frame <= 9000; ++frame)
        clock.frameDone(clock.nextDeadline() + 7ms);
    EXPECT_EQ(clock.nextDeadline(), gridPoint(9000));

    auto afterStall = gridPoint(9045) + 1ms;
    clock.frameDone(afterStall);
    EXPECT_EQ(clock.nextDeadline(), gridPoint(9046));
    EXPECT_FALSE(clock.isDue(afterStall));
    // Exactly on a deadline, that deadline counts as met.
    clock.frameDone(gridPoint(9046));
    EXPECT_EQ(clock.nextDeadline(), gridPoint(9047));

    // A least delay (-delay) longer than the view's interval lays a wider grid; a shorter one changes nothing.
    EXPECT_EQ(FrameClock(interval, 100ms).intervalSeconds(), 0.1);
    EXPECT_EQ(FrameClock(interval, 1ms).intervalSeconds(), interval);
    EXPECT_EQ(FrameClock(interval, 33334us).intervalSeconds(), 0.033334);
}

}
