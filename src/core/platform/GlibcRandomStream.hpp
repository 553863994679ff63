#pragma once

#include "platform/RandomStream.hpp"

#include <array>
#include <cstdint>

// glibc's random() after srandom(seed), written out so that every platform
// draws the very same numbers: the additive feedback generator x[i] =
// x[i-3] + x[i-31] (mod 2^32), whose values drop their lowest bit. Seed 1 is
// the C library's default state.
class GlibcRandomStream final : public RandomStream {
public:
    explicit GlibcRandomStream(std::uint32_t seed);

    std::uint32_t next() override;

private:
    static constexpr int degree = 31;
    static constexpr int separation = 3;

    std::array<std::uint32_t, degree> _state {};
    int _front = separation;
    int _rear = 0;
};
