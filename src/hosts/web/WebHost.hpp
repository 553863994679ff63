#pragma once

#include "PixelRect.hpp"
#include "RasterCanvas.hpp"
#include "drawing/RecordingSurface.hpp"
#include "drawing/ScaledSurface.hpp"
#include "saver/ScreenSaverSession.hpp"

#include <cstdint>
#include <memory>
#include <vector>

// The host behind the web page: one view laid out in CSS pixels, drawn at the
// device's scale into a raster canvas, and a copy of that canvas in the byte
// order a browser's ImageData takes, refreshed where each frame drew.
class WebHost {
public:
    // The largest canvas a page may ask for, in device pixels: within what a
    // browser lets a canvas hold, and what the wasm heap holds twice over.
    static constexpr int maxSide = 16384;
    static constexpr std::int64_t maxPixels = 8192 * 8192;

    // Null when the size or scale is out of range.
    static std::unique_ptr<WebHost> create(int cssWidth, int cssHeight, double scale, std::uint32_t seed);

    void startAnimation() { _session.start(); }
    void stopAnimation() { _session.stop(); }

    // Runs one frame (none while the animation is stopped) and copies what it touched.
    void runFrame();
    // Runs one frame into a recording instead of the canvas and returns how many
    // drawing calls it made, as the view made them (unscaled).
    int recordFrame();
    // The recorded calls, six doubles each: 0 for a colour or 1 for a stroke, then its five values.
    const std::vector<double>& recordedCalls() const { return _recorded; }

    std::int64_t framesRun() const { return _session.framesRun(); }
    double frameIntervalSeconds() const { return _session.interval(); }
    int width() const { return _width; }
    int height() const { return _height; }
    // width x height pixels, four bytes each: red, green, blue, alpha (ImageData's order).
    const std::uint8_t* rgba() const { return _rgba.data(); }
    // The areas the last frame changed, in device pixels.
    const std::vector<PixelRect>& touchedAreas() const { return _touched; }

private:
    WebHost(CGSize area, int width, int height, double scale, std::uint32_t seed);

    void copyToRgba(const PixelRect& area);

    int _width;
    int _height;
    RasterCanvas _canvas;
    ScaledSurface _scaled;
    RecordingSurface _recording;
    ScreenSaverSession _session;
    std::vector<std::uint8_t> _rgba;
    std::vector<PixelRect> _touched;
    std::vector<double> _recorded;
};
