#pragma once

#include "AreaCoverage.hpp"
#include "Canvas.hpp"
#include "TouchedTiles.hpp"

#include <cstdint>
#include <memory>
#include <vector>

// The canvas of our own rasteriser. A segment with butt ends is the convex
// quadrilateral it covers; each pixel takes the exact area of it that falls
// inside, and the colour goes source-over through that coverage. Steps per
// segment: quadrilateral, clip to the image, area cells, one blend pass over
// the rows the cells span (clearing the cells as it reads), touched tiles.
//
// The pixels are its own or lent (X shared memory, say) for the canvas's life.
// Blending uses SSE2 where built with it, unless VORPI_RASTER_SIMD=0 is set
// in the environment; both paths give the same bytes.
class RasterCanvas final : public Canvas {
public:
    // Throws std::invalid_argument for a side outside 1..maxSide.
    RasterCanvas(int width, int height);
    // Throws std::invalid_argument for a side outside 1..maxSide, no pixels or rows shorter than width pixels.
    explicit RasterCanvas(ImageView lent);

    static constexpr int maxSide = 32767;
    // Touched areas are whole tiles of this side. At 1080p a frame touches about
    // 34 of them (7 % of the screen), and putting those on an X server measured
    // about as cheap as putting just the strokes' bounding box; finer tiles
    // would only mean more rectangles to merge and send.
    static constexpr int tileSize = 64;

    // Alpha at or below 0 (or NaN) makes the following strokes draw nothing.
    void setColor(double red, double green, double blue, double alpha) override;
    // Draws nothing for a zero length, a width that is not positive, or a value
    // that is not finite; draws only the part inside the image otherwise.
    void strokeSegment(double x1, double y1, double x2, double y2, double width) override;

    ImageView image() override { return _image; }
    std::vector<PixelRect> takeTouchedAreas() override { return _touched.take(); }

    // For tests and benchmarks: draw with the scalar blend even where SSE2 is there.
    void useSimd(bool simd);
    bool usesSimd() const { return _simd; }

private:
    // Draws into `owned` where given, with the size of `image`; into `image` otherwise.
    RasterCanvas(std::unique_ptr<std::uint32_t[]> owned, ImageView image);
    static ImageView checked(ImageView image);
    void fillOpaqueBlack();
    // Blends the coverage of image row y over pixels [first, end).
    void blendRow(int y, int first, int end);

    std::unique_ptr<std::uint32_t[]> _owned;
    ImageView _image;
    TouchedTiles _touched;
    AreaCoverage _coverage;
    std::vector<std::uint8_t> _rowCoverage;
    std::uint32_t _source = 0;
    bool _simd;
};
