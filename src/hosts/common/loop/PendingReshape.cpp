#include "loop/PendingReshape.hpp"

void PendingReshape::note(Shape now, Shape current, Clock::time_point at)
{
    if (now == current) {
        _shape.reset();
        return;
    }
    if (_shape != now) {
        _shape = now;
        _settles = at + settlingTime;
    }
}

PendingReshape::Shape PendingReshape::take()
{
    Shape shape = _shape.value_or(Shape {});
    _shape.reset();
    return shape;
}
