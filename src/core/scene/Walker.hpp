#pragma once

#include "primitives/CGGeometry.hpp"
#include "primitives/PVector.hpp"

// The anchor of the chain: drifts in a straight line with a slow sway on each
// axis and bounces off a margin inside the area. Nothing hanging from it pulls it.
class Walker {
public:
    // Draws the velocity (x, y) and then the sway phases (x, y).
    explicit Walker(PVector location);

    PVector& getLocation() { return _location; }
    float getLocationX() const { return _location.getX(); }
    float getLocationY() const { return _location.getY(); }
    const PVector& getVelocity() const { return _velocity; }
    void update_Walker(CGSize size);
    void checkEdges_Walker(CGSize size);
    void applyForce_Walker(const PVector& force) { _acceleration.add(force); }

private:
    PVector _location;
    PVector _velocity;
    // Not an acceleration: the phase, in radians, of each axis's sway.
    PVector _acceleration;
    float _w;
};
