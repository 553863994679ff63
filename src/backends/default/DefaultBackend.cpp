#include "DefaultBackend.hpp"

#include "RasterCanvas.hpp"

std::unique_ptr<Canvas> DefaultBackend::makeCanvas(int width, int height)
{
    return std::make_unique<RasterCanvas>(width, height);
}

std::unique_ptr<Canvas> DefaultBackend::makeCanvas(ImageView lent)
{
    return std::make_unique<RasterCanvas>(lent);
}
