#pragma once

#include "drawing/DrawingSurface.hpp"

// Passes every drawing call on to two surfaces, first to `first`.
class TeeSurface final : public DrawingSurface {
public:
    TeeSurface(DrawingSurface& first, DrawingSurface& second);

    void setColor(double red, double green, double blue, double alpha) override;
    void strokeSegment(double x1, double y1, double x2, double y2, double width) override;

private:
    DrawingSurface& _first;
    DrawingSurface& _second;
};
