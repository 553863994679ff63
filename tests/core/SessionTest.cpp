#include "TestSources.hpp"

#include "saver/RecordingSurface.hpp"
#include "saver/ScreenSaverSession.hpp"
#include "saver/UnusableArea.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Calls = std::vector<RecordingSurface::Call>;

constexpr CGSize fullHd { 1920, 1080 };
constexpr int frames = 40;

Calls solo(std::uint32_t seed, CGSize size)
{
    ScreenSaverSession session(size, false, RandomSources::seeded(seed));
    RecordingSurface surface;
    session.start();
    for (int i = 0; i < frames; ++i)
        session.frame(surface);
    return surface.calls();
}

}

TEST(Session, InterleavedSessionsEachDrawTheirSoloFrames)
{
    Calls soloA = solo(3, fullHd);
    Calls soloB = solo(11, { 800, 600 });
    Calls soloC = solo(3, { 800, 600 });
    // Different seeds, and the same seed in a second area: neither may borrow the other's draws.
    for (auto [seedA, seedB, sizeB, expectedB] : { std::tuple { 3u, 11u, CGSize { 800, 600 }, &soloB },
             std::tuple { 3u, 3u, CGSize { 800, 600 }, &soloC } }) {
        // The process-wide sources must stay untouched while sessions run.
        ScriptedSources outside({ 0 }, { 0 }, { 0 });
        ScreenSaverSession a(fullHd, false, RandomSources::seeded(seedA));
        ScreenSaverSession b(sizeB, true, RandomSources::seeded(seedB));
        RecordingSurface surfaceA, surfaceB;
        a.start();
        b.start();
        for (int i = 0; i < frames; ++i) {
            a.frame(surfaceA);
            b.frame(surfaceB);
        }
        EXPECT_EQ(surfaceA.calls(), soloA) << seedA << "/" << seedB;
        EXPECT_EQ(surfaceB.calls(), *expectedB) << seedA << "/" << seedB;
        EXPECT_EQ(outside.randomDraws() + outside.randDraws() + outside.arc4randomDraws(), 0u);
    }
}

TEST(Session, StoppedFramesAndRedrawsNeitherDrawNorAdvance)
{
    Calls reference = solo(7, fullHd);
    ScreenSaverSession session(fullHd, false, RandomSources::seeded(7));
    RecordingSurface surface;
    session.frame(surface);
    session.start();
    for (int i = 0; i < frames; ++i) {
        if (i == frames / 2) {
            session.stop();
            session.frame(surface);
            session.redraw(surface, { { 0, 0 }, fullHd });
            session.start();
        }
        session.frame(surface);
    }
    EXPECT_EQ(session.framesRun(), frames);
    EXPECT_EQ(surface.calls(), reference);
    EXPECT_EQ(session.interval(), 1.0 / 30);
}

TEST(Session, AnAreaTheViewCannotTakeIsOneErrorNamingItsSize)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    struct Case {
        CGSize size;
        const char* named;
    };
    for (auto [size, named] : { Case { { -1, 100 }, "-1x100" }, Case { { 100, nan }, "100xnan" },
             Case { { inf, 1 }, "infx1" } }) {
        try {
            ScreenSaverSession session(size, false, RandomSources::seeded(1));
            ADD_FAILURE() << named << " was taken";
        } catch (const UnusableArea& error) {
            EXPECT_NE(std::string(error.what()).find(std::string(" ") + named + " area"), std::string::npos)
                << error.what();
        }
    }
}
