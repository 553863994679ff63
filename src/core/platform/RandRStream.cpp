#include "platform/RandRStream.hpp"

#include <cstdlib>

std::uint32_t RandRStream::next()
{
    return static_cast<std::uint32_t>(rand_r(&_state));
}
