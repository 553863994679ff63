#include "scene/Walker.hpp"

#include "scene/PointMotion.hpp"

#include <cmath>
#include <numbers>
#include <utility>

Walker::Walker(PVector location)
    : _location(std::move(location))
    , _velocity(drawVectorWithin(2 * std::numbers::pi))
    , _acceleration(drawVectorWithin(std::numbers::pi))
    , _w(6.0f)
{
}

void Walker::update_Walker(CGSize size)
{
    _location.addX(static_cast<float>(_velocity.getX() + std::sin(double { _acceleration.getX() })));
    _location.addY(static_cast<float>(_velocity.getY() + std::sin(double { _acceleration.getY() })));
    _acceleration.addX(static_cast<float>(SSRandomFloatBetween(0, 0.002)));
    _acceleration.addY(static_cast<float>(SSRandomFloatBetween(0, 0.002)));
    checkEdges_Walker(size);
}

void Walker::checkEdges_Walker(CGSize size)
{
    bounceOffMargin(_location, _velocity, _w, size);
}
