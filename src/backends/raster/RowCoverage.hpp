#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

// What one pixel row of a convex polygon covers, as the straight pieces of its
// two sides that cross the row. A piece that runs across `width` pixels from
// x = low, down `height` of the row, leaves on its right in pixel [x, x + 1]
// the area (in 256ths of a pixel, the scale of a coverage byte)
//     bend × (b − a) × (a + b) + weight × clamp(u − width + 1, 0, 1)
// where u = x − low, a = clamp(u, 0, width), b = clamp(u + 1, 0, width),
// weight = 256 × height and bend = weight / (2 width) = 128 / |dx/dy| of its
// edge (0 for an upright one): the part of the pixel right of the edge where
// it crosses it, plus the pixel's part wholly right of the piece. A pixel
// covers what the left side's pieces leave on their right less what the right
// side's do (these carry weight and bend negated).
//
// Positions are relative to the row's first pixel and the sums are in single
// precision, so that vector lanes hold eight of them; a piece's width keeps
// its full precision, so that a steep edge's bend cannot magnify the rounding
// of its ends. A coverage is within about 256 × S / 2^24 of the exact area in
// a row S pixels from its first (1/2000 of a level for S = 32): pixels between
// the sides come to the row's height and those beyond the row to 0, each to
// within that.
struct RowCoverage {
    struct Piece {
        // Relative to the row's first pixel.
        float low;
        float width;
        float bend;
        float weight;
    };

    // A side's piece in image coordinates, from x = low to x = high, before
    // the row places it (bend and weight negated on the right side).
    struct Crossing {
        double low;
        double high;
        float bend;
        float weight;
    };

    // A row `height` pixels high (at most 1) where each side is one straight
    // piece, from leftX to leftNextX and from rightX to rightNextX down the row.
    void setStraight(double leftX, double leftNextX, float leftBend, double rightX, double rightNextX,
        float rightBend, double height)
    {
        double leftLow = std::min(leftX, leftNextX);
        double rightHigh = std::max(rightX, rightNextX);
        first = static_cast<int>(leftLow);
        end = ceilOf(rightHigh);
        float weight = static_cast<float>(256 * height);
        pieces[0] = placed({ leftLow, std::max(leftX, leftNextX), leftBend, weight });
        pieces[1] = placed({ std::min(rightX, rightNextX), rightHigh, -rightBend, -weight });
        count = 2;
    }

    // A row with these pieces, the left side's `leftCount` and then the right side's.
    void set(const Crossing* crossings, int leftCount, int pieceCount)
    {
        // The left side holds the row's leftmost point, the right side its rightmost.
        double low = crossings[0].low;
        for (int k = 1; k < leftCount; ++k)
            low = std::min(low, crossings[k].low);
        double high = crossings[leftCount].high;
        for (int k = leftCount + 1; k < pieceCount; ++k)
            high = std::max(high, crossings[k].high);
        first = static_cast<int>(low);
        end = ceilOf(high);
        for (int k = 0; k < pieceCount; ++k)
            pieces[k] = placed(crossings[k]);
        count = pieceCount;
    }

    // What piece k leaves on its right in the pixel at u0 = x − first.
    float pieceArea(int k, float u0) const
    {
        const Piece& piece = pieces[k];
        float u = u0 - piece.low;
        float u1 = u + 1;
        float a = std::min(std::max(u, 0.0f), piece.width);
        float b = std::min(std::max(u1, 0.0f), piece.width);
        float swept = piece.bend * ((b - a) * (a + b));
        float beyond = piece.weight * std::min(std::max(u1 - piece.width, 0.0f), 1.0f);
        return swept + beyond;
    }

    // The area of pixel x in 256ths; every kernel takes these steps in this
    // order, so that all give the same bytes.
    float areaOf(int x) const
    {
        float u0 = static_cast<float>(x - first);
        float area = 0;
        for (int k = 0; k < count; ++k)
            area += pieceArea(k, u0);
        return area;
    }

    // std::ceil for 0 <= value < 2^31, without a call into the maths library.
    static int ceilOf(double value)
    {
        int whole = static_cast<int>(value);
        return whole + (whole < value);
    }

    // An area in 256ths as a coverage byte: rounded, and capped as Cairo's
    // scan converter caps it. Truncation takes the hair below 0 that rounding
    // may leave to 0 too.
    static std::uint32_t byteOf(float area)
    {
        float rounded = area + 0.5f;
        return static_cast<std::uint32_t>(static_cast<int>(rounded < 255 ? rounded : 255));
    }

    // At most eight: each edge of the polygon makes one piece in a row.
    std::array<Piece, 8> pieces;
    int count = 0;
    // The pixels the row may cover: [first, end).
    int first = 0;
    int end = 0;

private:
    Piece placed(const Crossing& crossing) const
    {
        return { static_cast<float>(crossing.low - first), static_cast<float>(crossing.high - crossing.low),
            crossing.bend, crossing.weight };
    }
};
