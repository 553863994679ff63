#pragma once

#include "primitives/CGGeometry.hpp"
#include "primitives/PVector.hpp"
#include "primitives/RandomHelpers.hpp"

// What the walker and the bobs share: how they start moving and how they bounce.

// A vector with each component within ±bound, x drawn before y.
inline PVector drawVectorWithin(double bound)
{
    auto x = static_cast<float>(SSRandomFloatBetween(-bound, bound));
    auto y = static_cast<float>(SSRandomFloatBetween(-bound, bound));
    return PVector(x, y);
}

// Puts a point that has crossed the margin back onto it and reverses that
// component of its velocity. The far edge is tested first, in 64 bits.
inline void bounceOffMargin(PVector& location, PVector& velocity, float margin, CGSize size)
{
    if (double { location.getX() } > size.width - margin) {
        location.setX(static_cast<float>(size.width - margin));
        velocity.multX(-1);
    } else if (margin > location.getX()) {
        location.setX(margin);
        velocity.multX(-1);
    }
    if (double { location.getY() } > size.height - margin) {
        location.setY(static_cast<float>(size.height - margin));
        velocity.multY(-1);
    } else if (margin > location.getY()) {
        location.setY(margin);
        velocity.multY(-1);
    }
}
