#pragma once

#include "ImageView.hpp"
#include "PixelRect.hpp"

#include <X11/Xlib.h>

#include <array>
#include <cstdint>
#include <optional>

// How a TrueColor visual lays out a pixel, and the canvas's ARGB32 pixels
// written that way. Where the visual keeps 8-bit red, green and blue at bits
// 16, 8 and 0 of a 32-bit word (the usual 24- and 32-bit visuals) the
// canvas's words are its pixels as they are. Any other layout, such as the
// 5-6-5 of a 16-bit screen or the 10-bit channels of a 30-bit one, takes each
// channel's top bits, or its bits repeated where it is wider than 8, so that
// white stays white.
class PixelFormat {
public:
    // The layout of `visual` at `depth` on this display; nothing when it is
    // not TrueColor or its pixels are neither 16 nor 32 bits.
    static std::optional<PixelFormat> of(Display* display, const Visual& visual, int depth);
    PixelFormat(unsigned long redMask, unsigned long greenMask, unsigned long blueMask, int depth, int bitsPerPixel);

    // The canvas may draw straight into an image of this layout.
    bool isCanvasLayout() const { return _isCanvasLayout; }
    // The pixel that shows the opaque colour 0xRRGGBB.
    std::uint32_t pixel(std::uint32_t rgb) const;
    // Writes `area` of the canvas's pixels `from` into `to`, pixels of this
    // layout in the machine's byte order, rows `toStride` bytes apart.
    void convert(const ImageView& from, std::uint8_t* to, int toStride, PixelRect area) const;

private:
    template <typename Pixel>
    void convertRows(const ImageView& from, std::uint8_t* to, int toStride, PixelRect area) const;

    int _bitsPerPixel;
    bool _isCanvasLayout;
    // Each channel's 8-bit value as it stands in a pixel.
    std::array<std::uint32_t, 256> _red {};
    std::array<std::uint32_t, 256> _green {};
    std::array<std::uint32_t, 256> _blue {};
    // The bits of the depth that hold no colour: a 32-bit visual's alpha, set to opaque.
    std::uint32_t _opaque;
};
