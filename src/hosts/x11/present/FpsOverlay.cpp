#include "present/FpsOverlay.hpp"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

constexpr int margin = 8;
constexpr int padding = 4;

double processCpuSeconds()
{
    timespec used {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

std::string formatted(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}

FpsOverlay::FpsOverlay(XConnection& connection, const TargetWindow& window)
    : _connection(connection)
    , _window(window.id())
    , _black(window.format().pixel(0x000000))
    , _white(window.format().pixel(0xFFFFFF))
    , _font(nullptr)
    , _gc(XCreateGC(connection.display(), window.id(), 0, nullptr))
{
    // A missing font is no reason to stop (the overlay just stays away), so its error is caught here.
    connection.succeeds([&] { _font = XLoadQueryFont(connection.display(), "fixed"); });
    if (_font)
        XSetFont(connection.display(), _gc, _font->fid);
    restart(Clock::now());
}

FpsOverlay::~FpsOverlay()
{
    if (_font)
        XFreeFont(_connection.display(), _font);
    XFreeGC(_connection.display(), _gc);
}

void FpsOverlay::restart(Clock::time_point now)
{
    _measuredSince = now;
    _cpuSecondsSince = processCpuSeconds();
    _framesSince = 0;
}

void FpsOverlay::frameShown(Clock::time_point now)
{
    ++_framesSince;
    double seconds = std::chrono::duration<double>(now - _measuredSince).count();
    if (seconds < 1.0)
        return;
    double cpuSeconds = processCpuSeconds();
    _frameRateLine = formatted("FPS: %.1f", _framesSince / seconds);
    _cpuLoadLine = formatted("CPU: %.1f%%", 100.0 * (cpuSeconds - _cpuSecondsSince) / seconds);
    _measuredSince = now;
    _cpuSecondsSince = cpuSeconds;
    _framesSince = 0;
}

void FpsOverlay::draw()
{
    if (!_font)
        return;
    Display* display = _connection.display();
    int lineHeight = _font->ascent + _font->descent;
    int textWidth = std::max(XTextWidth(_font, _frameRateLine.data(), static_cast<int>(_frameRateLine.size())),
        XTextWidth(_font, _cpuLoadLine.data(), static_cast<int>(_cpuLoadLine.size())));

    _area = { margin, margin, textWidth + 2 * padding, 2 * lineHeight + 2 * padding };
    XSetForeground(display, _gc, _black);
    XFillRectangle(display, _window, _gc, _area.x, _area.y, static_cast<unsigned int>(_area.width),
        static_cast<unsigned int>(_area.height));
    XSetForeground(display, _gc, _white);
    int baseline = margin + padding + _font->ascent;
    XDrawString(display, _window, _gc, margin + padding, baseline, _frameRateLine.data(),
        static_cast<int>(_frameRateLine.size()));
    XDrawString(display, _window, _gc, margin + padding, baseline + lineHeight, _cpuLoadLine.data(),
        static_cast<int>(_cpuLoadLine.size()));
}
