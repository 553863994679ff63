#include "scene/Spring.hpp"

#include "primitives/RandomHelpers.hpp"

namespace {

float drawFloat(double low, double high)
{
    return static_cast<float>(SSRandomFloatBetween(low, high));
}

// Centre of the area, halved in 64 bits and kept in 32.
PVector centreOf(CGSize size)
{
    return PVector(static_cast<float>(size.width / 2.0), static_cast<float>(size.height / 2.0));
}

}

// Every draw below happens in exactly this order; repeatable runs depend on it.
Spring::Spring(CGSize size)
    : _size(size)
    , _anchor(centreOf(size))
    , _restLength(100.0f)
    , _k(0.02f)
    , _baseColor(0, 0, 0)
    , _colorCnt(0, 0, 0)
    , _colorPls(0, 0, 0)
{
    float cx = _anchor.getLocationX();
    float cy = _anchor.getLocationY();
    _bobs.reserve(chainLength);
    for (int i = 0; i < chainLength; ++i) {
        float y = drawFloat(cy - 100.0f, cy + 100.0f);
        float x = drawFloat(cx - 100.0f, cx + 100.0f);
        _bobs.emplace_back(PVector(x, y));
    }

    float blue = drawFloat(0, 255);
    float green = drawFloat(0, 255);
    float red = drawFloat(0, 255);
    _baseColor = QZColor(red, green, blue);

    // Clamped like any colour: green always starts at 0, blue at 0 whenever drawn negative.
    blue = drawFloat(-3, 3);
    green = drawFloat(-3, 0);
    red = drawFloat(1, 4);
    _colorCnt = QZColor(red, green, blue);

    blue = drawFloat(0, 0.002);
    green = drawFloat(0, 0.002);
    red = drawFloat(0, 0.002);
    _colorPls = QZColor(red, green, blue);

    // Each creature starts a little darker than the one before it.
    float offRed = 0;
    float offGreen = 0;
    float offBlue = 0;
    _vorpies.reserve(chainLength);
    for (int i = 0; i < chainLength; ++i) {
        offRed = static_cast<float>(offRed + SSRandomFloatBetween(0, 50));
        offGreen = static_cast<float>(offGreen + SSRandomFloatBetween(0, 50));
        offBlue = static_cast<float>(offBlue + SSRandomFloatBetween(0, 50));
        QZColor startColor(_baseColor.getRed() - offRed, _baseColor.getGreen() - offGreen,
            _baseColor.getBlue() - offBlue);
        std::int32_t finCount = SSRandomIntBetween(7, 14);
        _vorpies.emplace_back(finCount, startColor);
    }
}

void Spring::_update()
{
    _colorCnt.add(_colorPls);
    _anchor.update_Walker(_size);
    // Sequential on purpose: each link sees its leader where it has already moved this frame.
    pullTowardsLeader(_bobs[0], _anchor.getLocationX(), _anchor.getLocationY());
    for (std::size_t i = 1; i < _bobs.size(); ++i)
        pullTowardsLeader(_bobs[i], _bobs[i - 1].getLocationX(), _bobs[i - 1].getLocationY());
}

PVector Spring::linkForce(const Bob& bob, float leaderX, float leaderY) const
{
    PVector force(bob.getLocationX() - leaderX, bob.getLocationY() - leaderY);
    float stretch = force.getMag() - _restLength;
    // A bob lying exactly on its leader has no direction: normalize leaves (0, 0), so no force.
    force.normalize();
    force.mult(-_k * stretch);
    return force;
}

void Spring::pullTowardsLeader(Bob& bob, float leaderX, float leaderY)
{
    bob.applyForce_Bob(linkForce(bob, leaderX, leaderY));
    bob.update_Bob(_size);
}

void Spring::_render()
{
    for (std::size_t i = 0; i < _vorpies.size(); ++i)
        _vorpies[i].render_Vorpi(_bobs[i].getLocation(), 0, _colorCnt);
}
