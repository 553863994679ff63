#include "surfaces/TraceSurface.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>

namespace {

class MemoryStream {
public:
    MemoryStream() : _file(open_memstream(&_buffer, &_size)) {}
    ~MemoryStream()
    {
        std::fclose(_file);
        std::free(_buffer);
    }
    std::FILE* file() { return _file; }
    std::string text()
    {
        std::fflush(_file);
        return std::string(_buffer, _size);
    }

private:
    char* _buffer = nullptr;
    std::size_t _size = 0;
    std::FILE* _file;
};

}

TEST(TraceSurface, WritesEachCallAsOneLineWithTheValuesAsGiven)
{
    MemoryStream out;
    TraceSurface trace(out.file());
    trace.beginFrame(1);
    trace.setColor(1, 0, 128 / 255.0, -0.125);
    trace.strokeSegment(960, 540.5, -3, 0, 5);
    trace.beginFrame(2);
    EXPECT_EQ(out.text(),
        "frame 1\n"
        "color 1 0 0.50196078431372548 -0.125\n"
        "stroke 960 540.5 -3 0 5\n"
        "frame 2\n");
}

TEST(TraceSurface, EveryNumberReadsBackToTheSameDouble)
{
    const double values[] = { 0.1, 1.0 / 3, double { 1.1f }, double { 1234.5678f }, -0.17000000178813934, 1e-300,
        std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max(), 253 / 255.0 };
    MemoryStream out;
    TraceSurface trace(out.file());
    for (double value : values)
        trace.strokeSegment(value, value, value, value, value);

    std::istringstream lines(out.text());
    for (double value : values) {
        std::string word;
        lines >> word;
        ASSERT_EQ(word, "stroke");
        for (int i = 0; i < 5; ++i) {
            lines >> word;
            double read = std::strtod(word.c_str(), nullptr);
            EXPECT_EQ(std::memcmp(&read, &value, sizeof value), 0) << word;
        }
    }
}
