#include "win32/DibImage.hpp"

#include <algorithm>
#include <cstddef>

DibImage::DibImage(int width, int height)
    : _width(std::max(width, 1))
    , _height(std::max(height, 1))
    , _pixels(static_cast<std::size_t>(_width) * _height * 4)
{
}

void DibImage::present(HDC dc, PixelRect area) const
{
    int left = std::max(area.x, 0);
    int top = std::max(area.y, 0);
    int right = std::min(area.x + area.width, _width);
    int bottom = std::min(area.y + area.height, _height);
    if (right <= left || bottom <= top)
        return;
    int rows = bottom - top;
    // Described as a DIB of just these rows, so that no bottom-up/top-down source offset comes into it.
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = _width;
    info.bmiHeader.biHeight = -rows;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const std::uint8_t* firstRow = _pixels.data() + static_cast<std::size_t>(top) * _width * 4;
    SetDIBitsToDevice(dc, left, top, right - left, rows, left, 0, 0, rows, firstRow, &info, DIB_RGB_COLORS);
}
