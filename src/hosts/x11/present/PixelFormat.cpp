#include "present/PixelFormat.hpp"

#include <X11/Xutil.h>

#include <bit>
#include <cstring>

namespace {

// An 8-bit channel value in `bits` bits: its top bits, or the value repeated for a wider channel.
std::uint32_t resized(std::uint32_t value, int bits)
{
    if (bits <= 8)
        return value >> (8 - bits);
    std::uint64_t repeated = value;
    int have = 8;
    for (; have < bits; have += 8)
        repeated = repeated << 8 | value;
    return static_cast<std::uint32_t>(repeated >> (have - bits));
}

void fill(std::array<std::uint32_t, 256>& table, unsigned long mask)
{
    int bits = std::popcount(mask);
    int shift = std::countr_zero(mask);
    for (std::uint32_t value = 0; value < table.size(); ++value)
        table[value] = mask ? resized(value, bits) << shift : 0;
}

}

std::optional<PixelFormat> PixelFormat::of(Display* display, const Visual& visual, int depth)
{
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    int bitsPerPixel = 0;
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == depth)
            bitsPerPixel = formats[i].bits_per_pixel;
    XFree(formats);
    if (visual.c_class != TrueColor || (bitsPerPixel != 16 && bitsPerPixel != 32))
        return std::nullopt;
    return PixelFormat(visual.red_mask, visual.green_mask, visual.blue_mask, depth, bitsPerPixel);
}

PixelFormat::PixelFormat(unsigned long redMask, unsigned long greenMask, unsigned long blueMask, int depth,
    int bitsPerPixel)
    : _bitsPerPixel(bitsPerPixel)
    , _isCanvasLayout(bitsPerPixel == 32 && redMask == 0xFF0000 && greenMask == 0x00FF00 && blueMask == 0x0000FF)
{
    fill(_red, redMask);
    fill(_green, greenMask);
    fill(_blue, blueMask);
    std::uint32_t depthBits = depth >= 32 ? 0xFFFFFFFFu : (1u << depth) - 1;
    _opaque = depthBits & ~static_cast<std::uint32_t>(redMask | greenMask | blueMask);
}

std::uint32_t PixelFormat::pixel(std::uint32_t rgb) const
{
    return _red[rgb >> 16 & 0xFF] | _green[rgb >> 8 & 0xFF] | _blue[rgb & 0xFF] | _opaque;
}

void PixelFormat::convert(const ImageView& from, std::uint8_t* to, int toStride, PixelRect area) const
{
    if (_bitsPerPixel == 16)
        convertRows<std::uint16_t>(from, to, toStride, area);
    else
        convertRows<std::uint32_t>(from, to, toStride, area);
}

template <typename Pixel>
void PixelFormat::convertRows(const ImageView& from, std::uint8_t* to, int toStride, PixelRect area) const
{
    for (int y = area.y; y < area.y + area.height; ++y) {
        std::uint8_t* row = to + static_cast<std::ptrdiff_t>(y) * toStride;
        for (int x = area.x; x < area.x + area.width; ++x) {
            auto converted = static_cast<Pixel>(pixel(from.pixel(x, y)));
            std::memcpy(row + static_cast<std::ptrdiff_t>(x) * sizeof(Pixel), &converted, sizeof(Pixel));
        }
    }
}
