#include "scene/Bob.hpp"

#include "scene/PointMotion.hpp"

#include <numbers>
#include <utility>

Bob::Bob(PVector location)
    : _location(std::move(location))
    , _velocity(drawVectorWithin(2 * std::numbers::pi))
    , _acceleration(drawVectorWithin(std::numbers::pi))
    , _damping(0.997f)
    , _w(6.0f)
{
}

void Bob::update_Bob(CGSize size)
{
    _velocity.add(_acceleration);
    _velocity.limit(10);
    _velocity.mult(_damping);
    _location.add(_velocity);
    _acceleration.setX(0);
    _acceleration.setY(0);
    checkEdges_Bob(size);
}

void Bob::checkEdges_Bob(CGSize size)
{
    bounceOffMargin(_location, _velocity, _w, size);
}
