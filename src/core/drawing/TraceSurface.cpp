#include "drawing/TraceSurface.hpp"

#include <cerrno>

TraceSurface::TraceSurface(std::FILE* out)
    : _out(out)
{
}

void TraceSurface::beginFrame(int number)
{
    if (!_writeError && std::fprintf(_out, "frame %d\n", number) < 0)
        _writeError = errno;
}

void TraceSurface::setColor(double red, double green, double blue, double alpha)
{
    if (!_writeError && std::fprintf(_out, "color %.17g %.17g %.17g %.17g\n", red, green, blue, alpha) < 0)
        _writeError = errno;
}

void TraceSurface::strokeSegment(double x1, double y1, double x2, double y2, double width)
{
    if (!_writeError && std::fprintf(_out, "stroke %.17g %.17g %.17g %.17g %.17g\n", x1, y1, x2, y2, width) < 0)
        _writeError = errno;
}
