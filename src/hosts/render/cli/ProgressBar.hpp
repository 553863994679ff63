#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A one-line progress report on standard error: frames done, frames per
// second and time left, redrawn in place a few times a second; at the end,
// one line that says what was written.
class ProgressBar {
public:
    // Shows nothing unless `shown`; the renderer asks for it only on a terminal.
    ProgressBar(int totalFrames, bool shown);
    // Clears the line, so that whatever is printed next starts on a clean one.
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(int framesDone);
    // Puts `line` where the bar was, when the bar is shown.
    void finish(const std::string& line);

    // The line itself, such as "[#####     ]   150/300 frames   42.0 fps   0:03 left";
    // without a rate, while there is too little to measure it by, neither rate nor time left.
    static std::string describe(int framesDone, int totalFrames, std::optional<double> framesPerSecond);
    // Such as "vorpi-render: wrote vorpi.png, vorpi.mp4 (300 frames in 8.1 s)".
    static std::string summary(const std::vector<std::string>& written, int frames, double seconds);

private:
    using Clock = std::chrono::steady_clock;

    int _totalFrames;
    bool _shown;
    bool _drawn = false;
    Clock::time_point _lastDrawn;
    std::optional<Clock::time_point> _firstFrameDone;
    // Frames done by when, over about the last second: what the rate is measured over.
    std::deque<std::pair<Clock::time_point, int>> _recent;
};
