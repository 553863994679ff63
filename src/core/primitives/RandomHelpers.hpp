#pragma once

#include "platform/RandomSources.hpp"

#include <cstdint>

// Uniform random numbers between two bounds, both included, each from exactly one random() value.

inline double SSRandomFloatBetween(double a, double b)
{
    double range = b - a;
    double r = RandomSources::current().random();
    return (r / 2147483647.0) * range + a;
}

inline std::int32_t SSRandomIntBetween(std::int32_t a, std::int32_t b)
{
    // 64-bit integers: the same results as 32-bit ones wherever those do not overflow.
    std::int64_t range = std::int64_t{b} - a;
    std::int64_t count = range >= 0 ? range + 1 : range - 1;
    // The 64 largest values of random() round up to 2^31, making fraction exactly 1.
    float fraction = static_cast<float>(RandomSources::current().random()) / 2147483648.0f;
    auto step = static_cast<std::int64_t>(static_cast<float>(count) * fraction);
    if (step == count)
        return a;
    return static_cast<std::int32_t>(a + step);
}
