#include "SourceOverBlend.hpp"

#include "VectorKernels.hpp"

#include <algorithm>
#include <cstring>

namespace {

using Kernel = SourceOverBlend::Kernel;

std::uint32_t channel(double value)
{
    double clamped = value > 0 ? std::min(value, 1.0) : 0.0;
    return static_cast<std::uint32_t>(static_cast<std::uint16_t>(clamped * (65536.0 - 1e-5))) >> 8;
}

// a × b / 255 rounded to nearest, exact for every pair of bytes.
std::uint32_t multiply(std::uint32_t a, std::uint32_t b)
{
    std::uint32_t product = a * b + 128;
    return (product + (product >> 8)) >> 8;
}

bool available(Kernel kernel)
{
    switch (kernel) {
    case Kernel::scalar:
        return true;
    case Kernel::sse2:
        return VectorKernels::sse2Available();
    case Kernel::avx2:
        return VectorKernels::avx2Available();
    }
    return false;
}

}

std::uint32_t SourceOverBlend::premultiplied(double red, double green, double blue, double alpha)
{
    double opacity = alpha > 0 ? std::min(alpha, 1.0) : 0.0;
    auto component = [&](double value) { return channel((value > 0 ? std::min(value, 1.0) : 0.0) * opacity); };
    return channel(opacity) << 24 | component(red) << 16 | component(green) << 8 | component(blue);
}

// For a pixel d with coverage m (0..255), source s, per channel c, and
// multiply(a, b) = a × b / 255 rounded to nearest:
//     t_c = multiply(s_c, m)
//     d_c = min(255, t_c + multiply(d_c, 255 − t_alpha))
// A pixel with m = 0 stays as it is (the formula leaves it so too).
std::uint32_t SourceOverBlend::over(std::uint32_t destination, std::uint32_t source, std::uint32_t coverage)
{
    std::uint32_t left = 255 - multiply(source >> 24, coverage);
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        std::uint32_t tinted = multiply(source >> shift & 0xFF, coverage);
        result |= std::min<std::uint32_t>(255, tinted + multiply(destination >> shift & 0xFF, left)) << shift;
    }
    return result;
}

SourceOverBlend::Kernel SourceOverBlend::supported(Kernel wanted)
{
    while (!available(wanted))
        wanted = static_cast<Kernel>(static_cast<int>(wanted) - 1);
    return wanted;
}

// In each row the polygon covers (ConvexCoverage, RowCoverage), pixel x takes
// the coverage byte of its part of the row, m = byteOf(areaOf(x)), and goes
// source-over through it (over()).
void SourceOverBlend::blendRowScalar(std::uint8_t* pixels, int first, int end, const RowCoverage& row,
    std::uint32_t source)
{
    for (int x = first; x < end; ++x) {
        std::uint32_t coverage = RowCoverage::byteOf(row.areaOf(x));
        if (coverage == 0)
            continue;
        std::uint32_t pixel;
        std::memcpy(&pixel, pixels + 4 * x, 4);
        pixel = over(pixel, source, coverage);
        std::memcpy(pixels + 4 * x, &pixel, 4);
    }
}

void SourceOverBlend::blendPolygon(ImageView image, ConvexCoverage& polygon, std::uint32_t source, Kernel kernel)
{
    if (kernel == Kernel::avx2)
        VectorKernels::blendAvx2(image, polygon, source);
    else if (kernel == Kernel::sse2)
        VectorKernels::blendSse2(image, polygon, source);
    else {
        RowCoverage row;
        for (int y = polygon.top(); y < polygon.bottom(); ++y) {
            if (polygon.row(y, row))
                blendRowScalar(image.row(y), row.first, row.end, row, source);
        }
    }
}
