#pragma once

#include "saver/DrawingSurface.hpp"
#include "saver/FrameDriver.hpp"
#include "saver/ScreenSaverView.hpp"

#include <functional>
#include <memory>

// Stands in for the screen-saver host without a screen: creates the view for
// an area of the given size, starts its animation and runs its frames back to
// back in virtual time, one animation interval apart, with the drawing
// surface current during each. It never paints the surface itself.
class OffscreenHost {
public:
    using ViewFactory = std::function<std::unique_ptr<ScreenSaverView>(CGRect frame, bool isPreview)>;

    // Throws std::runtime_error when the view cannot be created for the area.
    OffscreenHost(CGSize size, bool isPreview, DrawingSurface& surface, const ViewFactory& createView = screenSaver());
    ~OffscreenHost();
    OffscreenHost(const OffscreenHost&) = delete;
    OffscreenHost& operator=(const OffscreenHost&) = delete;

    // Creates the screen saver's own view.
    static ViewFactory screenSaver();

    void runFrame();

    int framesRun() const { return _driver.framesRun(); }
    double elapsedSeconds() const { return _driver.elapsedSeconds(); }
    // The rate the view asked for, rounded to whole frames: a video of the run plays at it.
    int framesPerSecond() const;
    const ScreenSaverView& view() const { return *_view; }

private:
    std::unique_ptr<ScreenSaverView> _view;
    FrameDriver _driver;
};
