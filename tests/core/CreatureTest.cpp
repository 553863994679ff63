#include "TestSources.hpp"

#include "creatures/Vorpi.hpp"
#include "saver/RecordingSurface.hpp"

#include <gtest/gtest.h>

#include <numbers>

namespace {

using Call = RecordingSurface::Call;
constexpr std::uint32_t top = ScriptedSources::largest;

// Fins coloured (200, 10, 0) exactly, at length 0 (lengthDraw 0) or 30 (lengthDraw top).
Vorpi makeCreature(std::int32_t fins, std::uint32_t lengthDraw = 0)
{
    ScriptedSources sources({ lengthDraw, top, 0, 0 }, { 1 << 30 });
    QZColor start(140, 70, 0);
    return Vorpi(fins, start);
}

std::vector<Call> renderOnce(Vorpi& creature, const PVector& position, const QZColor& counter, std::int32_t unused = 0)
{
    RecordingSurface surface;
    DrawingSurface::Scope target(surface);
    creature.render_Vorpi(position, unused, counter);
    return surface.calls();
}

Call color(int red, int green, int blue, double alpha)
{
    return { Call::Kind::Color, { red / 255.0, green / 255.0, blue / 255.0, alpha, 0 } };
}

}

TEST(Vorpi, WithoutFinsDrawsNothing)
{
    for (std::int32_t count : { 0, -3 }) {
        Vorpi creature = makeCreature(count);
        EXPECT_TRUE(creature.getFins().empty());
        EXPECT_TRUE(creature.getCounters().empty());
        EXPECT_TRUE(renderOnce(creature, PVector(5, 5), QZColor(0, 0, 0)).empty());
    }
}

TEST(Vorpi, ColourIsTheFinsShiftedAndReflectedIntoRange)
{
    Vorpi plain = makeCreature(1);
    EXPECT_EQ(renderOnce(plain, PVector(0, 0), QZColor(0, 0, 0)).front(), color(200, 10, 0, 0.5));

    // 150 sin(1) + 200 = 326.2 -> 184; 150 sin(4) + 10 = -103.5 -> 103; just past pi on 0 -> 0.
    Vorpi shifted = makeCreature(1);
    QZColor counter(1, 4, std::numbers::pi_v<float>);
    EXPECT_EQ(renderOnce(shifted, PVector(0, 0), counter).front(), color(184, 103, 0, 0.5));
}

TEST(Vorpi, AlphaFadesAsTheFinGrowsAndMayGoNegative)
{
    Vorpi creature = makeCreature(1, top);
    EXPECT_EQ(renderOnce(creature, PVector(0, 0), QZColor(0, 0, 0)).front().values[3], 0.0);
    for (int frame = 0; frame < 5; ++frame)
        renderOnce(creature, PVector(0, 0), QZColor(0, 0, 0));
    float livedPercent = creature.getFins()[0].livedPercent();
    ASSERT_GT(livedPercent, 1.0f);
    double alpha = renderOnce(creature, PVector(0, 0), QZColor(0, 0, 0)).front().values[3];
    EXPECT_LT(alpha, 0.0);
    EXPECT_EQ(alpha, double { 0.5f * (1.0f - livedPercent) });
}

