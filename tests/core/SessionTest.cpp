#include "TestSources.hpp"

#include "drawing/RecordingSurface.hpp"
#include "saver/FrameContext.hpp"
#include "saver/ScreenSaverSession.hpp"
#include "saver/UnusableArea.hpp"
#include "saver/vorpi19_screensaverView.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
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

// One set of sources drawn through by a view for `first`, its frames, then a view for `second`
// (if the view takes that area) and its frames: what a reshape must reproduce.
Calls reshapedByHand(std::uint32_t seed, CGSize first, CGSize second, bool isPreview)
{
    RandomSources sources = RandomSources::seeded(seed);
    RecordingSurface surface;
    FrameContext context(sources, &surface);
    std::unique_ptr<ScreenSaverView> view = vorpi_19screensaverView::initWithFrame({ {}, first }, isPreview);
    view->startAnimation();
    for (int i = 0; i < frames; ++i)
        view->animateOneFrame();
    if (auto next = vorpi_19screensaverView::initWithFrame({ {}, second }, isPreview)) {
        view = std::move(next);
        view->startAnimation();
    }
    for (int i = 0; i < frames; ++i)
        view->animateOneFrame();
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

TEST(Session, AReshapeDrawsOnFromTheSameSourcesAndKeepsItsState)
{
    struct Case {
        CGSize second;
        bool stoppedAtReshape;
        bool usable;
    };
    for (auto [second, stoppedAtReshape, usable] : { Case { { 800, 600 }, false, true },
             Case { { 800, 600 }, true, true }, Case { { -1, 600 }, false, false } }) {
        ScreenSaverSession session(fullHd, true, RandomSources::seeded(9));
        RecordingSurface surface;
        session.start();
        for (int i = 0; i < frames; ++i)
            session.frame(surface);
        if (stoppedAtReshape)
            session.stop();
        try {
            session.reshape(second);
            EXPECT_TRUE(usable) << second.width;
        } catch (const UnusableArea&) {
            EXPECT_FALSE(usable) << second.width;
        }
        EXPECT_EQ(session.isAnimating(), !stoppedAtReshape) << second.width;
        session.start();
        for (int i = 0; i < frames; ++i)
            session.frame(surface);
        EXPECT_EQ(surface.calls(), reshapedByHand(9, fullHd, second, true)) << second.width << stoppedAtReshape;
        EXPECT_EQ(session.view().bounds().size.width, usable ? second.width : fullHd.width);
        EXPECT_TRUE(session.view().isPreview());
        EXPECT_EQ(session.framesRun(), 2 * frames);
    }
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
