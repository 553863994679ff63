#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// A view of pixels someone else owns: `height` rows of `stride` bytes, each
// pixel a native-endian 0xAARRGGBB word with premultiplied alpha (Cairo's
// ARGB32, X's 24/32-bit TrueColor, a top-down Windows DIB, the wasm heap).
struct ImageView {
    std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;

    std::uint8_t* row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }

    std::uint32_t pixel(int x, int y) const
    {
        std::uint32_t value;
        std::memcpy(&value, row(y) + static_cast<std::ptrdiff_t>(x) * 4, sizeof value);
        return value;
    }
};
