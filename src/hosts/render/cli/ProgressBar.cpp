#include "cli/ProgressBar.hpp"

#include "options/Printable.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int barWidth = 24;
constexpr auto redrawInterval = std::chrono::milliseconds(100);
// The rate is that of the last second or so: a video encoder takes frames at
// a changing pace (ffmpeg starting up, then filling its look-ahead), and the
// first seconds would make the time left far too long for the rest of the run.
constexpr auto rateWindow = std::chrono::seconds(1);
constexpr auto firstEstimateAfter = std::chrono::seconds(2);

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
    if (!_shown)
        return;
    Clock::time_point now = Clock::now();
    if (!_firstFrameDone)
        _firstFrameDone = now;
    _recent.push_back({ now, framesDone });
    // The oldest sample kept is the newest one at least a window old.
    while (_recent.size() > 1 && now - _recent[1].first >= rateWindow)
        _recent.pop_front();
    if (now - _lastDrawn < redrawInterval && framesDone < _totalFrames)
        return;
    _lastDrawn = now;
    std::optional<double> framesPerSecond;
    auto [then, framesThen] = _recent.front();
    if (now - *_firstFrameDone >= firstEstimateAfter && framesDone > framesThen)
        framesPerSecond = (framesDone - framesThen) / std::chrono::duration<double>(now - then).count();
    std::fprintf(stderr, "\r%s\033[K", describe(framesDone, _totalFrames, framesPerSecond).c_str());
    std::fflush(stderr);
    _drawn = true;
}

void ProgressBar::finish(const std::string& line)
{
    if (!_shown)
        return;
    std::fprintf(stderr, "%s%s\n", _drawn ? "\r\033[K" : "", printable(line).c_str());
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
