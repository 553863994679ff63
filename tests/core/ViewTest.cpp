#include "TestSources.hpp"

#include "drawing/RecordingSurface.hpp"
#include "saver/FrameDriver.hpp"
#include "saver/vorpi19_screensaverView.hpp"

#include <gtest/gtest.h>

namespace {

using Call = RecordingSurface::Call;

constexpr CGRect fullScreen { { 0, 0 }, { 1920, 1080 } };

// Calls recorded over `frames` frames of a fresh view built with `seed`.
std::vector<Call> record(std::uint32_t seed, CGRect frame, bool isPreview, int frames)
{
    SeededSources sources(seed);
    auto view = vorpi_19screensaverView::initWithFrame(frame, isPreview);
    RecordingSurface surface;
    FrameDriver driver(*view, surface);
    view->startAnimation();
    driver.runFrames(frames);
    return surface.calls();
}

}

TEST(View, SameSeedSameDrawingWhateverThePreviewFlagOrOrigin)
{
    std::vector<Call> reference = record(5, fullScreen, false, 30);
    EXPECT_EQ(record(5, fullScreen, false, 30), reference);
    EXPECT_EQ(record(5, fullScreen, true, 30), reference);
    EXPECT_EQ(record(5, { { 300, -40 }, fullScreen.size }, false, 30), reference);
    EXPECT_NE(record(6, fullScreen, false, 30), reference);
    EXPECT_NE(record(5, { { 0, 0 }, { 320, 180 } }, false, 30), reference);
}

TEST(View, StopAndStartContinueTheSameSceneAndResizingDoesNotReachIt)
{
    std::vector<Call> uninterrupted = record(8, fullScreen, false, 20);

    SeededSources sources(8);
    auto view = vorpi_19screensaverView::initWithFrame(fullScreen, false);
    RecordingSurface surface;
    FrameDriver driver(*view, surface);
    view->startAnimation();
    driver.runFrames(10);
    view->stopAnimation();
    view->setFrameSize({ 200, 100 });
    EXPECT_EQ(driver.runFrames(10), 0);
    view->startAnimation();
    driver.runFrames(10);
    EXPECT_EQ(surface.calls(), uninterrupted);
    EXPECT_EQ(driver.elapsedSeconds(), 20 / 30.0);
}

