#include "RgbaAreas.hpp"

#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the swap below assumes the wasm byte order");

void RgbaAreas::copy(ImageView image, const std::vector<PixelRect>& areas)
{
    _areas = areas;
    std::size_t total = 0;
    for (const PixelRect& area : areas)
        total += static_cast<std::size_t>(area.width) * area.height * 4;
    if (_bytes.size() < total)
        _bytes.resize(total);

    std::uint8_t* out = _bytes.data();
    for (const PixelRect& area : areas) {
        for (int y = area.y; y < area.y + area.height; ++y) {
            const std::uint8_t* in = image.row(y) + static_cast<std::size_t>(area.x) * 4;
            for (int x = 0; x < area.width; ++x, in += 4, out += 4) {
                // 0xAARRGGBB to the bytes R, G, B, A; the canvas stays opaque,
                // so its premultiplied colours are the plain ones.
                std::uint32_t argb;
                std::memcpy(&argb, in, 4);
                std::uint32_t rgba = (argb & 0xFF00FF00) | (argb >> 16 & 0xFF) | (argb & 0xFF) << 16;
                std::memcpy(out, &rgba, 4);
            }
        }
    }
}
