#pragma once

#include "creatures/Vorpi.hpp"
#include "primitives/CGGeometry.hpp"
#include "primitives/QZColor.hpp"
#include "scene/Bob.hpp"
#include "scene/Walker.hpp"

#include <vector>

// The scene: a wandering anchor, a chain of five bobs on springs below it, a
// creature riding on each bob, and the colour counter that makes them drift.
class Spring {
public:
    static constexpr int chainLength = 5;

    // Builds the whole scene for an area of this size; the size never changes after.
    explicit Spring(CGSize size);

    // Advances the colour counter, the anchor and then each link in chain order.
    void _update();
    // Draws the creatures in chain order, each at its bob.
    void _render();

    // The spring force on `bob` from the link to a leader at (leaderX, leaderY).
    PVector linkForce(const Bob& bob, float leaderX, float leaderY) const;

    const Walker& anchor() const { return _anchor; }
    const std::vector<Bob>& bobs() const { return _bobs; }

private:
    void pullTowardsLeader(Bob& bob, float leaderX, float leaderY);

    CGSize _size;
    Walker _anchor;
    std::vector<Bob> _bobs;
    std::vector<Vorpi> _vorpies;
    float _restLength;
    float _k;
    QZColor _baseColor;
    QZColor _colorCnt;
    QZColor _colorPls;
};
