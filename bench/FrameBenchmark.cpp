// One frame of the module (scene update and drawing calls) into a surface
// that discards every call: the cost of the animation itself, without pixels.

#include "platform/RandomSources.hpp"
#include "saver/FrameDriver.hpp"
#include "saver/vorpi19_screensaverView.hpp"

#include <benchmark/benchmark.h>

namespace {

class DiscardingSurface final : public DrawingSurface {
public:
    void setColor(double red, double green, double blue, double alpha) override
    {
        benchmark::DoNotOptimize(red + green + blue + alpha);
    }
    void strokeSegment(double x1, double y1, double x2, double y2, double width) override
    {
        benchmark::DoNotOptimize(x1 + y1 + x2 + y2 + width);
    }
};

void moduleFrame(benchmark::State& state)
{
    RandomSources::install(RandomSources::seeded(1));
    auto view = vorpi_19screensaverView::initWithFrame({ { 0, 0 }, { 1920, 1080 } }, false);
    DiscardingSurface surface;
    FrameDriver driver(*view, surface);
    view->startAnimation();
    for (auto _ : state)
        driver.runFrames(1);
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}

BENCHMARK(moduleFrame)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
