#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// A seed of the random sources, as every host takes it: a whole number from 0
// to 4294967295 in decimal digits only.
class SeedSetting {
public:
    static constexpr const char* expected = "a whole number from 0 to 4294967295";

    static std::optional<std::uint32_t> parse(std::string_view text);
};
