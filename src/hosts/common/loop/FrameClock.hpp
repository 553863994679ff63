#pragma once

#include <chrono>
#include <cstdint>

// When frames are due: on a grid of absolute deadlines laid from the moment
// the animation starts, so that late wake-ups never add up to drift. A frame
// that comes too late to make several deadlines counts for all of them: there
// is never a burst of frames to catch up. The grid's step is the view's
// interval, or the least delay the user asked for when that is longer: a
// delay can slow the frames down, never speed them up.
class FrameClock {
public:
    using Clock = std::chrono::steady_clock;

    explicit FrameClock(double viewIntervalSeconds, std::chrono::microseconds leastDelay = {});

    double intervalSeconds() const { return _intervalSeconds; }

    // Lays a new grid whose first deadline is `now`.
    void start(Clock::time_point now);
    bool isDue(Clock::time_point now) const { return now >= _nextDeadline; }
    // Moves on to the first deadline of the grid that lies after `now`.
    void frameDone(Clock::time_point now);
    Clock::time_point nextDeadline() const { return _nextDeadline; }

private:
    Clock::time_point deadline(std::int64_t index) const;

    double _intervalSeconds;
    Clock::time_point _origin;
    std::int64_t _index = 0;
    Clock::time_point _nextDeadline;
};
