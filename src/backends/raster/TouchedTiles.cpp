#include "TouchedTiles.hpp"

#include <algorithm>

TouchedTiles::TouchedTiles(int width, int height, int tileSize)
    : _width(width)
    , _height(height)
    , _tileSize(tileSize)
    , _columns((width + tileSize - 1) / tileSize)
    , _rows((height + tileSize - 1) / tileSize)
    , _touched(static_cast<std::size_t>(_columns) * _rows, 0)
{
    while (1 << _tileShift < tileSize)
        ++_tileShift;
}

void TouchedTiles::mark(int left, int top, int right, int bottom)
{
    if (left >= right || top >= bottom)
        return;
    // Shifts, not divisions: this runs for every stroke.
    int lastColumn = (right - 1) >> _tileShift;
    int lastRow = (bottom - 1) >> _tileShift;
    for (int row = top >> _tileShift; row <= lastRow; ++row) {
        std::uint8_t* tiles = _touched.data() + static_cast<std::ptrdiff_t>(row) * _columns;
        // A stroke spans a tile or two: a plain loop, not a call to memset.
        for (int column = left >> _tileShift; column <= lastColumn; ++column)
            tiles[column] = 1;
    }
    _any = true;
}

std::vector<PixelRect> TouchedTiles::take()
{
    std::vector<PixelRect> areas;
    if (!_any)
        return areas;
    for (int row = 0; row < _rows; ++row) {
        std::size_t rowFrom = areas.size();
        const std::uint8_t* tiles = _touched.data() + static_cast<std::ptrdiff_t>(row) * _columns;
        int top = row * _tileSize;
        int height = std::min(_tileSize, _height - top);
        for (int column = 0; column < _columns;) {
            if (!tiles[column]) {
                ++column;
                continue;
            }
            int first = column;
            while (column < _columns && tiles[column])
                ++column;
            int left = first * _tileSize;
            int width = std::min(column * _tileSize, _width) - left;
            // A run under an area of the same columns extends it.
            auto above = std::find_if(areas.begin(), areas.begin() + static_cast<std::ptrdiff_t>(rowFrom),
                [&](const PixelRect& area) {
                    return area.x == left && area.width == width && area.y + area.height == top;
                });
            if (above != areas.begin() + static_cast<std::ptrdiff_t>(rowFrom))
                above->height += height;
            else
                areas.push_back({ left, top, width, height });
        }
    }
    std::fill(_touched.begin(), _touched.end(), 0);
    _any = false;
    return areas;
}
