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

int ConvexCoverage::Side::cross(double from, double to, float sign, RowCoverage::Crossing* crossings)
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

void ConvexCoverage::crossCorners(double from, double to, RowCoverage& coverage)
{
    std::array<RowCoverage::Crossing, 8> crossings;
    int leftCount = _leftSide.cross(from, to, 1, crossings.data());
    coverage.set(crossings.data(), leftCount, leftCount + _rightSide.cross(from, to, -1, crossings.data() + leftCount));
}
