#include "options/ScaleSetting.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// Reads a text already known to be digits with at most one point.
double decimal(std::string_view text)
{
#ifdef __cpp_lib_to_chars
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    return value;
#else
    // emscripten's C++ library reads no floating point with from_chars; its
    // strtod (musl's) takes a point as the decimal sign whatever the locale.
    return std::strtod(std::string(text).c_str(), nullptr);
#endif
}

}

std::optional<ScaleSetting> ScaleSetting::parse(std::string_view text)
{
    if (text == "auto")
        return ScaleSetting {};
    auto digits = [](std::string_view part) { return !part.empty() && part.find_first_not_of("0123456789") == part.npos; };
    std::size_t point = text.find('.');
    bool plain = digits(text.substr(0, point)) && (point == text.npos || digits(text.substr(point + 1)));
    if (!plain)
        return std::nullopt;
    double value = decimal(text);
    if (value < smallest || value > largest)
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
