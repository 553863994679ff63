#pragma once

#include "ClippedQuad.hpp"
#include "RowCoverage.hpp"

#include <algorithm>
#include <array>

// Walks a convex polygon row by row, giving for each pixel row the straight
// pieces of its left and right sides that cross it (a RowCoverage). Most rows
// meet one piece of each side; the few where a side bends take a slower path.
class ConvexCoverage {
public:
    // Starts on a polygon that lies inside the image; false when it covers no area.
    bool begin(const ClippedQuad& polygon);
    // The rows the polygon meets: [top, bottom).
    int top() const { return _top; }
    int bottom() const { return _bottom; }

    // What image row y covers; false for nothing. Rows go from top to bottom.
    // Inlined into each kernel's loop over the rows: a call there would make
    // the kernel reload its vector constants for every row.
    [[gnu::always_inline]] bool row(int y, RowCoverage& coverage)
    {
        double from = std::max(static_cast<double>(y), _topY);
        double to = std::min(static_cast<double>(y + 1), _bottomY);
        if (!(from < to))
            return false;
        // A side's current piece always starts at or above `from`.
        if (to <= _left.line.endY && to <= _right.line.endY) {
            double leftNext = _left.line.xAt(to);
            double rightNext = _right.line.xAt(to);
            coverage.setStraight(_left.x, leftNext, _left.line.spread, _right.x, rightNext, _right.line.spread,
                to - from);
            _left.x = leftNext;
            _right.x = rightNext;
        } else {
            coverage.clear(to - from);
            _left.cross(from, to, true, coverage);
            _right.cross(from, to, false, coverage);
        }
        return coverage.first < coverage.end;
    }

private:
    // One side of the polygon: its corners from the top one to the bottom one,
    // and where the rows have got to along it.
    struct Side {
        std::array<ClippedQuad::Point, 8> corners;
        std::array<double, 8> slopes;
        // 128 / |slope| of each piece, 0 for an upright one (RowCoverage::add).
        std::array<double, 8> spreads;
        int count = 0;
        // The piece, from corners[piece] to corners[piece + 1], that holds the current height.
        int piece = 0;
        // The side's x at the current height.
        double x = 0;
        // A piece as the rows need it.
        struct Line {
            ClippedQuad::Point start;
            double endX;
            double endY;
            double slope;
            double spread;
            double lowX;
            double highX;

            double xAt(double y) const
            {
                // Between the ends even where rounding would stray a hair past them.
                return y == endY ? endX : std::clamp(start.x + (y - start.y) * slope, lowX, highX);
            }
        };
        // The current piece.
        Line line;

        Line lineOf(int i) const;
        // Adds the side's pieces between heights `from` and `to`, and moves on to `to`.
        void cross(double from, double to, bool leftSide, RowCoverage& coverage);
    };

    static void follow(const ClippedQuad& polygon, int from, int to, int step, Side& side);

    Side _left;
    Side _right;
    double _topY = 0;
    double _bottomY = 0;
    int _top = 0;
    int _bottom = 0;
};
