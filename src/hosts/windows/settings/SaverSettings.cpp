#include "settings/SaverSettings.hpp"

#include "options/DelaySetting.hpp"
#include "options/OptionError.hpp"
#include "options/OptionReader.hpp"
#include "options/SeedSetting.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

std::uint32_t SaverSettings::clampDelay(std::uint64_t microseconds)
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(microseconds, DelaySetting::longest.count()));
}

std::vector<std::string> SaverSettings::scaleChoices()
{
    return { "auto", "1", "1.25", "1.5", "1.75", "2", "2.5", "3", "4" };
}

std::optional<std::uint32_t> SaverSettings::readDelay(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    if (auto delay = DelaySetting::parse(text))
        return static_cast<std::uint32_t>(delay->count());
    throw OptionError(OptionReader::invalid("delay", text, DelaySetting::expected));
}

ScaleSetting SaverSettings::readScale(std::string_view text)
{
    if (auto scale = ScaleSetting::parse(text))
        return *scale;
    throw OptionError(OptionReader::invalid("scale", text, ScaleSetting::expected));
}

std::optional<std::uint32_t> SaverSettings::readSeed(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    if (auto seed = SeedSetting::parse(text))
        return seed;
    throw OptionError(OptionReader::invalid("seed", text, SeedSetting::expected));
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
