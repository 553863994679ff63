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
    // Every this many renders the phases are folded back into [0, 2pi). A
    // 32-bit phase that only grows loses the precision of its increment: after
    // about 16.8 million frames phase + increment == phase and the fin stops
    // waving. Folding keeps what it has drifted by then (19 hours at 30 frames
    // a second) and leaves every earlier frame as it was.
    static constexpr std::uint64_t phaseFoldInterval = std::uint64_t { 1 } << 21;

    // Copies the start colour; a count of 0 or less makes no fins.
    Vorpi(std::int32_t finCount, const QZColor& startColor);

    // Draws every fin after `position`, its colours shifted by `colorCounter` (read as radians).
    void render_Vorpi(const PVector& position, std::int32_t unused, const QZColor& colorCounter);

    const std::vector<Fin>& getFins() const { return _fins; }
    const std::vector<float>& getCounters() const { return _counters; }
    // One phase per fin, in the fins' order; throws std::invalid_argument for another count.
    void setCounters(std::vector<float> counters);
    // How often the creature has been rendered, which sets when the phases fold.
    std::uint64_t getRenderCount() const { return _renderCount; }
    void setRenderCount(std::uint64_t count) { _renderCount = count; }
    std::int32_t getNum() const { return _num; }
    void setNum(std::int32_t num) { _num = num; }
    const QZColor& getStartColor() const { return _startColor; }
    void setStartColor(QZColor startColor) { _startColor = std::move(startColor); }

private:
    void renderFin(std::size_t finIndex, const PVector& position, const QZColor& colorCounter);
    void foldPhases();

    std::vector<Fin> _fins;
    std::vector<float> _counters;
    std::int32_t _num;
    QZColor _startColor;
    std::uint64_t _renderCount = 0;
};
