// Milliseconds per frame over the first ten seconds of a run (300 frames,
// seed 1) at 1920x1080 and 3840x2160:
// - wholeFrame: scene update, drawing calls and rasterising, with our
//   rasteriser as it was before it worked stroke by stroke (SSE2), with ours
//   (the best blend kernel there is, then SSE2, then scalar) and with Cairo;
// - rasterOnly: the same 300 frames replayed from a trace, so only the
//   backend's work is timed;
// - moduleAlone: the module into a surface that discards the calls;
// - moduleWithTrace: the module writing its trace (--trace alone).

#include "BeforeCanvas.hpp"
#include "CairoCanvas.hpp"
#include "RasterCanvas.hpp"
#include "drawing/TraceReader.hpp"
#include "drawing/TraceSurface.hpp"
#include "host/OffscreenHost.hpp"
#include "platform/RandomSources.hpp"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

constexpr int framesOfTenSeconds = 300;
enum Backend { before, ours, oursSse2, oursScalar, cairo };

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

int widthOf(const benchmark::State& state) { return static_cast<int>(state.range(0)); }
int heightOf(const benchmark::State& state) { return static_cast<int>(state.range(1)); }

std::unique_ptr<Canvas> makeCanvas(Backend backend, int width, int height)
{
    using Kernel = SourceOverBlend::Kernel;
    if (backend == cairo)
        return std::make_unique<CairoCanvas>(width, height);
    if (backend == before)
        return std::make_unique<BeforeCanvas>(width, height);
    auto canvas = std::make_unique<RasterCanvas>(width, height);
    canvas->useKernel(backend == ours ? Kernel::avx2 : backend == oursSse2 ? Kernel::sse2 : Kernel::scalar);
    return canvas;
}

void countFrames(benchmark::State& state)
{
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The 300 frames' drawing calls at one size, recorded once.
const TraceReader& traceOf(int width, int height)
{
    static std::map<std::pair<int, int>, TraceReader> traces;
    auto found = traces.find({ width, height });
    if (found != traces.end())
        return found->second;
    std::FILE* file = std::tmpfile();
    if (!file)
        throw std::runtime_error("cannot make a temporary file for the trace");
    {
        TraceSurface trace(file);
        OffscreenHost host({ static_cast<double>(width), static_cast<double>(height) }, false, trace,
            RandomSources::seeded(1));
        for (int frame = 1; frame <= framesOfTenSeconds; ++frame) {
            trace.beginFrame(frame);
            host.runFrame();
        }
    }
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    std::size_t read = std::fread(text.data(), 1, text.size(), file);
    std::fclose(file);
    text.resize(read);
    return traces.emplace(std::make_pair(width, height), TraceReader::parse(text)).first->second;
}

void wholeFrame(benchmark::State& state, Backend backend)
{
    std::unique_ptr<Canvas> canvas = makeCanvas(backend, widthOf(state), heightOf(state));
    OffscreenHost host({ static_cast<double>(widthOf(state)), static_cast<double>(heightOf(state)) }, false, *canvas,
        RandomSources::seeded(1));
    for (auto _ : state) {
        host.runFrame();
        benchmark::DoNotOptimize(canvas->image().pixels);
        benchmark::DoNotOptimize(canvas->takeTouchedAreas());
    }
    countFrames(state);
}

void rasterOnly(benchmark::State& state, Backend backend)
{
    const TraceReader& trace = traceOf(widthOf(state), heightOf(state));
    std::unique_ptr<Canvas> canvas = makeCanvas(backend, widthOf(state), heightOf(state));
    int frame = 0;
    for (auto _ : state) {
        trace.replayFrame(frame++ % trace.frameCount() + 1, *canvas);
        benchmark::DoNotOptimize(canvas->image().pixels);
        benchmark::DoNotOptimize(canvas->takeTouchedAreas());
    }
    countFrames(state);
}

void moduleAlone(benchmark::State& state)
{
    DiscardingSurface surface;
    OffscreenHost host({ static_cast<double>(widthOf(state)), static_cast<double>(heightOf(state)) }, false, surface,
        RandomSources::seeded(1));
    for (auto _ : state)
        host.runFrame();
    countFrames(state);
}

void moduleWithTrace(benchmark::State& state)
{
    std::FILE* sink = std::fopen("/dev/null", "w");
    if (!sink) {
        state.SkipWithError("cannot open /dev/null");
        return;
    }
    TraceSurface trace(sink);
    OffscreenHost host({ static_cast<double>(widthOf(state)), static_cast<double>(heightOf(state)) }, false, trace,
        RandomSources::seeded(1));
    for (auto _ : state)
        host.runFrame();
    countFrames(state);
    std::fclose(sink);
}

void sizes(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Args({ 1920, 1080 })->Args({ 3840, 2160 })->Iterations(framesOfTenSeconds)->Unit(benchmark::kMillisecond);
}

}

BENCHMARK_CAPTURE(wholeFrame, before, before)->Apply(sizes);
BENCHMARK_CAPTURE(wholeFrame, ours, ours)->Apply(sizes);
BENCHMARK_CAPTURE(wholeFrame, oursSse2, oursSse2)->Apply(sizes);
BENCHMARK_CAPTURE(wholeFrame, oursScalar, oursScalar)->Apply(sizes);
BENCHMARK_CAPTURE(wholeFrame, cairo, cairo)->Apply(sizes);
BENCHMARK_CAPTURE(rasterOnly, before, before)->Apply(sizes);
BENCHMARK_CAPTURE(rasterOnly, ours, ours)->Apply(sizes);
BENCHMARK_CAPTURE(rasterOnly, oursSse2, oursSse2)->Apply(sizes);
BENCHMARK_CAPTURE(rasterOnly, oursScalar, oursScalar)->Apply(sizes);
BENCHMARK_CAPTURE(rasterOnly, cairo, cairo)->Apply(sizes);
BENCHMARK(moduleAlone)->Apply(sizes);
BENCHMARK(moduleWithTrace)->Args({ 1920, 1080 })->Iterations(framesOfTenSeconds)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
