#include "creatures/Fin.hpp"

#include "drawing/DrawingSurface.hpp"
#include "platform/RandomSources.hpp"
#include "primitives/RandomHelpers.hpp"

#include <cmath>

namespace {

// Each value draws in the order the fin's random sequence expects.
float offsetChannel(float start)
{
    return static_cast<float>(start + SSRandomFloatBetween(-60, 60));
}

}

Fin::Fin(const QZColor& startColor)
    : _segLength(0)
    , _age(0)
    , _lifespan(0)
    , _grow_rate(0.05f)
    , _color(0, 0, 0)
    , _counter(0)
{
    RandomSources& sources = RandomSources::current();
    std::uint32_t pointCount = sources.arc4random() % 10 + 10;
    _xy.reserve(pointCount);
    for (std::uint32_t i = 0; i < pointCount; ++i)
        _xy.emplace_back(0.0f, 0.0f);
    _segLength = static_cast<float>(SSRandomFloatBetween(0, 30));
    // Only tooOld() reads the lifespan; the unsigned arithmetic wraps on purpose.
    _lifespan = static_cast<std::int32_t>(30u * sources.arc4random() + 20u);
    float red = offsetChannel(startColor.getRed());
    float green = offsetChannel(startColor.getGreen());
    float blue = offsetChannel(startColor.getBlue());
    _color = QZColor(red, green, blue);
    float phaseFraction = static_cast<float>(sources.rand()) / 2147483648.0f;
    _counter = static_cast<float>(0.08 * phaseFraction);
}

float Fin::livedPercent() const
{
    return _segLength / 30.0f;
}

void Fin::release_for_ReInit()
{
    _xy.clear();
    _xy.shrink_to_fit();
}

void Fin::grow(const void*)
{
    _segLength = _segLength + _grow_rate;
    if (_segLength > 40.0f)
        _segLength = 0.0f;
}

void Fin::dragSegment(float phase, std::int32_t index, float targetX, float targetY, float)
{
    PVector& point = _xy[static_cast<std::size_t>(index)];
    float dx = targetX - point.getX();
    float dy = targetY - point.getY();
    double towardsTarget = std::atan2(double { dy }, double { dx });
    double sway = std::sin(double { phase - static_cast<float>(index) });
    auto heading = static_cast<float>(sway / 20 + towardsTarget);
    double length = _segLength;
    point.setX(static_cast<float>((targetX - length * std::cos(double { heading })) + sway / 10));
    point.setY(static_cast<float>((targetY - length * std::sin(double { heading })) + sway / 2));

    // Integer steps from 5 at the root to 1 at the tip, not a smooth taper.
    auto pointCount = static_cast<std::uint32_t>(_xy.size());
    std::uint32_t step = ((pointCount - static_cast<std::uint32_t>(index)) * 4u) / pointCount + 1u;
    float width = static_cast<float>(step) / 5.0f + 5.0f * livedPercent();
    segment(targetX, targetY, point.getX(), point.getY(), width);
}

void Fin::segment(float x1, float y1, float x2, float y2, float width)
{
    if (DrawingSurface* surface = DrawingSurface::current())
        surface->strokeSegment(x1, y1, x2, y2, width);
}
