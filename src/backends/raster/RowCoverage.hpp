#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

// What one pixel row of a convex polygon covers, as the straight pieces of its
// two sides that cross the row. With D(x) the part of the row left of x that
// lies inside the polygon, pixel i covers D(i + 1) − D(i); each piece adds to
// D, right of its start, the area it sweeps: ± its height times
//     ½ (clamp(x, low, high) − low)² / (high − low) + max(x − high, 0)
// (+ for the left side, − for the right). The pixels that lie wholly between
// the sides are covered for the row's whole height and need no area at all.
// Areas are kept in 256ths of a pixel, the scale of a coverage byte.
struct RowCoverage {
    struct Piece {
        double low;
        double high;
        // ±256 × the piece's height in the row.
        double weight;
        // weight / (2 (high − low)): ±128 / |dx/dy| of its edge, or 0 for an upright one.
        double bend;
    };

    // Starts an empty row `height` pixels high (at most 1).
    void clear(double height)
    {
        count = 0;
        first = 1 << 30;
        end = 0;
        insideFirst = 0;
        insideEnd = 1 << 30;
        insideCoverage = byteOf(256 * height);
    }

    // Adds a piece from x to nextX down the row, `height` of it, on the left or
    // the right side; `spread` is 128 / |dx/dy| of its edge (0 for an upright one).
    void add(double x, double nextX, double height, double spread, bool leftSide)
    {
        Piece& piece = pieces[count++];
        piece.low = std::min(x, nextX);
        piece.high = std::max(x, nextX);
        piece.weight = (leftSide ? 256 : -256) * height;
        piece.bend = leftSide ? spread : -spread;
        int pieceFirst = static_cast<int>(piece.low);
        int pieceEnd = ceilOf(piece.high);
        first = std::min(first, pieceFirst);
        end = std::max(end, pieceEnd);
        if (leftSide)
            insideFirst = std::max(insideFirst, pieceEnd);
        else
            insideEnd = std::min(insideEnd, pieceFirst);
    }

    // The row of a piece on each side, x to nextX down all of it: what clear() and two add()s give.
    void setStraight(double leftX, double leftNextX, double leftSpread, double rightX, double rightNextX,
        double rightSpread, double height)
    {
        count = 2;
        pieces[0] = { std::min(leftX, leftNextX), std::max(leftX, leftNextX), 256 * height, leftSpread };
        pieces[1] = { std::min(rightX, rightNextX), std::max(rightX, rightNextX), -256 * height, -rightSpread };
        first = static_cast<int>(pieces[0].low);
        insideFirst = ceilOf(pieces[0].high);
        insideEnd = static_cast<int>(pieces[1].low);
        end = ceilOf(pieces[1].high);
        insideCoverage = byteOf(256 * height);
    }

    // D(x) in 256ths; every kernel sums the pieces in this order, so that all give the same bytes.
    double areaLeftOf(double x) const
    {
        double area = 0;
        for (int k = 0; k < count; ++k) {
            const Piece& piece = pieces[k];
            double across = std::min(std::max(x, piece.low), piece.high) - piece.low;
            area += piece.bend * (across * across) + piece.weight * std::max(x - piece.high, 0.0);
        }
        return area;
    }

    // std::ceil for 0 <= value < 2^31, without a call into the maths library.
    static int ceilOf(double value)
    {
        int whole = static_cast<int>(value);
        return whole + (whole < value);
    }

    // An area in 256ths as a coverage byte: rounded, and capped as Cairo's
    // scan converter caps it (and at 0, where rounding leaves a hair below).
    static std::uint32_t byteOf(double area)
    {
        double rounded = area + 0.5;
        rounded = rounded < 255 ? rounded : 255;
        rounded = rounded > 0 ? rounded : 0;
        return static_cast<std::uint32_t>(static_cast<int>(rounded));
    }

    // At most eight: each edge of the polygon makes one piece in a row.
    std::array<Piece, 8> pieces;
    int count = 0;
    // The pixels the row may cover: [first, end).
    int first = 0;
    int end = 0;
    // The pixels wholly between the sides, [insideFirst, insideEnd), and their coverage byte.
    int insideFirst = 0;
    int insideEnd = 0;
    std::uint32_t insideCoverage = 0;
};
