#include "TestSources.hpp"

#include "creatures/Fin.hpp"
#include "saver/RecordingSurface.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Call = RecordingSurface::Call;
constexpr std::uint32_t top = ScriptedSources::largest;

// A fin with `points` points and a segment length of 0 (lengthDraw 0) or 30 (lengthDraw top).
Fin makeFin(std::uint32_t points, std::uint32_t lengthDraw)
{
    ScriptedSources sources({ lengthDraw, top, top, top }, { 0 }, { points - 10, 0 });
    QZColor start(100, 100, 100);
    return Fin(start);
}

Call stroke(double x1, double y1, double x2, double y2, double width)
{
    return { Call::Kind::Stroke, { x1, y1, x2, y2, width } };
}

}

TEST(Fin, TakesEachDrawFromItsOwnSourceInOrder)
{
    // random(): length, then red, green, blue offsets. arc4random(): point count, then lifespan.
    ScriptedSources sources({ top, top, 0, top }, { top }, { 13, 5 });
    QZColor start(140, 70, 250);
    Fin fin(start);

    EXPECT_EQ(fin.getXY().size(), 13u);
    for (const PVector& point : fin.getXY()) {
        EXPECT_EQ(point.getX(), 0.0f);
        EXPECT_EQ(point.getY(), 0.0f);
    }
    EXPECT_EQ(fin.getSegLength(), 30.0f);
    EXPECT_EQ(fin.livedPercent(), 1.0f);
    EXPECT_EQ(fin.getColor().getRed(), 200.0f);
    EXPECT_EQ(fin.getColor().getGreen(), 10.0f);
    EXPECT_EQ(fin.getColor().getBlue(), 255.0f) << "250 + 60 is clamped";
    EXPECT_EQ(fin.getCounter(), 0.08f) << "the largest rand() values round up to a whole turn of 0.08";
    EXPECT_FALSE(fin.tooOld());
    EXPECT_EQ(sources.randomDraws(), 4u);
    EXPECT_EQ(sources.randDraws(), 1u);
    EXPECT_EQ(sources.arc4randomDraws(), 2u);
}

TEST(Fin, GrowsUntilPast40ThenCollapsesToZero)
{
    Fin fin = makeFin(10, 0);
    for (int call = 1; call <= 800; ++call)
        fin.grow(nullptr);
    EXPECT_LT(fin.getSegLength(), 40.0f);
    EXPECT_GT(fin.getSegLength(), 39.9f);
    QZColor anyObject(1, 2, 3);
    fin.grow(&anyObject);
    EXPECT_EQ(fin.getSegLength(), 0.0f);
}

TEST(Fin, DragPullsThePointOntoTheLineToItsTarget)
{
    RecordingSurface surface;
    DrawingSurface::Scope target(surface);
    Fin fin = makeFin(10, top);

    fin.dragSegment(0, 0, 100, 0, 0);
    EXPECT_EQ(fin.getXY()[0].getX(), 70.0f);
    EXPECT_EQ(fin.getXY()[0].getY(), 0.0f);
    EXPECT_EQ(surface.calls().back(), stroke(100, 0, 70, 0, 6.0)) << "index 0 at length 30: 1.0 + 5";

    // Index 1 at phase 0 sways by sin(-1); at phase 1 the sway vanishes again.
    fin.dragSegment(0, 1, 100, 0, 0);
    EXPECT_FLOAT_EQ(fin.getXY()[1].getX(), 69.942398f);
    EXPECT_FLOAT_EQ(fin.getXY()[1].getY(), 0.84109861f);
    EXPECT_EQ(surface.calls().back().values[4], double { 5.8f });
    Fin fresh = makeFin(10, top);
    fresh.dragSegment(1, 1, 100, 0, 0);
    EXPECT_EQ(fresh.getXY()[1].getX(), 70.0f);
    EXPECT_EQ(fresh.getXY()[1].getY(), 0.0f);
}

TEST(Fin, WidthsStepDownFromRootToTip)
{
    auto widths = [](std::uint32_t points) {
        RecordingSurface surface;
        DrawingSurface::Scope target(surface);
        Fin fin = makeFin(points, 0);
        std::vector<float> result;
        for (std::uint32_t i = 0; i < points; ++i) {
            fin.dragSegment(0, static_cast<std::int32_t>(i), 10, 10, 0);
            result.push_back(static_cast<float>(surface.calls().back().values[4]));
        }
        return result;
    };
    EXPECT_EQ(widths(10), (std::vector<float> { 1.0f, 0.8f, 0.8f, 0.6f, 0.6f, 0.6f, 0.4f, 0.4f, 0.2f, 0.2f }));
    EXPECT_EQ(widths(19),
        (std::vector<float> { 1.0f, 0.8f, 0.8f, 0.8f, 0.8f, 0.6f, 0.6f, 0.6f, 0.6f, 0.6f, 0.4f, 0.4f, 0.4f, 0.4f,
            0.4f, 0.2f, 0.2f, 0.2f, 0.2f }));
}
