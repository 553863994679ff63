#include "options/SeedSetting.hpp"

#include <charconv>

std::optional<std::uint32_t> SeedSetting::parse(std::string_view text)
{
    if (text.empty() || text.find_first_not_of("0123456789") != text.npos)
        return std::nullopt;
    std::uint32_t seed = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return seed;
}
