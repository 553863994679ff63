#include "TestSources.hpp"

#include "creatures/Vorpi.hpp"
#include "saver/RecordingSurface.hpp"

#include <gtest/gtest.h>

#include <numbers>

namespace {

using Call = RecordingSurface::Call;
constexpr std::uint32_t top = ScriptedSources::largest;

// Fins coloured (200, 10, 0) exactly: start colour plus 60, minus 60, minus 60 (clamped).
Vorpi makeCreature(std::int32_t fins)
{
    ScriptedSources sources({ 0, top, 0, 0 });
    QZColor start(140, 70, 0);
    return Vorpi(fins, start);
}

std::vector<Call> renderOnce(Vorpi& creature, const PVector& position, const QZColor& counter)
{
    RecordingSurface surface;
    DrawingSurface::Scope target(surface);
    creature.render_Vorpi(position, 0, counter);
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

