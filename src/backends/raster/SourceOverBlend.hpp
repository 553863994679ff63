#pragma once

#include <cstdint>

// Blends one premultiplied ARGB32 colour over a run of pixels, each through
// its own coverage, with the same 8-bit arithmetic as pixman's OVER with a
// solid source and an a8 mask (what Cairo does for a stroke).
class SourceOverBlend {
public:
    // The colour as Cairo keeps it for drawing: components and alpha clamped
    // to 0..1 (NaN as 0), premultiplied, taken to 16 bits by truncation, then
    // to 8 bits by dropping the low byte.
    static std::uint32_t premultiplied(double red, double green, double blue, double alpha);

    // Whether this build and machine have the vector path.
    static bool simdAvailable();

    // `pixels` holds `count` native-endian words (any alignment); coverage[i]
    // goes with pixel i. The vector path gives the very same bytes.
    static void blendRow(std::uint8_t* pixels, const std::uint8_t* coverage, int count, std::uint32_t source,
        bool simd);
    static void blendRowScalar(std::uint8_t* pixels, const std::uint8_t* coverage, int count, std::uint32_t source);
};
