#pragma once

#include "primitives/CGGeometry.hpp"

class ConfigureSheet;

// What a screen-saver host offers the view it drives. The host creates a view
// for an area, calls animateOneFrame() about once per animation interval while
// the animation runs, makes its drawing surface current during that call, and
// calls drawRect() when the area needs a full redraw.
class ScreenSaverView {
public:
    virtual ~ScreenSaverView() = default;
    ScreenSaverView(const ScreenSaverView&) = delete;
    ScreenSaverView& operator=(const ScreenSaverView&) = delete;

    virtual void startAnimation() { _animating = true; }
    virtual void stopAnimation() { _animating = false; }
    bool isAnimating() const { return _animating; }

    // The base paints nothing: a host keeps its own pixels.
    virtual void drawRect(CGRect) {}
    virtual void animateOneFrame() {}
    virtual bool hasConfigureSheet() const { return false; }
    virtual ConfigureSheet* configureSheet() { return nullptr; }

    CGRect bounds() const { return { {}, _frame.size }; }
    // The host resizes the view; what the view already built from its bounds stays as it was.
    void setFrameSize(CGSize size) { _frame.size = size; }
    double animationTimeInterval() const { return _animationTimeInterval; }
    bool isPreview() const { return _isPreview; }

protected:
    ScreenSaverView() = default;

    // Base initialisation; fails for a frame whose size is negative or not finite.
    [[nodiscard]] bool initWithFrame(CGRect frame, bool isPreview);
    void setAnimationTimeInterval(double seconds) { _animationTimeInterval = seconds; }

private:
    CGRect _frame;
    bool _isPreview = false;
    bool _animating = false;
    double _animationTimeInterval = 1.0 / 30;
};
