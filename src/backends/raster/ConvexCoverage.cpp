#include "ConvexCoverage.hpp"

#include <algorithm>
#include <cmath>

namespace {

using Point = ClippedQuad::Point;

// std::ceil for 0 <= value < 2^31, without a call into the maths library.
int ceilOf(double value)
{
    int whole = static_cast<int>(value);
    return whole + (whole < value);
}

}

bool ConvexCoverage::begin(const ClippedQuad& polygon)
{
    int count = polygon.size();
    int highest = 0;
    int lowest = 0;
    double twiceArea = 0;
    for (int i = 0; i < count; ++i) {
        const Point& from = polygon[i];
        const Point& to = polygon[(i + 1) % count];
        twiceArea += from.x * to.y - to.x * from.y;
        highest = from.y < polygon[highest].y ? i : highest;
        lowest = from.y > polygon[lowest].y ? i : lowest;
    }
    if (!(twiceArea != 0))
        return false;
    // With y growing downwards a positive area means the corners go clockwise
    // on screen, so that the right side follows them forwards from the top.
    bool forwardsIsRight = twiceArea > 0;
    follow(polygon, highest, lowest, 1, forwardsIsRight ? _right : _left);
    follow(polygon, highest, lowest, -1, forwardsIsRight ? _left : _right);
    _topY = polygon[highest].y;
    _bottomY = polygon[lowest].y;
    _top = static_cast<int>(_topY);
    _bottom = ceilOf(_bottomY);
    return true;
}

void ConvexCoverage::follow(const ClippedQuad& polygon, int from, int to, int step, Side& side)
{
    side.count = 0;
    for (int i = from;; i = (i + step + polygon.size()) % polygon.size()) {
        side.corners[side.count++] = polygon[i];
        if (i == to)
            break;
    }
    // An edge steeper than this is taken as upright: the area that leaves out is far below a coverage level.
    const double upright = 0x1p-32;
    for (int i = 0; i + 1 < side.count; ++i) {
        double height = side.corners[i + 1].y - side.corners[i].y;
        double slope = height > 0 ? (side.corners[i + 1].x - side.corners[i].x) / height : 0;
        side.slopes[i] = slope;
        side.spreads[i] = std::abs(slope) > upright ? 128 / std::abs(slope) : 0;
    }
    side.piece = 0;
    side.line = side.lineOf(0);
    side.x = side.corners[0].x;
}

ConvexCoverage::Side::Line ConvexCoverage::Side::lineOf(int i) const
{
    const Point& start = corners[i];
    const Point& end = corners[i + 1];
    return { start, end.x, end.y, slopes[i], spreads[i], std::min(start.x, end.x), std::max(start.x, end.x) };
}

void ConvexCoverage::Side::cross(double from, double to, bool leftSide, RowCoverage& coverage)
{
    for (int i = piece;; ++i) {
        const Point& start = corners[i];
        const Point& end = corners[i + 1];
        bool reachesTo = end.y >= to || i + 2 == count;
        double pieceFrom = std::max(start.y, from);
        double pieceTo = reachesTo ? to : end.y;
        double nextX = reachesTo ? lineOf(i).xAt(to) : end.x;
        if (pieceFrom < pieceTo)
            coverage.add(pieceFrom == start.y ? start.x : x, nextX, pieceTo - pieceFrom, spreads[i], leftSide);
        x = nextX;
        if (reachesTo) {
            piece = i;
            line = lineOf(i);
            return;
        }
    }
}
