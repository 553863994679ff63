#pragma once

#include "drawing/DrawingSurface.hpp"

#include <array>
#include <vector>

// Keeps every drawing call, in order, with the values exactly as given.
class RecordingSurface final : public DrawingSurface {
public:
    struct Call {
        enum class Kind { Color, Stroke };
        Kind kind;
        // Color: red, green, blue, alpha, 0. Stroke: x1, y1, x2, y2, width.
        std::array<double, 5> values;

        bool operator==(const Call&) const = default;
    };

    void setColor(double red, double green, double blue, double alpha) override;
    void strokeSegment(double x1, double y1, double x2, double y2, double width) override;

    const std::vector<Call>& calls() const { return _calls; }
    void clear() { _calls.clear(); }

private:
    std::vector<Call> _calls;
};
