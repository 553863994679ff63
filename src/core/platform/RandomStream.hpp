#pragma once

#include <cstdint>

// One source of raw random values, as a C library generator hands them out.
class RandomStream {
public:
    virtual ~RandomStream() = default;
    virtual std::uint32_t next() = 0;
};
