#include "primitives/PVector.hpp"

#include <cmath>

void PVector::add(const PVector& other)
{
    // Read each component just before it is used, so that adding a vector to itself doubles it.
    _x = _x + other.getX();
    _y = _y + other.getY();
}

void PVector::limit(float max)
{
    float magnitude = getMag();
    if (magnitude > max) {
        float factor = max / magnitude;
        _x = factor * _x;
        _y = factor * _y;
    }
}

void PVector::mult(float s)
{
    _x = _x * s;
    _y = _y * s;
}

float PVector::getMag() const
{
    float squared = _x * _x + _y * _y;
    return std::sqrt(squared);
}

void PVector::normalize()
{
    float magnitude = getMag();
    if (magnitude == 0.0f)
        return;
    _x = _x / magnitude;
    _y = _y / magnitude;
}
