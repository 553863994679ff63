#pragma once

#include "display/TargetWindow.hpp"
#include "display/XConnection.hpp"
#include "PixelRect.hpp"

#include <X11/Xlib.h>

#include <chrono>
#include <string>

// Frames per second and the share of one core that the process uses, each
// measured over about a second, drawn onto the window over the presented
// picture as XScreenSaver's hacks show them. It never touches the canvas:
// the next present covers it and it is drawn again.
class FpsOverlay {
public:
    using Clock = std::chrono::steady_clock;

    FpsOverlay(XConnection& connection, const TargetWindow& window);
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
    XConnection& _connection;
    Window _window;
    unsigned long _black;
    unsigned long _white;
    XFontStruct* _font;
    GC _gc;
    Clock::time_point _measuredSince;
    double _cpuSecondsSince = 0;
    int _framesSince = 0;
    PixelRect _area;
    std::string _frameRateLine = "FPS: -";
    std::string _cpuLoadLine = "CPU: -";
};
