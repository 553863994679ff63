#include "present/FpsOverlay.hpp"

#include "limits/DrawingLimits.hpp"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

// In points, as the font's pixels are.
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

FpsOverlay::FpsOverlay(XConnection& connection, const TargetWindow& window, double scale)
    : _connection(connection)
    , _window(window.id())
    , _scale(scale)
    , _black(window.format().pixel(0x000000))
    , _white(window.format().pixel(0xFFFFFF))
    , _font(nullptr)
    , _gc(XCreateGC(connection.display(), window.id(), 0, nullptr))
{
    // A missing font is no reason to stop (the overlay just stays away), so its error is caught here.
    connection.succeeds([&] { _font = XLoadQueryFont(connection.display(), "fixed"); });
    if (_font)
        layOut();
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
    if (_font)
        layOut();
}

void FpsOverlay::layOut()
{
    Display* display = _connection.display();
    int ascent = _font->ascent;
    int lineHeight = ascent + _font->descent;
    auto widthOf = [&](const std::string& line) {
        return XTextWidth(_font, line.data(), static_cast<int>(line.size()));
    };
    int width = std::max({ widthOf(_frameRateLine), widthOf(_cpuLoadLine), 1 });
    int height = 2 * lineHeight;

    // The font's own glyphs, drawn once into a bitmap and read back.
    Pixmap bitmap = XCreatePixmap(display, _window, width, height, 1);
    GC gc = XCreateGC(display, bitmap, 0, nullptr);
    XSetFont(display, gc, _font->fid);
    XSetForeground(display, gc, 0);
    XFillRectangle(display, bitmap, gc, 0, 0, width, height);
    XSetForeground(display, gc, 1);
    XDrawString(display, bitmap, gc, 0, ascent, _frameRateLine.data(), static_cast<int>(_frameRateLine.size()));
    XDrawString(display, bitmap, gc, 0, ascent + lineHeight, _cpuLoadLine.data(),
        static_cast<int>(_cpuLoadLine.size()));
    XImage* glyphs = XGetImage(display, bitmap, 0, 0, width, height, 1, XYPixmap);
    XFreeGC(display, gc);
    XFreePixmap(display, bitmap);

    // Each run of lit pixels in a row becomes one rectangle, `scale` times as large.
    int origin = scaled(margin + padding);
    _textPixels.clear();
    for (int y = 0; glyphs && y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int end = x;
            while (end < width && XGetPixel(glyphs, end, y))
                ++end;
            if (end > x)
                _textPixels.push_back({ static_cast<short>(origin + scaled(x)), static_cast<short>(origin + scaled(y)),
                    static_cast<unsigned short>(scaled(end) - scaled(x)),
                    static_cast<unsigned short>(scaled(y + 1) - scaled(y)) });
            x = end;
        }
    if (glyphs)
        XDestroyImage(glyphs);
    _area = { scaled(margin), scaled(margin), scaled(width + 2 * padding), scaled(height + 2 * padding) };
}

int FpsOverlay::scaled(int points) const
{
    return DrawingLimits::pixels(points, _scale);
}

void FpsOverlay::draw()
{
    if (!_font)
        return;
    Display* display = _connection.display();
    XSetForeground(display, _gc, _black);
    XFillRectangle(display, _window, _gc, _area.x, _area.y, static_cast<unsigned int>(_area.width),
        static_cast<unsigned int>(_area.height));
    XSetForeground(display, _gc, _white);
    XFillRectangles(display, _window, _gc, _textPixels.data(), static_cast<int>(_textPixels.size()));
}
