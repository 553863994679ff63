#include "cli/ProgressBar.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int barWidth = 24;
constexpr auto redrawInterval = std::chrono::milliseconds(100);
// Long enough for a rate that holds, short enough to show one soon.
constexpr auto leastMeasuringTime = std::chrono::milliseconds(500);

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
    if (!_firstFrameDone)
        _firstFrameDone = now;
    if (!_shown || (now - _lastDrawn < redrawInterval && framesDone < _totalFrames))
        return;
    _lastDrawn = now;
    std::optional<double> framesPerSecond;
    if (now - *_firstFrameDone >= leastMeasuringTime && framesDone > 1)
        framesPerSecond = (framesDone - 1) / std::chrono::duration<double>(now - *_firstFrameDone).count();
    std::fprintf(stderr, "\r%s\033[K", describe(framesDone, _totalFrames, framesPerSecond).c_str());
    std::fflush(stderr);
    _drawn = true;
}

void ProgressBar::finish(const std::string& line)
{
    if (!_shown)
        return;
    std::fprintf(stderr, "%s%s\n", _drawn ? "\r\033[K" : "", line.c_str());
    _drawn = false;
}

std::string ProgressBar::describe(int framesDone, int totalFrames, std::optional<double> framesPerSecond)
{
    double fraction = totalFrames > 0 ? std::clamp(static_cast<double>(framesDone) / totalFrames, 0.0, 1.0) : 1.0;
    int filled = static_cast<int>(fraction * barWidth);
    std::string bar = "[" + std::string(filled, '#') + std::string(barWidth - filled, ' ') + "]";

    std::string rate = "  --.- fps";
    std::string left = "--:-- left";
    if (framesPerSecond && *framesPerSecond > 0) {
        char text[32];
        std::snprintf(text, sizeof text, "%6.1f fps", *framesPerSecond);
        rate = text;
        left = minutesAndSeconds((totalFrames - framesDone) / *framesPerSecond) + " left";
    }
    char counts[48];
    std::snprintf(counts, sizeof counts, "%d/%d frames", framesDone, totalFrames);
    return bar + " " + counts + "  " + rate + "  " + left;
}

std::string ProgressBar::summary(const std::vector<std::string>& written, int frames, double seconds)
{
    std::string paths;
    for (const std::string& path : written)
        paths += (paths.empty() ? "" : ", ") + path;
    char counts[64];
    std::snprintf(counts, sizeof counts, "%d frame%s in %.1f s", frames, frames == 1 ? "" : "s", seconds);
    return "vorpi-render: wrote " + (paths.empty() ? std::string("nothing") : paths) + " (" + counts + ")";
}
