#pragma once

#include "Canvas.hpp"
#include "ConvexCoverage.hpp"
#include "SourceOverBlend.hpp"
#include "TouchedTiles.hpp"

#include <cstdint>
#include <memory>
#include <vector>

// The canvas of our own rasteriser. A segment with butt ends is the convex
// quadrilateral it covers; each pixel takes the exact area of it that falls
// inside, and the colour goes source-over through that coverage. Steps per
// segment: quadrilateral, clip to the image, then row by row the pieces of its
// sides that cross the row and one pass over the row's span that takes each
// pixel's coverage and blends it; last the touched tiles.
//
// The pixels are its own or lent (X shared memory, say) for the canvas's life.
// Blending takes the best kernel the build and processor have (AVX2, SSE2,
// scalar); VORPI_RASTER_SIMD in the environment picks one: `0` for the scalar
// kernel, `sse2` or `avx2` for that one where there, the best below it where
// not; any other value is ignored. All give the same bytes.
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

    // For tests and benchmarks: blend with this kernel where there, with the best one below it where not.
    void useKernel(SourceOverBlend::Kernel kernel) { _kernel = SourceOverBlend::supported(kernel); }

private:
    // Draws into `owned` where given, with the size of `image`; into `image` otherwise.
    RasterCanvas(std::unique_ptr<std::uint32_t[]> owned, ImageView image);
    static ImageView checked(ImageView image);
    void fillOpaqueBlack();

    std::unique_ptr<std::uint32_t[]> _owned;
    ImageView _image;
    TouchedTiles _touched;
    ConvexCoverage _coverage;
    std::uint32_t _source = 0;
    SourceOverBlend::Kernel _kernel;
};
