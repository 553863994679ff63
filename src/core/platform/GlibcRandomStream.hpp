#pragma once

#include "platform/RandomStream.hpp"

#include <array>
#include <cstdlib>

// glibc's random(), with a state of its own: the values a process gets from
// srandom(seed) followed by random(). Seed 1 is the C library's default state.
class GlibcRandomStream final : public RandomStream {
public:
    explicit GlibcRandomStream(unsigned int seed);
    GlibcRandomStream(const GlibcRandomStream&) = delete;
    GlibcRandomStream& operator=(const GlibcRandomStream&) = delete;

    std::uint32_t next() override;

private:
    // 128 bytes selects glibc's default generator, the one srandom() seeds.
    std::array<char, 128> _state{};
    random_data _data{};
};
