#pragma once

#include "platform/RandomStream.hpp"

#if !defined(__GLIBC__)
#include <random>
#endif

// arc4random(): self-seeded from the operating system, never reproducible.
class SystemArc4RandomStream final : public RandomStream {
public:
    std::uint32_t next() override;

#if !defined(__GLIBC__)
private:
    std::random_device _device;
#endif
};
