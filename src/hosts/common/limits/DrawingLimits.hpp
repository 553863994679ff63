#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The largest picture a host draws, and what a host does with a window that
// is larger. A native window that large is refused with a one-line reason; a
// page, which the browser may stretch, draws at the largest scale that fits.
class DrawingLimits {
public:
    // One frame of a larger side would take over a gigabyte.
    static constexpr int largestSide = 16384;
    // What a browser lets a canvas hold, and what the wasm heap holds twice over.
    static constexpr std::int64_t pixelCap = std::int64_t { 8192 } * 8192;

    // Why a window of this many device pixels cannot be drawn, or nothing when it can.
    static std::optional<std::string> refusal(int width, int height);
    // Throws std::runtime_error with the refusal, for a native host's window.
    static void require(int width, int height);

    // The largest scale up to `wanted` at which an area of width x height
    // points, rounded to whole pixels, keeps within the largest side and the
    // pixel cap; `wanted` itself when that fits. Zero for an empty area.
    static double fittingScale(int width, int height, double wanted);
    // The area's side in pixels at `scale`, as every host rounds it.
    static int pixels(int points, double scale);
};
