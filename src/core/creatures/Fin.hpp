#pragma once

#include "primitives/PVector.hpp"
#include "primitives/QZColor.hpp"

#include <cstdint>
#include <vector>

// One tentacle: a chain of 10 to 19 points dragged after its creature, with a
// colour of its own and a segment length that grows, collapses and grows again.
class Fin {
public:
    // Draws, in order: arc4random (point count), random (length), arc4random
    // (lifespan), random three times (colour offsets), rand (phase increment).
    explicit Fin(const QZColor& startColor);

    float livedPercent() const;
    void release_for_ReInit();
    const QZColor& getColor() const { return _color; }
    // The live list: points moved by later drags show through it at once.
    const std::vector<PVector>& getXY() const { return _xy; }
    float getSegLength() const { return _segLength; }
    float getCounter() const { return _counter; }
    void grow(const void* unused);
    bool tooOld() const { return _age > _lifespan; }
    // Moves point `index` after the target and strokes the segment from the target to it.
    void dragSegment(float phase, std::int32_t index, float targetX, float targetY, float unused);
    void segment(float x1, float y1, float x2, float y2, float width);

private:
    std::vector<PVector> _xy;
    float _segLength;
    std::int32_t _age;
    std::int32_t _lifespan;
    float _grow_rate;
    QZColor _color;
    float _counter;
};
