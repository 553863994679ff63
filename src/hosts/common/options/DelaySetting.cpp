#include "options/DelaySetting.hpp"

#include "options/WholeNumber.hpp"

std::optional<std::chrono::microseconds> DelaySetting::parse(std::string_view text)
{
    auto microseconds = wholeNumber<std::chrono::microseconds::rep>(text, 0, longest.count());
    if (!microseconds)
        return std::nullopt;
    return std::chrono::microseconds(*microseconds);
}
