#include "RasterCanvas.hpp"

#include "ClippedQuad.hpp"
#include "SourceOverBlend.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

bool simdWanted()
{
    const char* setting = std::getenv("VORPI_RASTER_SIMD");
    return SourceOverBlend::simdAvailable() && !(setting && std::strcmp(setting, "0") == 0);
}

bool fits(int width, int height)
{
    return width >= 1 && height >= 1 && width <= RasterCanvas::maxSide && height <= RasterCanvas::maxSide;
}

std::unique_ptr<std::uint32_t[]> allocate(int width, int height)
{
    return fits(width, height) ? std::make_unique<std::uint32_t[]>(static_cast<std::size_t>(width) * height) : nullptr;
}

}

RasterCanvas::RasterCanvas(int width, int height)
    : RasterCanvas(allocate(width, height), ImageView { nullptr, width, height, fits(width, height) ? width * 4 : 0 })
{
}

RasterCanvas::RasterCanvas(ImageView lent)
    : RasterCanvas(nullptr, lent)
{
}

RasterCanvas::RasterCanvas(std::unique_ptr<std::uint32_t[]> owned, ImageView image)
    : _owned(std::move(owned))
    , _image(checked(_owned ? ImageView { reinterpret_cast<std::uint8_t*>(_owned.get()), image.width, image.height,
                                          image.stride }
                            : image))
    , _touched(_image.width, _image.height, tileSize)
    , _rowCoverage(static_cast<std::size_t>(_image.width) + 2)
    , _simd(simdWanted())
{
    fillOpaqueBlack();
}

ImageView RasterCanvas::checked(ImageView image)
{
    if (!fits(image.width, image.height))
        throw std::invalid_argument("a canvas of " + std::to_string(image.width) + "x" + std::to_string(image.height)
            + " pixels cannot be made: each side must be 1 to " + std::to_string(maxSide));
    if (!image.pixels || image.stride < image.width * 4)
        throw std::invalid_argument("a canvas needs pixels with rows of at least 4 bytes a pixel");
    return image;
}

void RasterCanvas::fillOpaqueBlack()
{
    const std::uint32_t black = 0xFF000000;
    for (int y = 0; y < _image.height; ++y) {
        std::uint8_t* row = _image.row(y);
        for (int x = 0; x < _image.width; ++x)
            std::memcpy(row + 4 * x, &black, 4);
    }
}

void RasterCanvas::blendRow(int y, int first, int end)
{
    // Whole groups of four suit the vector path: the run grows over neighbours
    // (inside the image) with zero coverage, which leaves them as they are.
    int count = std::min((end - first + 3) / 4 * 4, _image.width);
    int grownEnd = std::min(first + count, _image.width);
    int grownFirst = grownEnd - count;
    for (int x = grownFirst; x < first; ++x)
        _rowCoverage[x] = 0;
    for (int x = end; x < grownEnd; ++x)
        _rowCoverage[x] = 0;
    SourceOverBlend::blendRow(_image.row(y) + 4 * static_cast<std::ptrdiff_t>(grownFirst),
        _rowCoverage.data() + grownFirst, count, _source, _simd);
}

void RasterCanvas::useSimd(bool simd)
{
    _simd = simd && SourceOverBlend::simdAvailable();
}

void RasterCanvas::setColor(double red, double green, double blue, double alpha)
{
    _source = SourceOverBlend::premultiplied(red, green, blue, alpha);
}

void RasterCanvas::strokeSegment(double x1, double y1, double x2, double y2, double width)
{
    if (_source >> 24 == 0)
        return;
    ClippedQuad quad = ClippedQuad::ofSegment(x1, y1, x2, y2, width, _image.width, _image.height);
    if (quad.isEmpty())
        return;
    // Rounding in the clip may stray a hair outside the image.
    int left = std::clamp(quad.left(), 0, _image.width);
    int right = std::clamp(quad.right(), 0, _image.width);
    int top = std::clamp(quad.top(), 0, _image.height);
    int bottom = std::clamp(quad.bottom(), 0, _image.height);
    if (left >= right || top >= bottom)
        return;

    for (int bandTop = top; bandTop < bottom;) {
        int rows = _coverage.beginBand(left, bandTop, right - left, bottom - bandTop);
        for (int i = 0; i < quad.size(); ++i) {
            const ClippedQuad::Point& from = quad[i];
            const ClippedQuad::Point& to = quad[(i + 1) % quad.size()];
            _coverage.addEdge(from.x, from.y, to.x, to.y);
        }
        for (int row = 0; row < rows; ++row) {
            // The coverage buffer runs along the whole image row.
            AreaCoverage::Span span = _coverage.takeRow(row, _rowCoverage.data() + left);
            if (span.first < span.end)
                blendRow(bandTop + row, left + span.first, left + span.end);
        }
        bandTop += rows;
    }
    _touched.mark(left, top, right, bottom);
}
