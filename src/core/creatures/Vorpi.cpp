#include "creatures/Vorpi.hpp"

#include "drawing/DrawingSurface.hpp"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace {

// The fin's channel shifted by 150 sin(counter), truncated, then reflected back into 0..255.
std::int32_t shiftedChannel(float finChannel, float counterChannel)
{
    auto value = static_cast<std::int32_t>(150.0 * std::sin(double { counterChannel }) + finChannel);
    while (value > 255 || value < 0)
        value = value > 255 ? 510 - value : -value;
    return value;
}

}

Vorpi::Vorpi(std::int32_t finCount, const QZColor& startColor)
    : _num(finCount)
    , _startColor(startColor.getRed(), startColor.getGreen(), startColor.getBlue())
{
    for (std::int32_t i = 0; i < _num; ++i) {
        _fins.emplace_back(_startColor);
        _counters.push_back(0.0f);
    }
}

void Vorpi::render_Vorpi(const PVector& position, std::int32_t, const QZColor& colorCounter)
{
    for (std::size_t finIndex = 0; finIndex < _fins.size(); ++finIndex)
        renderFin(finIndex, position, colorCounter);
    if (++_renderCount % phaseFoldInterval == 0)
        foldPhases();
}

void Vorpi::setCounters(std::vector<float> counters)
{
    if (counters.size() != _counters.size())
        throw std::invalid_argument("a creature needs one phase per fin");
    _counters = std::move(counters);
}

void Vorpi::foldPhases()
{
    // Whole turns only, in 64-bit so that the fold itself adds no drift.
    constexpr double turn = 2 * std::numbers::pi;
    for (float& phase : _counters) {
        double folded = std::fmod(double { phase }, turn);
        phase = static_cast<float>(folded < 0 ? folded + turn : folded);
    }
}

void Vorpi::renderFin(std::size_t finIndex, const PVector& position, const QZColor& colorCounter)
{
    Fin& fin = _fins[finIndex];
    const QZColor& finColor = fin.getColor();
    std::int32_t red = shiftedChannel(finColor.getRed(), colorCounter.getRed());
    std::int32_t green = shiftedChannel(finColor.getGreen(), colorCounter.getGreen());
    std::int32_t blue = shiftedChannel(finColor.getBlue(), colorCounter.getBlue());
    // Not clamped: a fin grown past 30 gives a slightly negative alpha, which the surface handles.
    float alpha = 0.5f * (1.0f - fin.livedPercent());
    if (DrawingSurface* surface = DrawingSurface::current())
        surface->setColor(red / 255.0, green / 255.0, blue / 255.0, alpha);

    float phase = _counters[finIndex];
    fin.dragSegment(phase, 0, position.getX(), position.getY(), 0.0f);
    const std::vector<PVector>& points = fin.getXY();
    float segLength = fin.getSegLength();
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        fin.dragSegment(phase, static_cast<std::int32_t>(i + 1), points[i].getX(), points[i].getY(), segLength);
    fin.grow(&_startColor);
    _counters[finIndex] = phase + fin.getCounter();
}
