#pragma once

#include <chrono>
#include <optional>
#include <string_view>

// The least time from one frame to the next, as the Linux programs take it
// (XScreenSaver's -delay): microseconds in decimal digits only, 0 to 10 s.
class DelaySetting {
public:
    static constexpr std::chrono::microseconds longest = std::chrono::seconds(10);
    static constexpr const char* expected = "microseconds between frames, a whole number from 0 to 10000000";

    static std::optional<std::chrono::microseconds> parse(std::string_view text);
};
