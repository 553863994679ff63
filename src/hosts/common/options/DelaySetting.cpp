#include "options/DelaySetting.hpp"

#include "options/SeedSetting.hpp"

std::optional<std::chrono::microseconds> DelaySetting::parse(std::string_view text)
{
    // The same digits-only whole number as a seed, then the range.
    auto microseconds = SeedSetting::parse(text);
    if (!microseconds || *microseconds > longest.count())
        return std::nullopt;
    return std::chrono::microseconds(*microseconds);
}
