#pragma once

#include "ImageView.hpp"
#include "PixelRect.hpp"

#include <windows.h>

#include <cstdint>
#include <vector>

// Pixels in the layout of a top-down 32-bit Windows DIB, owned here and lent
// to the canvas; presents any part of them to a device context.
class DibImage {
public:
    DibImage(int width, int height);

    ImageView view() { return { _pixels.data(), _width, _height, _width * 4 }; }
    int width() const { return _width; }
    int height() const { return _height; }

    // Copies `area` (clipped to the image) to the same place in `dc`.
    void present(HDC dc, PixelRect area) const;

private:
    int _width;
    int _height;
    std::vector<std::uint8_t> _pixels;
};
