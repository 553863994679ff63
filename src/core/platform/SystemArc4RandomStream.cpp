#include "platform/SystemArc4RandomStream.hpp"

#include <cstdlib>

std::uint32_t SystemArc4RandomStream::next()
{
    return arc4random();
}
