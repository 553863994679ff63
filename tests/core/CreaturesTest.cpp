#include "TestSources.hpp"

#include "creatures/Vorpi.hpp"
#include "drawing/RecordingSurface.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <utility>

namespace {

using Call = RecordingSurface::Call;

// Fins coloured (200, 10, 0) exactly: start colour plus 60, minus 60, minus 60 (clamped).
Vorpi makeCreature(std::int32_t fins)
{
    ScriptedSources sources({ 0, ScriptedSources::largest, 0, 0 });
    return Vorpi(fins, QZColor(140, 70, 0));
}

std::vector<Call> renderOnce(Vorpi& creature, const QZColor& counter = QZColor(0, 0, 0))
{
    RecordingSurface surface;
    FrameContext context(RandomSources::current(), &surface);
    creature.render_Vorpi(PVector(0, 0), 0, counter);
    return surface.calls();
}

}

TEST(Vorpi, DrawsNothingWithoutFinsAndEachFinInItsColourShiftedIntoRange)
{
    for (std::int32_t count : { 0, -3 }) {
        Vorpi creature = makeCreature(count);
        EXPECT_TRUE(creature.getCounters().empty());
        EXPECT_TRUE(renderOnce(creature).empty()) << count << " fins draw nothing";
    }
    struct Case {
        QZColor counter;
        int red, green, blue;
    };
    // 150 sin(1) + 200 = 326.2 -> 184; 150 sin(4) + 10 = -103.5 -> 103; just past pi on 0 -> 0.
    Case cases[] { { QZColor(0, 0, 0), 200, 10, 0 }, { QZColor(1, 4, std::numbers::pi_v<float>), 184, 103, 0 } };
    for (const auto& [counter, red, green, blue] : cases) {
        Vorpi creature = makeCreature(1);
        EXPECT_EQ(renderOnce(creature, counter).front(),
            (Call { Call::Kind::Color, { red / 255.0, green / 255.0, blue / 255.0, 0.5, 0 } }));
    }
}

// A phase that only grew would freeze after about 16.8 million frames
// (2^24 + an increment below 0.08 rounds back to 2^24). Driven there directly:
// every phaseFoldInterval renders it comes back into [0, 2pi), where it moves
// again, and the render before a fold keeps the plain 32-bit sum.
TEST(Vorpi, PhasesFoldBackByWholeTurnsAndKeepMoving)
{
    RandomSources seeded = RandomSources::seeded(7);
    FrameContext context(seeded);
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
        renderOnce(creature);
        for (std::size_t i = 0; i < start.size(); ++i) {
            float sum = start[i] + creature.getFins()[i].getCounter();
            double folded = std::fmod(double { sum }, turn);
            float expected = folds ? static_cast<float>(folded < 0 ? folded + turn : folded) : sum;
            EXPECT_EQ(creature.getCounters()[i], expected) << "fin " << i;
        }
    }
    Vorpi creature(2, QZColor(0, 0, 0));
    EXPECT_THROW(creature.setCounters({ 1.0f }), std::invalid_argument);
}
