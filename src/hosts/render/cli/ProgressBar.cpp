#include "cli/ProgressBar.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int barWidth = 24;
constexpr auto redrawInterval = std::chrono::milliseconds(100);

std::string minutesAndSeconds(double seconds)
{
    auto whole = static_cast<long long>(std::ceil(seconds));
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

}

ProgressBar::ProgressBar(int totalFrames, bool shown)
    : _totalFrames(totalFrames)
    , _shown(shown)
    , _start(Clock::now())
{
}

ProgressBar::~ProgressBar()
{
    if (_drawn)
        std::fputs("\r\033[K", stderr);
}

void ProgressBar::update(int framesDone)
{
    Clock::time_point now = Clock::now();
    if (!_shown || (now - _lastDrawn < redrawInterval && framesDone < _totalFrames))
        return;
    _lastDrawn = now;
    double elapsed = std::chrono::duration<double>(now - _start).count();
    std::fprintf(stderr, "\r%s\033[K", describe(framesDone, _totalFrames, elapsed).c_str());
    std::fflush(stderr);
    _drawn = true;
}

std::string ProgressBar::describe(int framesDone, int totalFrames, double secondsElapsed)
{
    double fraction = totalFrames > 0 ? std::clamp(static_cast<double>(framesDone) / totalFrames, 0.0, 1.0) : 1.0;
    int filled = static_cast<int>(fraction * barWidth);
    std::string bar = "[" + std::string(filled, '#') + std::string(barWidth - filled, ' ') + "]";

    std::string rate = "  --.- fps";
    std::string left = "--:-- left";
    if (framesDone > 0 && secondsElapsed > 0) {
        double framesPerSecond = framesDone / secondsElapsed;
        char text[32];
        std::snprintf(text, sizeof text, "%6.1f fps", framesPerSecond);
        rate = text;
        left = minutesAndSeconds((totalFrames - framesDone) / framesPerSecond) + " left";
    }
    char counts[48];
    std::snprintf(counts, sizeof counts, "%d/%d frames", framesDone, totalFrames);
    return bar + " " + counts + "  " + rate + "  " + left;
}
