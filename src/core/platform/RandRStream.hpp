#pragma once

#include "platform/RandomStream.hpp"

// The C library's rand_r() on a private state.
class RandRStream final : public RandomStream {
public:
    explicit RandRStream(unsigned int seed) : _state(seed) {}

    std::uint32_t next() override;

private:
    unsigned int _state;
};
