#include "cli/RenderJob.hpp"

#include "DefaultBackend.hpp"
#include "cli/Interruption.hpp"
#include "cli/ProgressBar.hpp"
#include "drawing/ScaledSurface.hpp"
#include "drawing/TeeSurface.hpp"
#include "drawing/TraceSurface.hpp"
#include "host/OffscreenHost.hpp"
#include "output/AtomicFile.hpp"
#include "output/FrameSequence.hpp"
#include "output/LastFramePng.hpp"
#include "output/VideoEncoder.hpp"
#include "platform/RandomSources.hpp"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace {

VideoEncoder::Container containerFor(RenderOptions::Format format)
{
    switch (format) {
    case RenderOptions::Format::Webm:
        return VideoEncoder::Container::Webm;
    case RenderOptions::Format::Gif:
        return VideoEncoder::Container::Gif;
    default:
        return VideoEncoder::Container::Mp4;
    }
}

std::unique_ptr<FrameSink> sinkFor(const RenderOptions::Output& output, const RenderOptions& options,
    const std::filesystem::path& ffmpeg, int framesPerSecond)
{
    if (output.numbered)
        return std::make_unique<FrameSequence>(*FramePathPattern::parse(output.path));
    if (output.format == RenderOptions::Format::Png)
        return std::make_unique<LastFramePng>(output.path);
    return std::make_unique<VideoEncoder>(
        output.path, containerFor(output.format), ffmpeg, options.width, options.height, framesPerSecond);
}

}

RenderJob::RenderJob(const RenderOptions& options, std::uint32_t seed, std::filesystem::path ffmpeg)
    : _options(options)
    , _seed(seed)
    , _ffmpeg(std::move(ffmpeg))
{
}

void RenderJob::run()
{
    auto started = std::chrono::steady_clock::now();
    // Only when pixels are asked for: a trace alone draws nothing.
    std::unique_ptr<Canvas> canvas;
    std::optional<ScaledSurface> points;
    if (!_options.outputs.empty()) {
        canvas = DefaultBackend::makeCanvas(_options.width, _options.height);
        points.emplace(*canvas, _options.scale);
    }

    std::optional<AtomicFile> traceFile;
    std::FILE* traceStream = nullptr;
    if (_options.trace) {
        if (*_options.trace == "-") {
            traceStream = stdout;
        } else {
            traceFile.emplace(*_options.trace);
            traceStream = traceFile->stream();
        }
    }
    std::optional<TraceSurface> trace;
    if (traceStream)
        trace.emplace(traceStream);

    // The trace takes the module's calls as they are; the canvas takes them in pixels.
    std::optional<TeeSurface> both;
    if (trace && points)
        both.emplace(*trace, *points);
    DrawingSurface& surface = both ? static_cast<DrawingSurface&>(*both)
        : trace                    ? static_cast<DrawingSurface&>(*trace)
                                   : static_cast<DrawingSurface&>(*points);

    CGSize area { _options.width / _options.scale, _options.height / _options.scale };
    OffscreenHost host(area, _options.preview, surface, RandomSources::seeded(_seed));

    std::vector<std::unique_ptr<FrameSink>> sinks;
    for (const RenderOptions::Output& output : _options.outputs)
        sinks.push_back(sinkFor(output, _options, _ffmpeg, host.framesPerSecond()));

    auto traceFailed = [&](int error) {
        // A signal that cut a write short is the way the run ends, not a write error.
        Interruption::check();
        // Like any filter, end quietly when the reader of standard output has gone (trace - | head).
        if (!traceFile && error == EPIPE)
            Interruption::stopAsIf(SIGPIPE);
        std::string where = traceFile ? "'" + traceFile->target().string() + "'" : "standard output";
        return std::runtime_error("cannot write the trace to " + where + ": " + std::strerror(error));
    };

    ProgressBar progress(_options.frames, !_options.quiet && isatty(STDERR_FILENO));
    // Counted so that neither number passes --frames, which may be the largest int.
    for (int done = 0; done < _options.frames; ++done) {
        int frame = done + 1;
        Interruption::check();
        if (trace)
            trace->beginFrame(frame);
        host.runFrame();
        if (canvas) {
            for (const std::unique_ptr<FrameSink>& sink : sinks)
                sink->addFrame(canvas->image(), frame);
        }
        if (trace && trace->writeError())
            throw traceFailed(trace->writeError());
        progress.update(frame);
    }

    for (const std::unique_ptr<FrameSink>& sink : sinks)
        sink->finish(canvas->image());
    if (traceStream == stdout && std::fflush(stdout) != 0)
        throw traceFailed(errno);
    Interruption::check();
    std::vector<std::string> written;
    for (std::size_t i = 0; i < sinks.size(); ++i) {
        sinks[i]->commit();
        written.push_back(_options.outputs[i].path.string());
    }
    if (traceFile) {
        traceFile->commit();
        written.push_back(traceFile->target().string());
    } else if (traceStream) {
        written.push_back("the trace to standard output");
    }
    progress.finish(ProgressBar::summary(written, _options.frames,
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count()));
}
