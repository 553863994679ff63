#include "CairoCanvas.hpp"
#include "RasterCanvas.hpp"
#include "host/OffscreenHost.hpp"
#include "platform/RandomSources.hpp"
#include "saver/RecordingSurface.hpp"
#include "surfaces/TeeSurface.hpp"
#include "surfaces/TraceReader.hpp"
#include "surfaces/TraceSurface.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>
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
        OffscreenHost host({ static_cast<double>(c.width), static_cast<double>(c.height) }, false, both,
            RandomSources::seeded(c.seed));
        for (int frame = 0; frame < framesOfTenSeconds; ++frame)
            host.runFrame();

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

TEST(TraceReader, ReadsEveryNumberBackToTheDoubleThatWasWritten)
{
    const double tiny = std::numeric_limits<double>::denorm_min();
    const double infinity = std::numeric_limits<double>::infinity();
    RecordingSurface written;
    TraceReader trace = TraceReader::parse(traceText([&](TraceSurface& out) {
        TeeSurface both(out, written);
        out.beginFrame(1);
        both.setColor(0.1, 1.0 / 3, 200 / 255.0, -0.17000000000000001);
        both.strokeSegment(1e300, -tiny, 2.5e-308, -0.0, 123456.78901234567);
        out.beginFrame(2);
        both.strokeSegment(infinity, -infinity, 0, 1, 2);
    }));
    ASSERT_EQ(trace.frameCount(), 2);
    RecordingSurface first, second;
    trace.replayFrame(1, first);
    trace.replayFrame(2, second);
    ASSERT_EQ(first.calls().size() + second.calls().size(), 3u);
    EXPECT_EQ(first.calls()[0], written.calls()[0]);
    EXPECT_EQ(first.calls()[1], written.calls()[1]);
    EXPECT_TRUE(std::signbit(first.calls()[1].values[3])) << "-0 stays negative";
    EXPECT_EQ(second.calls()[0], written.calls()[2]);
    EXPECT_EQ(trace.calls()[2].line, 5);
}

TEST(TraceReader, NamesTheFirstLineThatIsNotATraceLine)
{
    for (const char* text : { "frame 1\ncolor 1 1 1\n", "frame 1\nstroke 1 2 3 4 x\n", "frame 1\nframe 3\n",
             "frame 1\n\n" }) {
        try {
            TraceReader::parse(text);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find("line 2 "), std::string::npos) << error.what();
        }
    }
}
