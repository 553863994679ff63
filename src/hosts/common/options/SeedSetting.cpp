#include "options/SeedSetting.hpp"

#include "options/WholeNumber.hpp"

#include <limits>

std::optional<std::uint32_t> SeedSetting::parse(std::string_view text)
{
    return wholeNumber<std::uint32_t>(text, 0, std::numeric_limits<std::uint32_t>::max());
}
