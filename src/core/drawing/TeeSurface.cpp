#include "drawing/TeeSurface.hpp"

TeeSurface::TeeSurface(DrawingSurface& first, DrawingSurface& second)
    : _first(first)
    , _second(second)
{
}

void TeeSurface::setColor(double red, double green, double blue, double alpha)
{
    _first.setColor(red, green, blue, alpha);
    _second.setColor(red, green, blue, alpha);
}

void TeeSurface::strokeSegment(double x1, double y1, double x2, double y2, double width)
{
    _first.strokeSegment(x1, y1, x2, y2, width);
    _second.strokeSegment(x1, y1, x2, y2, width);
}
