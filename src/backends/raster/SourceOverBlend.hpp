#pragma once

#include "ConvexCoverage.hpp"
#include "ImageView.hpp"
#include "RowCoverage.hpp"

#include <cstdint>

// Blends one premultiplied ARGB32 colour over the pixels a convex polygon
// covers, each through its coverage, with the same 8-bit arithmetic as
// pixman's OVER with a solid source and an a8 mask (what Cairo does for a stroke).
class SourceOverBlend {
public:
    // The colour as Cairo keeps it for drawing: components and alpha clamped
    // to 0..1 (NaN as 0), premultiplied, taken to 16 bits by truncation, then
    // to 8 bits by dropping the low byte.
    static std::uint32_t premultiplied(double red, double green, double blue, double alpha);

    // One pixel through a coverage byte.
    static std::uint32_t over(std::uint32_t destination, std::uint32_t source, std::uint32_t coverage);

    // The ways to blend a row, from the plainest; all give the very same bytes.
    enum class Kernel { scalar, sse2, avx2 };
    // `wanted` where this build and processor have it, the best one below it otherwise.
    static Kernel supported(Kernel wanted);

    // Blends `source` over every row of `image` that `polygon` covers, each
    // pixel through its coverage (RowCoverage). The kernel must be one that
    // supported() gives.
    static void blendPolygon(ImageView image, ConvexCoverage& polygon, std::uint32_t source, Kernel kernel);
    // Pixels [first, end) of one row, `pixels` pointing at the row's first pixel.
    static void blendRowScalar(std::uint8_t* pixels, int first, int end, const RowCoverage& row,
        std::uint32_t source);
};
