#pragma once

#include <optional>
#include <string_view>

// Pixels per point, as every host takes it: `auto` (the desktop's own scale)
// or a plain decimal from 1 to 4, such as 2 or 1.5: digits and one point, no
// sign, exponent or space.
class ScaleSetting {
public:
    static constexpr double smallest = 1;
    static constexpr double largest = 4;
    static constexpr const char* expected = "a number from 1 to 4, such as 2 or 1.5, or auto";

    // Nothing when the text is not a scale; an empty scale for `auto`.
    static std::optional<ScaleSetting> parse(std::string_view text);
    // The scale of a desktop of `dpi` dots per inch, 96 to a point, in steps of one half.
    static double forDpi(double dpi);

    bool isAuto() const { return !_scale; }
    // The scale itself, or the desktop's when it is `auto`.
    double resolve(double desktopScale) const { return _scale.value_or(desktopScale); }
    const std::optional<double>& value() const { return _scale; }

private:
    std::optional<double> _scale;
};
