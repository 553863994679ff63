#include "CairoCanvas.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr std::uint32_t opaqueBlack = 0xFF000000;

// Rows (top to bottom) that strokes changed in column x.
std::vector<int> touchedRows(CairoCanvas& canvas, int x)
{
    canvas.flush();
    std::vector<int> rows;
    for (int y = 0; y < canvas.height(); ++y)
        if (canvas.pixel(x, y) != opaqueBlack)
            rows.push_back(y);
    return rows;
}

}

TEST(CairoCanvas, EachStrokeTakesItsOwnWidthInTheCurrentColour)
{
    CairoCanvas canvas(32, 32);
    // The fins fade to an alpha a little below 0: such a stroke leaves no trace, nor does a zero-length one.
    canvas.setColor(1, 1, 1, -0.17);
    canvas.strokeSegment(2, 2, 30, 30, 8);
    canvas.setColor(1, 1, 1, 1);
    canvas.strokeSegment(10, 10, 10, 10, 6);
    for (int x = 0; x < 32; ++x)
        EXPECT_TRUE(touchedRows(canvas, x).empty()) << "column " << x;

    // The next stroke starts afresh: nothing joins it to the point above, and it keeps the colour.
    canvas.strokeSegment(20, 24, 30, 24, 2);
    EXPECT_EQ(touchedRows(canvas, 25), (std::vector<int> { 23, 24 }));
    EXPECT_TRUE(touchedRows(canvas, 15).empty());
    EXPECT_EQ(canvas.pixel(25, 24), 0xFFFFFFFFu);

    // Channels land as given, and an alpha above 1 is opaque.
    canvas.setColor(1, 0, 0, 1.5);
    canvas.strokeSegment(0, 8, 10, 8, 6);
    canvas.setColor(0, 0, 1, 1);
    canvas.strokeSegment(10, 16, 20, 16, 4);
    EXPECT_EQ(touchedRows(canvas, 5), (std::vector<int> { 5, 6, 7, 8, 9, 10 }));
    EXPECT_EQ(touchedRows(canvas, 15), (std::vector<int> { 14, 15, 16, 17 }));
    EXPECT_EQ(canvas.pixel(5, 8), 0xFFFF0000u);
    EXPECT_EQ(canvas.pixel(15, 16), 0xFF0000FFu);
}
