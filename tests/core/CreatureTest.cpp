#include "TestSources.hpp"

#include "creatures/Vorpi.hpp"
#include "drawing/RecordingSurface.hpp"
#include "saver/FrameContext.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <utility>

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
    FrameContext context(RandomSources::current(), &surface);
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


// A phase that only grew would freeze after about 16.8 million frames
// (2^24 + an increment below 0.08 rounds back to 2^24). Driven there directly:
// every phaseFoldInterval renders it comes back into [0, 2pi) and moves again,
// and the render before a fold keeps the plain 32-bit sum.
TEST(Vorpi, PhasesFoldBackByWholeTurnsAndKeepMoving)
{
    SeededSources sources(7);
    constexpr std::uint64_t interval = Vorpi::phaseFoldInterval;
    constexpr double turn = 2 * std::numbers::pi;
    const float frozen = 16777216.0f;
    // Renders done before this one, and whether it folds.
    const std::pair<std::uint64_t, bool> cases[] { { interval - 2, false }, { interval - 1, true },
        { interval, false }, { 3 * interval - 1, true }, { 0, false } };
    for (auto [before, folds] : cases) {
        SCOPED_TRACE(before);
        Vorpi creature(4, QZColor(100, 100, 100));
        std::vector<float> start { frozen, -frozen, 1e30f, 6.2f };
        creature.setCounters(start);
        creature.setRenderCount(before);
        renderOnce(creature, PVector(0, 0), QZColor(0, 0, 0));
        for (std::size_t i = 0; i < start.size(); ++i) {
            float sum = start[i] + creature.getFins()[i].getCounter();
            double folded = std::fmod(double { sum }, turn);
            float expected = folds ? static_cast<float>(folded < 0 ? folded + turn : folded) : sum;
            EXPECT_EQ(creature.getCounters()[i], expected) << "fin " << i;
        }
        if (!folds)
            continue;
        std::vector<float> afterFold = creature.getCounters();
        renderOnce(creature, PVector(0, 0), QZColor(0, 0, 0));
        for (std::size_t i = 0; i < afterFold.size(); ++i) {
            EXPECT_GE(afterFold[i], 0.0f);
            EXPECT_LE(afterFold[i], static_cast<float>(turn));
            if (creature.getFins()[i].getCounter() > 0) {
                EXPECT_GT(creature.getCounters()[i], afterFold[i]) << "fin " << i << " still waves";
            }
        }
    }
    Vorpi creature(2, QZColor(0, 0, 0));
    EXPECT_THROW(creature.setCounters({ 1.0f }), std::invalid_argument);
}
