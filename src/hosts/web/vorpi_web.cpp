// The C functions the page calls. A page has one host at a time; every
// function takes the handle vorpi_create returned, and a null one does nothing.
#include "WebHost.hpp"

#include "options/OptionReader.hpp"
#include "options/SeedSetting.hpp"

#include <emscripten/emscripten.h>

#include <cstdint>
#include <string>

namespace {

// Text the page passes in (vorpi_text) and text handed back to it.
std::string text;

WebHost::Clock::time_point at(double milliseconds)
{
    auto since = std::chrono::duration<double, std::milli>(milliseconds);
    return WebHost::Clock::time_point(std::chrono::duration_cast<WebHost::Clock::duration>(since));
}

}

extern "C" {

// Room for `length` bytes of UTF-8 that the page writes before calling a function that reads them.
EMSCRIPTEN_KEEPALIVE char* vorpi_text(int length)
{
    text.assign(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    return text.data();
}

// The seed written in the text, or -1 when it is not one; the text then becomes the refusal, NUL-terminated.
EMSCRIPTEN_KEEPALIVE double vorpi_read_seed()
{
    if (auto seed = SeedSetting::parse(text))
        return *seed;
    text = OptionReader::invalid("seed", text, SeedSetting::expected);
    return -1;
}

EMSCRIPTEN_KEEPALIVE const char* vorpi_text_read()
{
    return text.c_str();
}

EMSCRIPTEN_KEEPALIVE WebHost* vorpi_create(std::uint32_t seed)
{
    return new WebHost(seed);
}

// The window's shape at `now` (performance.now()); the milliseconds until the
// page should take it (0: at once), or -1 when it is the shape taken last.
EMSCRIPTEN_KEEPALIVE double vorpi_note_shape(WebHost* host, int deviceWidth, int deviceHeight, double ratio, double now)
{
    return host ? host->noteShape(WebHost::shapeFor(deviceWidth, deviceHeight, ratio), at(now)) : -1;
}

// 0 when the picture is drawn at the noted shape, 1 when no canvas fits the
// window, 2 when there is no memory for it (the last picture stays).
EMSCRIPTEN_KEEPALIVE int vorpi_take_shape(WebHost* host)
{
    return host ? static_cast<int>(host->takeShape()) : 1;
}

EMSCRIPTEN_KEEPALIVE void vorpi_set_animating(WebHost* host, int animating)
{
    if (host)
        host->setAnimating(animating != 0);
}

// Runs a frame if one is due at `now`, an animation frame's time; returns whether it ran.
EMSCRIPTEN_KEEPALIVE int vorpi_tick(WebHost* host, double now)
{
    return host && host->tick(at(now));
}

EMSCRIPTEN_KEEPALIVE void vorpi_step(WebHost* host)
{
    if (host)
        host->step();
}

EMSCRIPTEN_KEEPALIVE void vorpi_copy_whole(WebHost* host)
{
    if (host)
        host->copyWhole();
}

EMSCRIPTEN_KEEPALIVE int vorpi_copied_count(const WebHost* host)
{
    return host ? static_cast<int>(host->copied().areas().size()) : 0;
}

// vorpi_copied_count() rectangles of four ints: x, y, width, height.
EMSCRIPTEN_KEEPALIVE const int* vorpi_copied_areas(const WebHost* host)
{
    static_assert(sizeof(PixelRect) == 4 * sizeof(int));
    return host && !host->copied().areas().empty() ? &host->copied().areas().front().x : nullptr;
}

// The copied areas' RGBA bytes, one area after another.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* vorpi_copied_bytes(const WebHost* host)
{
    return host ? host->copied().bytes() : nullptr;
}

EMSCRIPTEN_KEEPALIVE int vorpi_frames_run(WebHost* host)
{
    return host ? static_cast<int>(host->framesRun()) : 0;
}

EMSCRIPTEN_KEEPALIVE int vorpi_width(WebHost* host)
{
    return host ? host->width() : 0;
}

EMSCRIPTEN_KEEPALIVE int vorpi_height(WebHost* host)
{
    return host ? host->height() : 0;
}

// The canvas's pixels per CSS pixel.
EMSCRIPTEN_KEEPALIVE double vorpi_scale(const WebHost* host)
{
    return host ? host->scale() : 0;
}

// Runs one frame into a recording and returns how many drawing calls it made;
// for tests that compare the page's drawing with the native program's.
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
