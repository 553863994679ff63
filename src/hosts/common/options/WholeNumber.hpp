#pragma once

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

// A whole number in min..max written with digits only: no sign, space or
// exponent. Every host reads its counts, sizes, seeds and delays this way.
template <typename Number>
std::optional<Number> wholeNumber(std::string_view text, Number min, Number max)
{
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    Number value {};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < min || value > max)
        return std::nullopt;
    return value;
}
