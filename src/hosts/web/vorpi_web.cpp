// The C functions the page calls. A page has one view at a time; every
// function takes the handle vorpi_create returned, and a null one does nothing.
#include "WebHost.hpp"

#include <emscripten/emscripten.h>

#include <cstdint>

extern "C" {

// Null when the size or scale is out of range.
EMSCRIPTEN_KEEPALIVE WebHost* vorpi_create(int cssWidth, int cssHeight, double scale, std::uint32_t seed)
{
    return WebHost::create(cssWidth, cssHeight, scale, seed).release();
}

EMSCRIPTEN_KEEPALIVE void vorpi_destroy(WebHost* host)
{
    delete host;
}

EMSCRIPTEN_KEEPALIVE void vorpi_set_animating(WebHost* host, int animating)
{
    if (!host)
        return;
    if (animating)
        host->startAnimation();
    else
        host->stopAnimation();
}

EMSCRIPTEN_KEEPALIVE void vorpi_frame(WebHost* host)
{
    if (host)
        host->runFrame();
}

// The seconds the view asks for between frames.
EMSCRIPTEN_KEEPALIVE double vorpi_frame_interval(const WebHost* host)
{
    return host ? host->frameIntervalSeconds() : 0;
}

EMSCRIPTEN_KEEPALIVE int vorpi_frames_run(const WebHost* host)
{
    return host ? static_cast<int>(host->framesRun()) : 0;
}

EMSCRIPTEN_KEEPALIVE int vorpi_width(const WebHost* host)
{
    return host ? host->width() : 0;
}

EMSCRIPTEN_KEEPALIVE int vorpi_height(const WebHost* host)
{
    return host ? host->height() : 0;
}

// width x height RGBA pixels, ready for an ImageData.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* vorpi_pixels(const WebHost* host)
{
    return host ? host->rgba() : nullptr;
}

EMSCRIPTEN_KEEPALIVE int vorpi_touched_count(const WebHost* host)
{
    return host ? static_cast<int>(host->touchedAreas().size()) : 0;
}

// vorpi_touched_count() rectangles of four ints: x, y, width, height.
EMSCRIPTEN_KEEPALIVE const int* vorpi_touched_areas(const WebHost* host)
{
    static_assert(sizeof(PixelRect) == 4 * sizeof(int));
    return host && !host->touchedAreas().empty() ? &host->touchedAreas().front().x : nullptr;
}

// Runs one frame into a recording and returns how many drawing calls it made;
// for tests that compare the page's drawing with the native program's trace.
EMSCRIPTEN_KEEPALIVE int vorpi_record_frame(WebHost* host)
{
    return host ? host->recordFrame() : 0;
}

// The recorded calls, six doubles each: 0 for a colour or 1 for a stroke, then its five values.
EMSCRIPTEN_KEEPALIVE const double* vorpi_recorded_calls(const WebHost* host)
{
    return host ? host->recordedCalls().data() : nullptr;
}
}
