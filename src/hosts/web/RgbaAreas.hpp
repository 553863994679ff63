#pragma once

#include "ImageView.hpp"
#include "PixelRect.hpp"

#include <cstdint>
#include <vector>

// Areas of a canvas copied out in the byte order of a browser's ImageData
// (red, green, blue, alpha), each area row after row and the areas one after
// another, so that the page puts each with one putImageData.
class RgbaAreas {
public:
    // Copies `areas`, which lie inside `image`, replacing what was copied before.
    void copy(ImageView image, const std::vector<PixelRect>& areas);

    const std::vector<PixelRect>& areas() const { return _areas; }
    const std::uint8_t* bytes() const { return _bytes.data(); }

private:
    std::vector<PixelRect> _areas;
    std::vector<std::uint8_t> _bytes;
};
