#include "ConvexCoverage.hpp"

#include <algorithm>
#include <cmath>

namespace {

using Point = ClippedQuad::Point;

}

bool ConvexCoverage::begin(const ClippedQuad& polygon)
{
    int count = polygon.size();
    int highest = 0;
    int lowest = 0;
    double twiceArea = 0;
    double leftX = polygon[0].x;
    double rightX = polygon[0].x;
    for (int i = 0; i < count; ++i) {
        const Point& from = polygon[i];
        const Point& to = polygon[i + 1 < count ? i + 1 : 0];
        twiceArea += from.x * to.y - to.x * from.y;
        highest = from.y < polygon[highest].y ? i : highest;
        lowest = from.y > polygon[lowest].y ? i : lowest;
        leftX = std::min(leftX, from.x);
        rightX = std::max(rightX, from.x);
    }
    if (!(twiceArea != 0))
        return false;
    // With y growing downwards a positive area means the corners go clockwise
    // on screen, so that the right side follows them forwards from the top.
    bool forwardsIsRight = twiceArea > 0;
    follow(polygon, highest, lowest, 1, forwardsIsRight ? _rightSide : _leftSide);
    follow(polygon, highest, lowest, -1, forwardsIsRight ? _leftSide : _rightSide);
    _topY = polygon[highest].y;
    _bottomY = polygon[lowest].y;
    // The corners lie inside the image, so truncating is rounding down.
    _top = static_cast<int>(_topY);
    _bottom = RowCoverage::ceilOf(_bottomY);
    _left = static_cast<int>(leftX);
    _right = RowCoverage::ceilOf(rightX);
    return true;
}

void ConvexCoverage::follow(const ClippedQuad& polygon, int from, int to, int step, Side& side)
{
    int last = polygon.size() - 1;
    side.count = 0;
    for (int i = from; i != to;) {
        int next = step > 0 ? (i == last ? 0 : i + 1) : (i == 0 ? last : i - 1);
        side.lines[side.count++] = Line::between(polygon[i], polygon[next]);
        i = next;
    }
    side.piece = 0;
    side.line = side.lines[0];
    side.x = polygon[from].x;
}

ConvexCoverage::Line ConvexCoverage::Line::between(const Point& start, const Point& end)
{
    double height = end.y - start.y;
    double slope = height > 0 ? (end.x - start.x) / height : 0;
    // An edge steeper than this is taken as upright: the area that leaves out is far below a coverage level.
    const double upright = 0x1p-32;
    float bend = std::abs(slope) > upright ? static_cast<float>(128 / std::abs(slope)) : 0;
    return { start, end.x, end.y, slope, std::min(start.x, end.x), std::max(start.x, end.x), bend };
}
