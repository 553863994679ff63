#include "CairoCanvas.hpp"
#include "host/OffscreenHost.hpp"

#include <gtest/gtest.h>

namespace {

// Strokes the same half-transparent white segment every frame into the surface current then.
class StrokingView final : public ScreenSaverView {
public:
    StrokingView(CGRect frame, bool isPreview)
    {
        EXPECT_TRUE(initWithFrame(frame, isPreview));
        setAnimationTimeInterval(1.0 / 60);
    }

    void animateOneFrame() override
    {
        DrawingSurface::current()->setColor(1, 1, 1, 0.5);
        DrawingSurface::current()->strokeSegment(0, 8, 16, 8, 2);
    }
};

}

TEST(OffscreenHost, RunsTheViewsFramesOverTheCanvasInVirtualTime)
{
    CairoCanvas canvas(16, 12);
    OffscreenHost host({ 16, 12 }, true, canvas, RandomSources::seeded(1), [](CGRect frame, bool isPreview) {
        return std::make_unique<StrokingView>(frame, isPreview);
    });
    EXPECT_EQ(host.view().bounds().size.width, 16);
    EXPECT_EQ(host.view().bounds().size.height, 12);
    EXPECT_TRUE(host.view().isPreview());

    // The canvas is current while a frame runs, and only then.
    host.runFrame();
    EXPECT_EQ(DrawingSurface::current(), nullptr);
    canvas.flush();
    EXPECT_EQ(canvas.pixel(4, 8) & 0xFF, 128u);

    // Never cleared between frames: the second stroke lands on the first.
    host.runFrame();
    canvas.flush();
    EXPECT_NEAR(canvas.pixel(4, 8) & 0xFF, 191, 1);
    EXPECT_EQ(canvas.pixel(4, 4), 0xFF000000u);
    EXPECT_DOUBLE_EQ(host.elapsedSeconds(), 2.0 / 60);
    EXPECT_EQ(host.framesPerSecond(), 60);

    // The screen saver itself runs at 30 frames a second, and refuses an area it cannot take.
    EXPECT_EQ(OffscreenHost({ 64, 48 }, false, canvas, RandomSources::seeded(1)).framesPerSecond(), 30);
    EXPECT_THROW(OffscreenHost({ -1, 10 }, false, canvas, RandomSources::seeded(1)), std::runtime_error);
}
