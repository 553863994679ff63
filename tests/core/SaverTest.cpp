#include "TestSources.hpp"

#include "drawing/RecordingSurface.hpp"
#include "saver/ScreenSaverSession.hpp"
#include "saver/UnusableArea.hpp"
#include "saver/vorpi19_screensaverView.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Calls = std::vector<RecordingSurface::Call>;

constexpr CGSize fullHd { 1920, 1080 };
constexpr CGSize small { 800, 600 };
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
Calls reshapedByHand(std::uint32_t seed, CGSize first, CGSize second)
{
    RandomSources sources = RandomSources::seeded(seed);
    RecordingSurface surface;
    FrameContext context(sources, &surface);
    std::unique_ptr<ScreenSaverView> view = vorpi_19screensaverView::initWithFrame({ {}, first }, true);
    for (int i = 0; i < frames; ++i)
        view->animateOneFrame();
    if (auto next = vorpi_19screensaverView::initWithFrame({ {}, second }, true))
        view = std::move(next);
    for (int i = 0; i < frames; ++i)
        view->animateOneFrame();
    return surface.calls();
}

// Records what is drawn; at the first colour it runs `between` on another
// thread, in the middle of the frame, and waits for it.
struct InterruptedSurface final : DrawingSurface {
    RecordingSurface recording;
    std::function<void()> between;

    void setColor(double red, double green, double blue, double alpha) override
    {
        recording.setColor(red, green, blue, alpha);
        if (between)
            std::thread(std::exchange(between, nullptr)).join();
    }
    void strokeSegment(double x1, double y1, double x2, double y2, double width) override
    {
        recording.strokeSegment(x1, y1, x2, y2, width);
    }
};

}

// Between its frames, and in the middle of one on another thread: a session
// there sees nothing of this one's frame, and a draw there takes nothing from it.
TEST(Session, DrawsItsSoloFramesWhateverRunsBetweenThemOrBesideThem)
{
    // What is current around the sessions must stay untouched while they run.
    ScriptedSources outside({ 0 }, { 0 }, { 0 });
    RecordingSurface outsideSurface;
    FrameContext around(RandomSources::current(), &outsideSurface);
    // The same seed in another area, and as a preview: neither may borrow the other's draws.
    ScreenSaverSession a(fullHd, false, RandomSources::seeded(3));
    ScreenSaverSession b(small, true, RandomSources::seeded(3));
    InterruptedSurface surfaceA;
    RecordingSurface surfaceB;
    Calls beside;
    surfaceA.between = [&] {
        EXPECT_EQ(DrawingSurface::current(), nullptr);
        RandomSources::current().random();
        beside = solo(11, small);
    };
    a.frame(surfaceA);
    a.start();
    b.start();
    for (int i = 0; i < frames; ++i) {
        if (i == frames / 2) {
            // Neither a frame while stopped nor a redraw draws or advances the scene.
            a.stop();
            a.frame(surfaceA);
            a.redraw(surfaceA, { { 0, 0 }, fullHd });
            a.start();
        }
        a.frame(surfaceA);
        b.frame(surfaceB);
    }
    EXPECT_EQ(surfaceA.recording.calls(), solo(3, fullHd));
    EXPECT_EQ(surfaceB.calls(), solo(3, small));
    EXPECT_EQ(beside, solo(11, small));
    EXPECT_EQ(a.framesRun(), frames);
    EXPECT_EQ(a.interval(), 1.0 / 30);
    EXPECT_EQ(outside.randomDraws(), 0u);
    EXPECT_TRUE(outsideSurface.calls().empty());
}

TEST(Session, AReshapeDrawsOnFromTheSameSourcesAndKeepsItsState)
{
    struct Case {
        CGSize second;
        bool stoppedAtReshape;
        bool usable;
    };
    for (auto [second, stoppedAtReshape, usable] : { Case { small, false, true }, Case { small, true, true },
             Case { { -1, 600 }, false, false } }) {
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
        EXPECT_EQ(surface.calls(), reshapedByHand(9, fullHd, second)) << second.width << stoppedAtReshape;
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
    // An empty area is one the view takes.
    for (auto [size, named] : { Case { { -1, 100 }, "-1x100" }, Case { { 100, nan }, "100xnan" },
             Case { { inf, 1 }, "infx1" }, Case { { 0, 0 }, nullptr } }) {
        try {
            ScreenSaverSession session(size, false, RandomSources::seeded(1));
            EXPECT_EQ(named, nullptr) << named << " was taken";
        } catch (const UnusableArea& error) {
            ASSERT_NE(named, nullptr) << error.what();
            EXPECT_NE(std::string(error.what()).find(std::string(" ") + named + " area"), std::string::npos)
                << error.what();
        }
    }
}
