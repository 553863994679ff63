#pragma once

#include <chrono>
#include <cstddef>
#include <ctime>

// --fps: once a second, one line on standard error with the frames drawn in
// that second on all outputs together, and the share of one core the program
// used for them.
class FpsReport {
public:
    using Clock = std::chrono::steady_clock;

    explicit FpsReport(Clock::time_point now);

    void frameDrawn() { ++_frames; }
    // Prints the line when a second has passed since the last one.
    void update(Clock::time_point now, std::size_t outputs);
    Clock::time_point nextReport() const { return _since + std::chrono::seconds(1); }

private:
    Clock::time_point _since;
    std::clock_t _processorSince;
    int _frames = 0;
};
