#pragma once

#include "platform/RandomStream.hpp"

#include <cstdint>

// glibc's rand_r() on a private state, written out so that every platform
// draws the same numbers: three steps of a linear congruential generator,
// 11 + 10 + 10 of their high bits.
class RandRStream final : public RandomStream {
public:
    explicit RandRStream(std::uint32_t seed) : _state(seed) {}

    std::uint32_t next() override;

private:
    std::uint32_t _state;
};
