#pragma once

#include "ImageView.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

// What a test saw on a screen, in a window or in an image file: one number a
// pixel, row by row; 0xRRGGBB unless the test writes them another way.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    // A canvas's colours, without their alpha.
    static Picture of(const ImageView& image);
    // A PNG file's colours; an empty picture when the file is no PNG.
    static Picture fromPng(const std::filesystem::path& file);

    std::size_t count(std::uint32_t colour) const { return std::ranges::count(pixels, colour); }
    // The pixels that are not black from (left, top) up to (right, bottom).
    std::size_t lit(int left, int top, int right, int bottom) const;
    std::size_t lit() const { return lit(0, 0, width, height); }
    // Translucent, antialiased strokes in many colours over at least 1 % of the picture.
    bool showsCreatures() const;

    bool operator==(const Picture&) const = default;
};
