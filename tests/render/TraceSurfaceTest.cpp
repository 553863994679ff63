#include "surfaces/TraceSurface.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <sstream>

namespace {

// Runs `draw` on a trace surface and returns what it wrote.
template<typename Drawing>
std::string traced(Drawing draw)
{
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    TraceSurface trace(out);
    draw(trace);
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

}

TEST(TraceSurface, WritesEachCallAsOneLineWithTheValuesAsGiven)
{
    EXPECT_EQ(traced([](TraceSurface& trace) {
        trace.beginFrame(1);
        trace.setColor(1, 0, 128 / 255.0, -0.125);
        trace.strokeSegment(960, 540.5, -3, 0, 5);
        trace.beginFrame(2);
    }),
        "frame 1\n"
        "color 1 0 0.50196078431372548 -0.125\n"
        "stroke 960 540.5 -3 0 5\n"
        "frame 2\n");
}

TEST(TraceSurface, EveryNumberReadsBackToTheSameDouble)
{
    const double values[] = { 0.1, 1.0 / 3, double { 1.1f }, double { 1234.5678f }, -0.17000000178813934, 1e-300,
        std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max(), 253 / 255.0 };
    std::istringstream words(traced([&](TraceSurface& trace) {
        for (double value : values)
            trace.strokeSegment(value, value, value, value, value);
    }));
    for (double value : values) {
        std::string word;
        words >> word;
        ASSERT_EQ(word, "stroke");
        for (int i = 0; i < 5; ++i) {
            words >> word;
            double read = std::strtod(word.c_str(), nullptr);
            EXPECT_EQ(std::memcmp(&read, &value, sizeof value), 0) << word;
        }
    }
}
