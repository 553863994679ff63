#include "CairoCanvas.hpp"
#include "RasterCanvas.hpp"
#include "drawing/TeeSurface.hpp"
#include "drawing/TraceReader.hpp"
#include "drawing/TraceSurface.hpp"
#include "platform/RandomSources.hpp"
#include "saver/ScreenSaverSession.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int framesOfTenSeconds = 300;

// What `write` writes through a trace surface.
template <typename Write>
std::string traceText(Write write)
{
    std::FILE* file = std::tmpfile();
    {
        TraceSurface trace(file);
        write(trace);
    }
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    return text;
}

std::string traceOfRun(std::uint32_t seed, int width, int height, int frames)
{
    return traceText([&](TraceSurface& trace) {
        ScreenSaverSession session({ static_cast<double>(width), static_cast<double>(height) }, false,
            RandomSources::seeded(seed));
        session.start();
        for (int frame = 1; frame <= frames; ++frame) {
            trace.beginFrame(frame);
            session.frame(trace);
        }
    });
}

bool sameImages(Canvas& a, Canvas& b)
{
    ImageView x = a.image(), y = b.image();
    for (int row = 0; row < x.height; ++row)
        for (int column = 0; column < x.width; ++column)
            if (x.pixel(column, row) != y.pixel(column, row))
                return false;
    return true;
}

}

TEST(AgainstCairo, TenSecondsOfTheScreenSaverStayWithinTheStatedTolerance)
{
    // Cairo measures coverage on a grid of 15 sub-rows a pixel where ours
    // takes the exact area, so edge pixels differ a little; translucent strokes
    // pile these up where creatures overlap much, as they do in small areas
    // (the creatures keep their size), hence the wider share there.
    struct Case {
        std::uint32_t seed;
        int width, height;
        double shareOverOne;
    };
    const Case cases[] { { 1, 1920, 1080, 0.02 }, { 42, 1920, 1080, 0.02 }, { 1, 321, 241, 0.15 },
        { 42, 321, 241, 0.15 } };
    for (const Case& c : cases) {
        CairoCanvas reference(c.width, c.height);
        RasterCanvas ours(c.width, c.height);
        TeeSurface both(reference, ours);
        ScreenSaverSession session({ static_cast<double>(c.width), static_cast<double>(c.height) }, false,
            RandomSources::seeded(c.seed));
        session.start();
        for (int frame = 0; frame < framesOfTenSeconds; ++frame)
            session.frame(both);

        ImageView expected = reference.image(), got = ours.image();
        int largest = 0;
        long overOne = 0, overFour = 0;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                std::uint32_t a = expected.pixel(x, y), b = got.pixel(x, y);
                int difference = 0;
                for (int shift = 0; shift < 32; shift += 8)
                    difference = std::max(difference, std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)));
                largest = std::max(largest, difference);
                overOne += difference > 1;
                overFour += difference > 4;
            }
        }
        double pixels = static_cast<double>(c.width) * c.height;
        std::string which = "seed " + std::to_string(c.seed) + ", " + std::to_string(c.width) + "x" + std::to_string(c.height);
        EXPECT_LE(largest, 8) << which;
        EXPECT_LE(overOne / pixels, c.shareOverOne) << which;
        EXPECT_LE(overFour / pixels, 0.0005) << which;
    }
}

TEST(RasterCanvas, ScalarAndSse2PathsGiveTheSameBytesOverAWholeRun)
{
    RasterCanvas probe(1, 1);
    probe.useSimd(true);
    if (!probe.usesSimd())
        GTEST_SKIP() << "this build has no SSE2 path";

    const int width = 1920, height = 1080;
    TraceReader trace = TraceReader::parse(traceOfRun(1, width, height, framesOfTenSeconds));
    ASSERT_EQ(trace.frameCount(), framesOfTenSeconds);
    auto replayed = [&](bool simd, std::size_t calls) {
        auto canvas = std::make_unique<RasterCanvas>(width, height);
        canvas->useSimd(simd);
        trace.replay(0, calls, *canvas);
        return canvas;
    };
    auto differAfter = [&](std::size_t calls) { return !sameImages(*replayed(false, calls), *replayed(true, calls)); };
    if (!differAfter(trace.calls().size()))
        return;
    // Bisect to the first call after which the images differ, and name it.
    std::size_t good = 0, bad = trace.calls().size();
    while (bad - good > 1) {
        std::size_t middle = good + (bad - good) / 2;
        (differAfter(middle) ? bad : good) = middle;
    }
    const TraceReader::Call& call = trace.calls()[bad - 1];
    char values[160];
    std::snprintf(values, sizeof values, "%.17g %.17g %.17g %.17g %.17g", call.values[0], call.values[1],
        call.values[2], call.values[3], call.values[4]);
    ADD_FAILURE() << "the paths first differ after the call on trace line " << call.line << " (frame " << call.frame
                  << "): " << (call.kind == TraceReader::Call::Kind::Stroke ? "stroke " : "color ") << values;
}
