#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What the settings dialog lets a user choose, stored under the user's own
// registry key and read by /s and /p. Values from the registry are trusted no
// more than typed ones: out-of-range numbers are brought into range.
struct SaverSettings {
    static constexpr std::uint32_t shortestDelay = 1000;
    static constexpr std::uint32_t longestDelay = 1000000;
    static constexpr double smallestScale = 0.5;
    static constexpr double largestScale = 8;

    // Microseconds between frames, as XScreenSaver's -delay; none: the view's own interval.
    std::optional<std::uint32_t> delayMicroseconds;
    // Device pixels per view unit; none: from the monitor's DPI.
    std::optional<double> scale;

    static std::uint32_t clampDelay(std::uint64_t microseconds);
    // "auto" (any case) or a number in range; nothing for anything else.
    static std::optional<std::optional<double>> parseScale(const std::string& text);
    static std::string formatScale(std::optional<double> scale);
    // The scale for a monitor of `dpi` dots per inch: 96 dpi is 1, rounded to whole steps.
    static double scaleForDpi(unsigned dpi);

    double scaleFor(unsigned dpi) const { return scale ? *scale : scaleForDpi(dpi); }
    double intervalSeconds(double viewInterval) const
    {
        return delayMicroseconds ? *delayMicroseconds / 1e6 : viewInterval;
    }
};
