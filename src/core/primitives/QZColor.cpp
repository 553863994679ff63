#include "primitives/QZColor.hpp"

QZColor::QZColor(float red, float green, float blue)
    : _red(contain(red))
    , _green(contain(green))
    , _blue(contain(blue))
{
}

float QZColor::contain(float v)
{
    if (0 > v)
        return 0;
    if (v > 255)
        return 255;
    return v;
}

void QZColor::add(const QZColor& other)
{
    // All three sums first, then the clamps: adding a colour to itself doubles every channel.
    _red = _red + other.getRed();
    _green = _green + other.getGreen();
    _blue = _blue + other.getBlue();
    _red = contain(_red);
    _green = contain(_green);
    _blue = contain(_blue);
}
