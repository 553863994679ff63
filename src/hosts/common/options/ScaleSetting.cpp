#include "options/ScaleSetting.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

std::optional<ScaleSetting> ScaleSetting::parse(std::string_view text)
{
    if (text == "auto")
        return ScaleSetting {};
    auto digits = [](std::string_view part) { return !part.empty() && part.find_first_not_of("0123456789") == part.npos; };
    std::size_t point = text.find('.');
    bool plain = digits(text.substr(0, point)) && (point == text.npos || digits(text.substr(point + 1)));
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (!plain || error != std::errc() || end != text.data() + text.size() || value < smallest || value > largest)
        return std::nullopt;
    ScaleSetting setting;
    setting._scale = value;
    return setting;
}

double ScaleSetting::forDpi(double dpi)
{
    if (!std::isfinite(dpi) || dpi <= 0)
        return smallest;
    return std::clamp(std::round(dpi / 96 * 2) / 2, smallest, largest);
}
