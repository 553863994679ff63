#include "CairoCanvas.hpp"
#include "host/OffscreenHost.hpp"
#include "saver/RecordingSurface.hpp"

#include <gtest/gtest.h>

namespace {

// Strokes the same half-transparent white segment every frame and notes what the host did.
class StrokingView final : public ScreenSaverView {
public:
    static inline CGRect createdWith;
    static inline bool createdAsPreview = false;
    DrawingSurface* currentDuringFrame = nullptr;

    static std::unique_ptr<ScreenSaverView> create(CGRect frame, bool isPreview)
    {
        createdWith = frame;
        createdAsPreview = isPreview;
        std::unique_ptr<StrokingView> view(new StrokingView());
        if (!view->initWithFrame(frame, isPreview))
            return nullptr;
        view->setAnimationTimeInterval(1.0 / 60);
        return view;
    }

    void animateOneFrame() override
    {
        currentDuringFrame = DrawingSurface::current();
        currentDuringFrame->setColor(1, 1, 1, 0.5);
        currentDuringFrame->strokeSegment(0, 8, 16, 8, 2);
    }
};

}

TEST(OffscreenHost, RunsTheViewsFramesOverTheCanvasInVirtualTime)
{
    CairoCanvas canvas(16, 12);
    OffscreenHost host({ 16, 12 }, true, canvas, StrokingView::create);
    EXPECT_EQ(StrokingView::createdWith.size.width, 16);
    EXPECT_EQ(StrokingView::createdWith.size.height, 12);
    EXPECT_TRUE(StrokingView::createdAsPreview);

    host.runFrame();
    const auto& view = static_cast<const StrokingView&>(host.view());
    EXPECT_EQ(view.currentDuringFrame, &canvas);
    EXPECT_EQ(DrawingSurface::current(), nullptr);
    canvas.flush();
    EXPECT_EQ(canvas.pixel(4, 8) & 0xFF, 128u);

    // Never cleared between frames: the second stroke lands on the first.
    host.runFrame();
    canvas.flush();
    EXPECT_NEAR(canvas.pixel(4, 8) & 0xFF, 191, 1);
    EXPECT_EQ(canvas.pixel(4, 4), 0xFF000000u);
    EXPECT_EQ(host.framesRun(), 2);
    EXPECT_DOUBLE_EQ(host.elapsedSeconds(), 2.0 / 60);
    EXPECT_EQ(host.framesPerSecond(), 60);
}

TEST(OffscreenHost, RefusesAnAreaTheViewCannotTake)
{
    RecordingSurface surface;
    EXPECT_THROW(OffscreenHost({ -1, 10 }, false, surface), std::runtime_error);
    OffscreenHost screenSaver({ 64, 48 }, false, surface);
    EXPECT_EQ(screenSaver.framesPerSecond(), 30);
}
