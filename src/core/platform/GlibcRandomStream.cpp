#include "platform/GlibcRandomStream.hpp"

GlibcRandomStream::GlibcRandomStream(std::uint32_t seed)
{
    // glibc holds the seed in a signed 32-bit word: seeds from 2^31 up start negative.
    std::int32_t word = seed == 0 ? 1 : static_cast<std::int32_t>(seed);
    _state[0] = static_cast<std::uint32_t>(word);
    for (int i = 1; i < degree; ++i) {
        // 16807 * word mod (2^31 - 1), by Schrage's method so that nothing overflows.
        std::int32_t high = word / 127773;
        std::int32_t low = word % 127773;
        word = 16807 * low - 2836 * high;
        if (word < 0)
            word += 2147483647;
        _state[i] = static_cast<std::uint32_t>(word);
    }
    for (int i = 0; i < 10 * degree; ++i)
        next();
}

std::uint32_t GlibcRandomStream::next()
{
    _state[_front] += _state[_rear];
    std::uint32_t value = _state[_front] >> 1;
    _front = (_front + 1) % degree;
    _rear = (_rear + 1) % degree;
    return value;
}
