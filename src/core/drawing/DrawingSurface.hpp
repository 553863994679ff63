#pragma once

#include "platform/ScopedCurrent.hpp"

// The two drawing operations the module needs from its platform. While a
// frame runs, the host's surface is current on the thread that runs it; the
// creatures draw into it.
class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;

    // Components are meant to lie in 0..1; alpha may come in below 0 and a backend clamps it.
    virtual void setColor(double red, double green, double blue, double alpha) = 0;
    // One straight segment in the current colour, blended over what the surface holds.
    virtual void strokeSegment(double x1, double y1, double x2, double y2, double width) = 0;

    // The surface drawing goes to, or null outside a frame (drawing is then dropped).
    static DrawingSurface* current() { return ScopedCurrent<DrawingSurface>::get(); }
};
