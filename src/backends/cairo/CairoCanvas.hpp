#pragma once

#include "Canvas.hpp"

#include <cairo.h>
#include <cstdint>

// An ARGB32 image that starts opaque black and is never cleared; the module's
// segments are stroked into it with Cairo's defaults for caps, joins and
// antialiasing. The programs draw with RasterCanvas; this one is the
// reference that the tests and benchmarks hold that one against.
class CairoCanvas final : public Canvas {
public:
    CairoCanvas(int width, int height);
    ~CairoCanvas() override;
    CairoCanvas(const CairoCanvas&) = delete;
    CairoCanvas& operator=(const CairoCanvas&) = delete;

    // Alpha is clamped to 0..1, so a negative alpha draws nothing.
    void setColor(double red, double green, double blue, double alpha) override;
    void strokeSegment(double x1, double y1, double x2, double y2, double width) override;

    ImageView image() override;
    // Cairo does not say where it drew: the whole image once anything was drawn.
    std::vector<PixelRect> takeTouchedAreas() override;

    int width() const { return _width; }
    int height() const { return _height; }
    int stride() const { return _stride; }
    // Native-endian 0xAARRGGBB words, premultiplied; call flush() first when reading.
    const std::uint8_t* pixels() const;
    std::uint32_t pixel(int x, int y) const;
    // Finishes pending drawing so that the pixels can be read.
    void flush();
    cairo_surface_t* cairoSurface() const { return _surface; }

private:
    void paintOpaqueBlack();

    int _width;
    int _height;
    int _stride;
    bool _drawn = false;
    cairo_surface_t* _surface;
    cairo_t* _cairo;
};
