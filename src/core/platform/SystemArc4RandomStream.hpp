#pragma once

#include "platform/RandomStream.hpp"

// The C library's arc4random(): self-seeded, never reproducible.
class SystemArc4RandomStream final : public RandomStream {
public:
    std::uint32_t next() override;
};
