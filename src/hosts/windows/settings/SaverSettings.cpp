#include "settings/SaverSettings.hpp"

#include "options/OptionReader.hpp"
#include "options/SeedSetting.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

std::uint32_t SaverSettings::clampDelay(std::uint64_t microseconds)
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(microseconds, longestDelay));
}

std::vector<std::string> SaverSettings::scaleChoices()
{
    return { "auto", "1", "1.25", "1.5", "1.75", "2", "2.5", "3", "4" };
}

std::optional<std::uint32_t> SaverSettings::readDelay(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    std::uint64_t microseconds = 0;
    std::errc error = std::from_chars(text.data(), text.data() + text.size(), microseconds).ec;
    bool digitsOnly = text.find_first_not_of("0123456789") == text.npos;
    if (!digitsOnly || (error != std::errc() && error != std::errc::result_out_of_range))
        throw Error(OptionReader::refusal("delay", text, "a whole number of microseconds"));
    return clampDelay(error == std::errc() ? microseconds : UINT64_MAX);
}

ScaleSetting SaverSettings::readScale(std::string_view text)
{
    if (auto scale = ScaleSetting::parse(text))
        return *scale;
    throw Error(OptionReader::refusal("scale", text, ScaleSetting::expected));
}

std::optional<std::uint32_t> SaverSettings::readSeed(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    if (auto seed = SeedSetting::parse(text))
        return seed;
    throw Error(OptionReader::refusal("seed", text, SeedSetting::expected));
}

std::string SaverSettings::scaleText(const ScaleSetting& scale)
{
    if (scale.isAuto())
        return "auto";
    // The fewest digits that read back as the same number.
    char text[32];
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, *scale.value());
        if (std::strtod(text, nullptr) == *scale.value())
            break;
    }
    return text;
}
