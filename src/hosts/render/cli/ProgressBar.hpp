#pragma once

#include <chrono>
#include <string>

// A one-line progress report on standard error: frames done, frames per
// second and time left, redrawn in place a few times a second.
class ProgressBar {
public:
    // Shows nothing unless `shown`; the renderer asks for it only on a terminal.
    ProgressBar(int totalFrames, bool shown);
    // Clears the line, so that whatever is printed next starts on a clean one.
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(int framesDone);

    // The line itself, such as "[#####     ]   150/300 frames   42.0 fps   0:03 left".
    static std::string describe(int framesDone, int totalFrames, double secondsElapsed);

private:
    using Clock = std::chrono::steady_clock;

    int _totalFrames;
    bool _shown;
    bool _drawn = false;
    Clock::time_point _start;
    Clock::time_point _lastDrawn;
};
