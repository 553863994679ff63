#include "input/PointerWatch.hpp"

#include <cstdlib>

bool PointerWatch::movedTo(int x, int y)
{
    if (!_resting) {
        _resting = true;
        _restX = x;
        _restY = y;
        return false;
    }
    return std::abs(x - _restX) > _slack || std::abs(y - _restY) > _slack;
}
