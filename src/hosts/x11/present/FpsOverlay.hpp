#pragma once

#include "display/TargetWindow.hpp"
#include "display/XConnection.hpp"
#include "PixelRect.hpp"

#include <X11/Xlib.h>

#include <chrono>
#include <string>
#include <vector>

// Frames per second and the share of one core that the process uses, each
// measured over about a second, drawn onto the window over the presented
// picture as XScreenSaver's hacks show them. The text is X's "fixed" font
// with every pixel made `scale` pixels wide, so that it is as large as the
// picture's points (X servers scale bitmap fonts unreliably, if at all). It
// never touches the canvas: the next present covers it and it is drawn again.
class FpsOverlay {
public:
    using Clock = std::chrono::steady_clock;

    FpsOverlay(XConnection& connection, const TargetWindow& window, double scale);
    ~FpsOverlay();
    FpsOverlay(const FpsOverlay&) = delete;
    FpsOverlay& operator=(const FpsOverlay&) = delete;

    // False when the display has no font to write with; the overlay then draws nothing.
    bool canDraw() const { return _font != nullptr; }
    // Starts a new measurement, after the animation was stopped for a while.
    void restart(Clock::time_point now);
    void frameShown(Clock::time_point now);
    void draw();
    // The window area the last draw() covered; empty before the first.
    PixelRect area() const { return _area; }

private:
    // Turns the two lines into the rectangles that draw them, and sizes the box.
    void layOut();
    int scaled(int points) const;

    XConnection& _connection;
    Window _window;
    double _scale;
    unsigned long _black;
    unsigned long _white;
    XFontStruct* _font;
    GC _gc;
    Clock::time_point _measuredSince;
    double _cpuSecondsSince = 0;
    int _framesSince = 0;
    PixelRect _area;
    std::vector<XRectangle> _textPixels;
    std::string _frameRateLine = "FPS: -";
    std::string _cpuLoadLine = "CPU: -";
};
