#include "ClippedQuad.hpp"

#include <algorithm>
#include <cmath>

namespace {

using Point = ClippedQuad::Point;

// One Sutherland-Hodgman step: keeps the part of the polygon where
// inside(point) holds, cutting the edges that cross the line x = edge (alongX)
// or y = edge.
template <typename Inside>
int clipAgainst(const Point* in, int count, Point* out, bool alongX, double edge, Inside inside)
{
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        const Point& from = in[i];
        const Point& to = in[(i + 1) % count];
        bool fromInside = inside(from);
        bool toInside = inside(to);
        if (fromInside)
            out[kept++] = from;
        if (fromInside != toInside) {
            double t = alongX ? (edge - from.x) / (to.x - from.x) : (edge - from.y) / (to.y - from.y);
            out[kept++] = alongX ? Point { edge, from.y + t * (to.y - from.y) }
                                 : Point { from.x + t * (to.x - from.x), edge };
        }
    }
    return kept;
}

}

ClippedQuad ClippedQuad::ofSegment(double x1, double y1, double x2, double y2, double width, int clipWidth,
    int clipHeight)
{
    ClippedQuad quad;
    double dx = x2 - x1;
    double dy = y2 - y1;
    double length = std::sqrt(dx * dx + dy * dy);
    // Written so that NaN fails too.
    if (!(width > 0) || !(length > 0) || !std::isfinite(length))
        return quad;
    double halfWidth = width / 2;
    double normalX = -dy / length * halfWidth;
    double normalY = dx / length * halfWidth;
    quad._corners[0] = { x1 + normalX, y1 + normalY };
    quad._corners[1] = { x2 + normalX, y2 + normalY };
    quad._corners[2] = { x2 - normalX, y2 - normalY };
    quad._corners[3] = { x1 - normalX, y1 - normalY };
    for (int i = 0; i < 4; ++i) {
        if (!std::isfinite(quad._corners[i].x) || !std::isfinite(quad._corners[i].y))
            return quad;
    }
    quad._count = 4;
    quad.clip(clipWidth, clipHeight);
    return quad;
}

void ClippedQuad::clip(int clipWidth, int clipHeight)
{
    double right = clipWidth;
    double bottom = clipHeight;
    bool inside = std::all_of(_corners.begin(), _corners.begin() + _count, [&](const Point& point) {
        return point.x >= 0 && point.x <= right && point.y >= 0 && point.y <= bottom;
    });
    if (inside)
        return;
    std::array<Point, 8> other;
    _count = clipAgainst(_corners.data(), _count, other.data(), true, 0.0, [](const Point& p) { return p.x >= 0; });
    _count = clipAgainst(other.data(), _count, _corners.data(), true, right, [&](const Point& p) { return p.x <= right; });
    _count = clipAgainst(_corners.data(), _count, other.data(), false, 0.0, [](const Point& p) { return p.y >= 0; });
    _count = clipAgainst(other.data(), _count, _corners.data(), false, bottom, [&](const Point& p) { return p.y <= bottom; });
    // Corners near the ends of the double range can overflow in the cuts; rounding can stray a hair outside.
    for (int i = 0; i < _count; ++i) {
        Point& corner = _corners[i];
        if (!std::isfinite(corner.x) || !std::isfinite(corner.y)) {
            _count = 0;
            return;
        }
        corner = { std::clamp(corner.x, 0.0, right), std::clamp(corner.y, 0.0, bottom) };
    }
}
