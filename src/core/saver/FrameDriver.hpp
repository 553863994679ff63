#pragma once

#include "drawing/DrawingSurface.hpp"
#include "saver/ScreenSaverView.hpp"

// A host in virtual time: runs a view's frames as fast as they can be computed,
// with a surface current during each, and keeps the clock the frames would have.
class FrameDriver {
public:
    FrameDriver(ScreenSaverView& view, DrawingSurface& surface);

    // Runs up to `count` frames; none while the view's animation is stopped. Returns how many ran.
    int runFrames(int count);

    int framesRun() const { return _framesRun; }
    double elapsedSeconds() const { return _framesRun * _view.animationTimeInterval(); }

private:
    ScreenSaverView& _view;
    DrawingSurface& _surface;
    int _framesRun = 0;
};
