#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What the settings dialog lets a user choose, stored under the user's own
// registry key and read by /s and /p. Values from the registry are trusted no
// more than typed ones: out-of-range numbers are brought into range.
struct SaverSettings {
    // As the X11 host's -delay and -scale.
    static constexpr std::uint32_t longestDelay = 10000000;
    static constexpr double smallestScale = 1;
    static constexpr double largestScale = 4;

    // At least this many microseconds from one frame to the next (the frame clock's least delay).
    std::optional<std::uint32_t> delayMicroseconds;
    // Pixels per point; none: from the monitor's DPI.
    std::optional<double> scale;

    static std::uint32_t clampDelay(std::uint64_t microseconds);
    // "auto" (any case) or a number in range; nothing for anything else.
    static std::optional<std::optional<double>> parseScale(const std::string& text);
    static std::string formatScale(std::optional<double> scale);
    // The scale for a monitor of `dpi` dots per inch: 96 dpi to a point, in steps of one half.
    static double scaleForDpi(unsigned dpi);

    double scaleFor(unsigned dpi) const { return scale ? *scale : scaleForDpi(dpi); }
};
