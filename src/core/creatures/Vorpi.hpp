#pragma once

#include "creatures/Fin.hpp"
#include "primitives/PVector.hpp"
#include "primitives/QZColor.hpp"

#include <cstdint>
#include <utility>
#include <vector>

// A creature: a bundle of fins that trail from wherever it is rendered, each
// with a phase of its own, coloured from one start colour and a shared counter.
class Vorpi {
public:
    // Copies the start colour; a count of 0 or less makes no fins.
    Vorpi(std::int32_t finCount, const QZColor& startColor);

    // Draws every fin after `position`, its colours shifted by `colorCounter` (read as radians).
    void render_Vorpi(const PVector& position, std::int32_t unused, const QZColor& colorCounter);

    const std::vector<Fin>& getFins() const { return _fins; }
    const std::vector<float>& getCounters() const { return _counters; }
    std::int32_t getNum() const { return _num; }
    void setNum(std::int32_t num) { _num = num; }
    const QZColor& getStartColor() const { return _startColor; }
    void setStartColor(QZColor startColor) { _startColor = std::move(startColor); }

private:
    void renderFin(std::size_t finIndex, const PVector& position, const QZColor& colorCounter);

    std::vector<Fin> _fins;
    std::vector<float> _counters;
    std::int32_t _num;
    QZColor _startColor;
};
