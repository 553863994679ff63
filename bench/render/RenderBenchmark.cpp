// Milliseconds per frame of the off-screen renderer over the first ten seconds
// of a run (300 frames, seed 1): the whole frame (scene update, drawing calls,
// Cairo rasterising the segments) at two screen sizes, the module alone into a
// surface that discards the calls, and the module writing its trace.

#include "CairoCanvas.hpp"
#include "host/OffscreenHost.hpp"
#include "platform/RandomSources.hpp"
#include "surfaces/TraceSurface.hpp"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int framesOfTenSeconds = 300;

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

CGSize sizeOf(const benchmark::State& state)
{
    return { static_cast<double>(state.range(0)), static_cast<double>(state.range(1)) };
}

void runFrames(benchmark::State& state, DrawingSurface& surface, CairoCanvas* canvas = nullptr)
{
    RandomSources::install(RandomSources::seeded(1));
    OffscreenHost host(sizeOf(state), false, surface);
    for (auto _ : state) {
        host.runFrame();
        if (canvas)
            canvas->flush();
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void wholeFrame(benchmark::State& state)
{
    CairoCanvas canvas(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    runFrames(state, canvas, &canvas);
}

void moduleAlone(benchmark::State& state)
{
    DiscardingSurface surface;
    runFrames(state, surface);
}

void moduleWithTrace(benchmark::State& state)
{
    std::FILE* sink = std::fopen("/dev/null", "w");
    TraceSurface trace(sink);
    runFrames(state, trace);
    std::fclose(sink);
}

}

BENCHMARK(wholeFrame)->Args({ 1920, 1080 })->Args({ 3840, 2160 })->Iterations(framesOfTenSeconds)->Unit(benchmark::kMillisecond);
BENCHMARK(moduleAlone)->Args({ 1920, 1080 })->Args({ 3840, 2160 })->Iterations(framesOfTenSeconds)->Unit(benchmark::kMillisecond);
BENCHMARK(moduleWithTrace)->Args({ 1920, 1080 })->Iterations(framesOfTenSeconds)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
