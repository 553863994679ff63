#include "limits/DrawingLimits.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

bool fits(int width, int height, double scale)
{
    std::int64_t pixelsWide = DrawingLimits::pixels(width, scale);
    std::int64_t pixelsHigh = DrawingLimits::pixels(height, scale);
    return pixelsWide >= 1 && pixelsHigh >= 1 && pixelsWide <= DrawingLimits::largestSide
        && pixelsHigh <= DrawingLimits::largestSide && pixelsWide * pixelsHigh <= DrawingLimits::pixelCap;
}

}

std::optional<std::string> DrawingLimits::refusal(int width, int height)
{
    if (width <= largestSide && height <= largestSide)
        return std::nullopt;
    std::string largest = std::to_string(largestSide);
    return "the window is " + std::to_string(width) + "x" + std::to_string(height) + ", larger than the " + largest
        + "x" + largest + " that vorpi draws in";
}

void DrawingLimits::require(int width, int height)
{
    if (auto reason = refusal(width, height))
        throw std::runtime_error(*reason);
}

int DrawingLimits::pixels(int points, double scale)
{
    return static_cast<int>(std::lround(points * scale));
}

double DrawingLimits::fittingScale(int width, int height, double wanted)
{
    if (width < 1 || height < 1 || !(wanted > 0))
        return 0;
    double area = static_cast<double>(width) * height;
    double scale = std::min({ wanted, std::sqrt(static_cast<double>(pixelCap) / area),
        static_cast<double>(largestSide) / std::max(width, height) });
    // Rounding each side up may still overshoot the cap by a row or a column:
    // step down by less than a pixel on the longer side until it fits.
    double step = scale / (2.0 * std::max(width, height));
    while (scale > 0 && !fits(width, height, scale))
        scale -= step;
    return std::max(scale, 0.0);
}
