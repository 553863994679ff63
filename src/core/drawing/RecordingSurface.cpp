#include "drawing/RecordingSurface.hpp"

void RecordingSurface::setColor(double red, double green, double blue, double alpha)
{
    _calls.push_back({ Call::Kind::Color, { red, green, blue, alpha, 0 } });
}

void RecordingSurface::strokeSegment(double x1, double y1, double x2, double y2, double width)
{
    _calls.push_back({ Call::Kind::Stroke, { x1, y1, x2, y2, width } });
}
