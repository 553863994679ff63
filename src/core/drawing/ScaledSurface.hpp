#pragma once

#include "drawing/DrawingSurface.hpp"

// Passes the module's drawing on to another surface with every coordinate and
// width multiplied by `scale`: the view measures its area in points, the
// canvas in pixels, `scale` pixels to a point (2 on a desktop set to 2x).
class ScaledSurface final : public DrawingSurface {
public:
    ScaledSurface(DrawingSurface& target, double scale)
        : _target(target)
        , _scale(scale)
    {
    }


    void setColor(double red, double green, double blue, double alpha) override
    {
        _target.setColor(red, green, blue, alpha);
    }

    void strokeSegment(double x1, double y1, double x2, double y2, double width) override
    {
        _target.strokeSegment(x1 * _scale, y1 * _scale, x2 * _scale, y2 * _scale, width * _scale);
    }

private:
    DrawingSurface& _target;
    double _scale;
};
