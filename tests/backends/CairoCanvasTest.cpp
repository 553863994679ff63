#include "CairoCanvas.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t opaqueBlack = 0xFF000000;

int alpha(std::uint32_t pixel) { return static_cast<int>(pixel >> 24); }
int red(std::uint32_t pixel) { return static_cast<int>((pixel >> 16) & 0xFF); }
int green(std::uint32_t pixel) { return static_cast<int>((pixel >> 8) & 0xFF); }
int blue(std::uint32_t pixel) { return static_cast<int>(pixel & 0xFF); }

// Rows (top..bottom) that a stroke changed in column x.
std::vector<int> touchedRows(CairoCanvas& canvas, int x)
{
    canvas.flush();
    std::vector<int> rows;
    for (int y = 0; y < canvas.height(); ++y) {
        if (canvas.pixel(x, y) != opaqueBlack)
            rows.push_back(y);
    }
    return rows;
}

bool untouched(CairoCanvas& canvas)
{
    canvas.flush();
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            if (canvas.pixel(x, y) != opaqueBlack)
                return false;
        }
    }
    return true;
}

}

TEST(CairoCanvas, HalfTransparentSegmentOfWidthTwoOverBlack)
{
    CairoCanvas canvas(32, 32);
    ASSERT_TRUE(untouched(canvas));
    canvas.setColor(1, 1, 1, 0.5);
    canvas.strokeSegment(4, 16, 28, 16, 2);
    canvas.flush();

    // Pixels are unit squares: the stroke covers rows 15 and 16, columns 4..27, each whole.
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            std::uint32_t pixel = canvas.pixel(x, y);
            if ((y == 15 || y == 16) && x >= 4 && x < 28) {
                EXPECT_EQ(alpha(pixel), 255);
                for (int channel : { red(pixel), green(pixel), blue(pixel) }) {
                    EXPECT_GE(channel, 127) << x << "," << y;
                    EXPECT_LE(channel, 128) << x << "," << y;
                }
            } else {
                EXPECT_EQ(pixel, opaqueBlack) << x << "," << y;
            }
        }
    }
}

TEST(CairoCanvas, ChannelsAsGivenAndAlphaClampedToOneAndZero)
{
    CairoCanvas canvas(32, 32);
    canvas.setColor(1, 0, 0, 1.5);
    canvas.strokeSegment(0, 4, 32, 4, 2);
    canvas.setColor(0, 0, 1, 1);
    canvas.strokeSegment(0, 10, 32, 10, 2);
    canvas.flush();
    EXPECT_EQ(canvas.pixel(8, 4), 0xFFFF0000u);
    EXPECT_EQ(canvas.pixel(8, 10), 0xFF0000FFu);

    // The fins fade to an alpha a little below 0: such a stroke leaves no trace.
    CairoCanvas faded(32, 32);
    faded.setColor(1, 1, 1, -0.17);
    faded.strokeSegment(2, 2, 30, 30, 8);
    EXPECT_TRUE(untouched(faded));
}

TEST(CairoCanvas, ZeroLengthSegmentDrawsNothingAndLeavesNoPathBehind)
{
    CairoCanvas canvas(32, 32);
    canvas.setColor(1, 1, 1, 1);
    canvas.strokeSegment(10, 10, 10, 10, 6);
    EXPECT_TRUE(untouched(canvas));

    // The next stroke starts afresh: nothing joins it to the point above.
    canvas.strokeSegment(20, 24, 30, 24, 2);
    EXPECT_EQ(touchedRows(canvas, 25), (std::vector<int> { 23, 24 }));
    EXPECT_TRUE(touchedRows(canvas, 15).empty());
}

TEST(CairoCanvas, EachStrokeHasItsOwnWidthAndKeepsTheColour)
{
    CairoCanvas canvas(32, 32);
    canvas.setColor(0, 1, 0, 1);
    canvas.strokeSegment(0, 8, 10, 8, 6);
    canvas.strokeSegment(10, 24, 20, 24, 2);
    canvas.strokeSegment(20, 16, 32, 16, 4);

    EXPECT_EQ(touchedRows(canvas, 5), (std::vector<int> { 5, 6, 7, 8, 9, 10 }));
    EXPECT_EQ(touchedRows(canvas, 15), (std::vector<int> { 23, 24 }));
    EXPECT_EQ(touchedRows(canvas, 25), (std::vector<int> { 14, 15, 16, 17 }));
    EXPECT_EQ(canvas.pixel(15, 24), 0xFF00FF00u);
    EXPECT_EQ(canvas.pixel(25, 16), 0xFF00FF00u);
}

TEST(CairoCanvas, DrawsIntoLentMemoryWithinItsRowsOnly)
{
    constexpr int width = 8, height = 4, stride = 48;
    constexpr std::uint8_t sentinel = 0xAB;
    std::vector<std::uint8_t> memory(stride * height, sentinel);
    {
        CairoCanvas canvas(memory.data(), width, height, stride);
        canvas.setColor(1, 1, 1, 1);
        canvas.strokeSegment(0, 2, 8, 2, 4);
        canvas.flush();
        EXPECT_EQ(canvas.pixels(), memory.data());
        EXPECT_EQ(canvas.pixel(7, 3), 0xFFFFFFFFu);
    }
    for (int y = 0; y < height; ++y) {
        std::uint32_t last;
        std::memcpy(&last, &memory[y * stride + (width - 1) * 4], 4);
        EXPECT_EQ(last, 0xFFFFFFFFu);
        for (int x = width * 4; x < stride; ++x)
            EXPECT_EQ(memory[y * stride + x], sentinel) << "padding of row " << y;
    }
}
