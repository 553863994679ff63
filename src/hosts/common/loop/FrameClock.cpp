#include "loop/FrameClock.hpp"

#include <algorithm>
#include <cmath>

FrameClock::FrameClock(double viewIntervalSeconds, std::chrono::microseconds leastDelay)
    : _intervalSeconds(std::max(viewIntervalSeconds, std::chrono::duration<double>(leastDelay).count()))
{
}

void FrameClock::start(Clock::time_point now)
{
    _origin = now;
    _index = 0;
    _nextDeadline = now;
}

void FrameClock::frameDone(Clock::time_point now)
{
    double elapsed = std::chrono::duration<double>(now - _origin).count();
    // Jump straight to about `now` after a long stall; the loop settles the rounding.
    std::int64_t index = std::max(_index + 1, static_cast<std::int64_t>(std::floor(elapsed / _intervalSeconds)));
    while (deadline(index) <= now)
        ++index;
    _index = index;
    _nextDeadline = deadline(index);
}

FrameClock::Clock::time_point FrameClock::deadline(std::int64_t index) const
{
    auto offset = std::chrono::duration<double>(static_cast<double>(index) * _intervalSeconds);
    return _origin + std::chrono::round<Clock::duration>(offset);
}
