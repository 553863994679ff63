#pragma once

#include "primitives/CGGeometry.hpp"
#include "primitives/PVector.hpp"

// A damped point mass of the chain: takes forces, caps its speed at 10,
// damps it and bounces off a margin inside the area.
class Bob {
public:
    // Draws the velocity (x, y) and then a one-off acceleration (x, y).
    explicit Bob(PVector location);

    PVector& getLocation() { return _location; }
    const PVector& getLocation() const { return _location; }
    float getLocationX() const { return _location.getX(); }
    float getLocationY() const { return _location.getY(); }
    // Forces add up until the next update clears them.
    void applyForce_Bob(const PVector& force) { _acceleration.add(force); }
    void update_Bob(CGSize size);
    void checkEdges_Bob(CGSize size);

private:
    PVector _location;
    PVector _velocity;
    PVector _acceleration;
    float _damping;
    float _w;
};
