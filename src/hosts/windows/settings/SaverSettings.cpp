#include "settings/SaverSettings.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

std::uint32_t SaverSettings::clampDelay(std::uint64_t microseconds)
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(microseconds, longestDelay));
}

std::optional<std::optional<double>> SaverSettings::parseScale(const std::string& text)
{
    std::string lower;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "auto")
        return std::optional<double>();
    if (lower.empty())
        return std::nullopt;
    char* end = nullptr;
    double value = std::strtod(lower.c_str(), &end);
    if (*end != '\0' || !(value >= smallestScale && value <= largestScale))
        return std::nullopt;
    return std::optional<double>(value);
}

std::string SaverSettings::formatScale(std::optional<double> scale)
{
    if (!scale)
        return "auto";
    std::string text = std::to_string(*scale);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.')
        text.pop_back();
    return text;
}

double SaverSettings::scaleForDpi(unsigned dpi)
{
    return std::clamp(std::round(dpi / 96.0 * 2) / 2, smallestScale, largestScale);
}
