#pragma once

#include "ClippedQuad.hpp"
#include "RowCoverage.hpp"

#include <algorithm>
#include <array>

// Walks a convex polygon row by row, giving for each pixel row the straight
// pieces of its left and right sides that cross the row (a RowCoverage). Most rows
// meet one piece of each side; the few where a side bends take a slower path.
class ConvexCoverage {
public:
    // A straight piece of a side, from its top end down, as the rows need it.
    struct Line {
        ClippedQuad::Point start;
        double endX;
        double endY;
        double slope;
        double lowX;
        double highX;
        // 128 / |slope|, 0 for an upright piece (RowCoverage).
        float bend;

        // The piece from `start` down to `end`.
        static Line between(const ClippedQuad::Point& start, const ClippedQuad::Point& end);

        double xAt(double y) const
        {
            // Between the ends even where rounding would stray a hair past them.
            return y == endY ? endX : std::clamp(start.x + (y - start.y) * slope, lowX, highX);
        }
    };

    // Starts on a polygon that lies inside the image; false when it covers no area.
    bool begin(const ClippedQuad& polygon);
    // The rows the polygon meets: [top, bottom).
    int top() const { return _top; }
    int bottom() const { return _bottom; }
    // The columns it meets: [left, right).
    int left() const { return _left; }
    int right() const { return _right; }

    // What image row y covers; false for nothing. Rows go from top to bottom.
    // Inlined into each kernel with all it calls: a call would make a vector
    // kernel set up its constants again.
    [[gnu::always_inline]] bool row(int y, RowCoverage& coverage)
    {
        double from = std::max(static_cast<double>(y), _topY);
        double to = std::min(static_cast<double>(y + 1), _bottomY);
        if (!(from < to))
            return false;
        // A side's current piece always starts at or above `from`.
        if (to <= _leftSide.line.endY && to <= _rightSide.line.endY)
            return straightRow(y, coverage);
        crossCorners(from, to, coverage);
        return coverage.first < coverage.end;
    }

    // The end of the rows from y on where each side is one straight piece: y
    // where row y is not one of them. Kernels take such rows through
    // straightRow(), in a loop of their own that keeps its vector constants.
    int straightRowsEnd(int y) const
    {
        double end = std::min(_leftSide.line.endY, _rightSide.line.endY);
        return end >= _bottomY ? _bottom : std::max(y, static_cast<int>(end));
    }
    // What straightRow() works from, for a kernel that works out several rows
    // at once: the sides' pieces, their x where the rows have got to, and the
    // polygon's top and bottom.
    struct StraightSides {
        Line left;
        Line right;
        double leftX;
        double rightX;
        double topY;
        double bottomY;
    };
    StraightSides straightSides() const
    {
        return { _leftSide.line, _rightSide.line, _leftSide.x, _rightSide.x, _topY, _bottomY };
    }
    // Moves on past straight rows a kernel worked out itself, to where its sides got.
    void passStraightRows(double leftX, double rightX)
    {
        _leftSide.x = leftX;
        _rightSide.x = rightX;
    }
    // What row() gives for row y of those.
    [[gnu::always_inline]] bool straightRow(int y, RowCoverage& coverage)
    {
        double from = std::max(static_cast<double>(y), _topY);
        double to = std::min(static_cast<double>(y + 1), _bottomY);
        double leftNext = _leftSide.line.xAt(to);
        double rightNext = _rightSide.line.xAt(to);
        coverage.setStraight(_leftSide.x, leftNext, _leftSide.line.bend, _rightSide.x, rightNext,
            _rightSide.line.bend, to - from);
        _leftSide.x = leftNext;
        _rightSide.x = rightNext;
        return coverage.first < coverage.end;
    }

private:
    // One side of the polygon: its pieces from the top corner to the bottom
    // one, and where the rows have got to along it.
    struct Side {
        std::array<Line, 7> lines;
        int count = 0;
        // The piece that holds the current height.
        int piece = 0;
        // The side's x at the current height.
        double x = 0;
        // A copy of lines[piece], at hand for the rows.
        Line line;

        // Puts the side's pieces between heights `from` and `to` into `crossings`,
        // their weights times `sign`, and moves on to `to`; gives how many.
        [[gnu::always_inline]] int cross(double from, double to, float sign, RowCoverage::Crossing* crossings);
    };

    static void follow(const ClippedQuad& polygon, int from, int to, int step, Side& side);
    // row() where a side turns a corner within the row.
    [[gnu::always_inline]] void crossCorners(double from, double to, RowCoverage& coverage);

    Side _leftSide;
    Side _rightSide;
    double _topY = 0;
    double _bottomY = 0;
    int _top = 0;
    int _bottom = 0;
    int _left = 0;
    int _right = 0;
};

inline int ConvexCoverage::Side::cross(double from, double to, float sign, RowCoverage::Crossing* crossings)
{
    int made = 0;
    // Pieces that end within the row, then the one that goes on below it.
    for (; line.endY < to && piece + 1 < count; line = lines[++piece]) {
        if (line.endY > from)
            crossings[made++] = { std::min(x, line.endX), std::max(x, line.endX), sign * line.bend,
                sign * static_cast<float>(256 * (line.endY - from)) };
        x = line.endX;
        from = std::max(from, line.endY);
    }
    double next = line.xAt(to);
    crossings[made++] = { std::min(x, next), std::max(x, next), sign * line.bend,
        sign * static_cast<float>(256 * (to - from)) };
    x = next;
    return made;
}

inline void ConvexCoverage::crossCorners(double from, double to, RowCoverage& coverage)
{
    std::array<RowCoverage::Crossing, 8> crossings;
    int leftCount = _leftSide.cross(from, to, 1, crossings.data());
    coverage.set(crossings.data(), leftCount, leftCount + _rightSide.cross(from, to, -1, crossings.data() + leftCount));
}
