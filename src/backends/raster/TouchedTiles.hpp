#pragma once

#include "PixelRect.hpp"

#include <cstdint>
#include <vector>

// Which square tiles of an image drawing has touched, handed out as a few
// rectangles: runs of touched tiles along a tile row, joined with the run
// below when both span the same columns.
class TouchedTiles {
public:
    // `tileSize` is a power of two.
    TouchedTiles(int width, int height, int tileSize);

    // Marks every tile that meets the pixels [left, right) x [top, bottom), which lie inside the image.
    void mark(int left, int top, int right, int bottom);
    // The touched areas, clipped to the image, and a fresh start.
    std::vector<PixelRect> take();

private:
    int _width;
    int _height;
    int _tileSize;
    int _tileShift = 0;
    int _columns;
    int _rows;
    std::vector<std::uint8_t> _touched;
    bool _any = false;
};
