#include "RasterCanvas.hpp"

#include "ClippedQuad.hpp"

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

SourceOverBlend::Kernel kernelFromEnvironment()
{
    using Kernel = SourceOverBlend::Kernel;
    const char* setting = std::getenv("VORPI_RASTER_SIMD");
    std::string wanted = setting ? setting : "";
    return SourceOverBlend::supported(wanted == "0" ? Kernel::scalar : wanted == "sse2" ? Kernel::sse2 : Kernel::avx2);
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
    , _kernel(kernelFromEnvironment())
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

void RasterCanvas::setColor(double red, double green, double blue, double alpha)
{
    _source = SourceOverBlend::premultiplied(red, green, blue, alpha);
}

void RasterCanvas::strokeSegment(double x1, double y1, double x2, double y2, double width)
{
    if (_source >> 24 == 0)
        return;
    ClippedQuad quad = ClippedQuad::ofSegment(x1, y1, x2, y2, width, _image.width, _image.height);
    if (quad.isEmpty() || !_coverage.begin(quad))
        return;
    SourceOverBlend::blendPolygon(_image, _coverage, _source, _kernel);
    _touched.mark(_coverage.left(), _coverage.top(), _coverage.right(), _coverage.bottom());
}
