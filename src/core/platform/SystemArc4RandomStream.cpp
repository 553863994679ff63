#include "platform/SystemArc4RandomStream.hpp"

#if defined(__GLIBC__)
#include <stdlib.h>
#endif

std::uint32_t SystemArc4RandomStream::next()
{
#if defined(__GLIBC__)
    return arc4random();
#else
    // The platform's own source: the system generator on Windows, the browser's crypto in wasm.
    return static_cast<std::uint32_t>(_device());
#endif
}
