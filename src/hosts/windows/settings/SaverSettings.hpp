#pragma once

#include "options/ScaleSetting.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the settings dialog lets a user choose, stored under the user's own
// registry key and read by /s and /p. The scale and the seed are read as
// every host reads them; the registry is trusted no more than the dialog.
struct SaverSettings {
    // At least this many microseconds from one frame to the next (the frame clock's least delay).
    std::optional<std::uint32_t> delayMicroseconds;
    ScaleSetting scale;
    // None: a fresh seed each run.
    std::optional<std::uint32_t> seed;

    static std::uint32_t clampDelay(std::uint64_t microseconds);
    // The scales the dialog offers, as text.
    static std::vector<std::string> scaleChoices();
    // The readers throw OptionError. Empty text is no delay, or no seed.
    static std::optional<std::uint32_t> readDelay(std::string_view text);
    static ScaleSetting readScale(std::string_view text);
    static std::optional<std::uint32_t> readSeed(std::string_view text);
    static std::string scaleText(const ScaleSetting& scale);
};
