#pragma once

#include <array>

// A stroked segment with butt ends as the convex quadrilateral it covers,
// clipped to a rectangle [0, width] x [0, height]. Clipping four sides of a
// convex quadrilateral leaves at most eight corners.
class ClippedQuad {
public:
    struct Point {
        double x;
        double y;
    };

    // Empty for a zero-length segment, a width that is not positive, or any
    // value that is not finite (the corners included).
    static ClippedQuad ofSegment(double x1, double y1, double x2, double y2, double width, int clipWidth,
        int clipHeight);

    bool isEmpty() const { return _count < 3; }
    int size() const { return _count; }
    const Point& operator[](int index) const { return _corners[index]; }

private:
    void clip(int clipWidth, int clipHeight);

    std::array<Point, 8> _corners {};
    int _count = 0;
};
