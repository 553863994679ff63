// Drives the screen saver for three seconds of virtual time in a 1920x1080
// area and prints, frame by frame, what it drew.

#include "saver/FrameDriver.hpp"
#include "saver/RecordingSurface.hpp"
#include "saver/vorpi19_screensaverView.hpp"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

void printFrame(int frame, const RecordingSurface& surface)
{
    int colors = 0;
    int segments = 0;
    double left = std::numeric_limits<double>::infinity();
    double top = left;
    double right = -left;
    double bottom = -left;
    for (const RecordingSurface::Call& call : surface.calls()) {
        if (call.kind == RecordingSurface::Call::Kind::Color) {
            ++colors;
            continue;
        }
        ++segments;
        left = std::min({ left, call.values[0], call.values[2] });
        right = std::max({ right, call.values[0], call.values[2] });
        top = std::min({ top, call.values[1], call.values[3] });
        bottom = std::max({ bottom, call.values[1], call.values[3] });
    }
    std::printf("frame %3d: %2d fins, %3d segments, within x %.1f..%.1f, y %.1f..%.1f\n", frame, colors, segments,
        left, right, top, bottom);
}

}

int main()
{
    constexpr CGRect area { { 0, 0 }, { 1920, 1080 } };
    auto view = vorpi_19screensaverView::initWithFrame(area, false);
    if (!view) {
        std::fprintf(stderr, "vorpi-demo: the view could not be created\n");
        return 1;
    }
    RecordingSurface surface;
    FrameDriver driver(*view, surface);
    view->startAnimation();
    while (driver.elapsedSeconds() < 3.0) {
        surface.clear();
        driver.runFrames(1);
        printFrame(driver.framesRun(), surface);
    }
    view->stopAnimation();
    return 0;
}
