#pragma once

#include <chrono>
#include <optional>

// A new size or scale for a host's picture, taken up only once it has stopped
// changing: window managers and monitor changes send sizes in bursts, and a
// new picture for each would cost more than the burst lasts.
class PendingReshape {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr auto settlingTime = std::chrono::milliseconds(200);

    // An area in device pixels and the pixels per point it is drawn at.
    struct Shape {
        int width = 0;
        int height = 0;
        double scale = 1;
        bool operator==(const Shape&) const = default;
    };

    // The host's area is `now` at `at`, its picture `current`; a shape like the picture's cancels what was pending.
    void note(Shape now, Shape current, Clock::time_point at);
    bool isPending() const { return _shape.has_value(); }
    bool isDue(Clock::time_point now) const { return _shape && now >= _settles; }
    // When the pending shape settles, for a host that sleeps until then.
    Clock::time_point settlesAt() const { return _settles; }
    // The settled shape; nothing is pending after.
    Shape take();

private:
    std::optional<Shape> _shape;
    Clock::time_point _settles;
};
