#include "drawing/TraceSurface.hpp"

TraceSurface::TraceSurface(std::FILE* out)
    : _out(out)
{
}

void TraceSurface::beginFrame(int number)
{
    if (std::ferror(_out))
        return;
    std::fprintf(_out, "frame %d\n", number);
}

void TraceSurface::setColor(double red, double green, double blue, double alpha)
{
    if (std::ferror(_out))
        return;
    std::fprintf(_out, "color %.17g %.17g %.17g %.17g\n", red, green, blue, alpha);
}

void TraceSurface::strokeSegment(double x1, double y1, double x2, double y2, double width)
{
    if (std::ferror(_out))
        return;
    std::fprintf(_out, "stroke %.17g %.17g %.17g %.17g %.17g\n", x1, y1, x2, y2, width);
}
