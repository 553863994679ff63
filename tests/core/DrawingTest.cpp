#include "drawing/RecordingSurface.hpp"
#include "drawing/ScaledSurface.hpp"
#include "drawing/TeeSurface.hpp"
#include "drawing/TraceReader.hpp"
#include "drawing/TraceSurface.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <string>

TEST(TraceReader, ReadsBackEveryDoubleTheStackedSurfacesWrote)
{
    const double tiny = std::numeric_limits<double>::denorm_min();
    const double infinity = std::numeric_limits<double>::infinity();
    const std::string path = testing::TempDir() + "drawing-test.trace";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    RecordingSurface written;
    {
        TraceSurface out(file);
        TeeSurface both(out, written);
        ScaledSurface doubled(both, 2);
        out.beginFrame(1);
        doubled.setColor(0.1, 1.0 / 3, 200 / 255.0, -0.17000000000000001);
        both.strokeSegment(1e300, -tiny, 2.5e-308, -0.0, 123456.78901234567);
        out.beginFrame(2);
        doubled.strokeSegment(infinity, -infinity, 0, 1, 2);
    }
    ASSERT_EQ(std::fclose(file), 0);
    TraceReader trace = TraceReader::load(path);
    std::remove(path.c_str());

    ASSERT_EQ(trace.frameCount(), 2);
    RecordingSurface first, second;
    trace.replayFrame(1, first);
    trace.replayFrame(2, second);
    ASSERT_EQ(first.calls().size() + second.calls().size(), 3u);
    EXPECT_EQ(first.calls()[0], written.calls()[0]);
    EXPECT_EQ(written.calls()[0].values[1], 1.0 / 3) << "a colour is not scaled";
    EXPECT_EQ(first.calls()[1], written.calls()[1]);
    EXPECT_TRUE(std::signbit(first.calls()[1].values[3])) << "-0 stays negative";
    using Call = RecordingSurface::Call;
    EXPECT_EQ(second.calls()[0], (Call { Call::Kind::Stroke, { infinity, -infinity, 0, 2, 4 } })) << "scaled by 2";
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
