#include "platform/RandRStream.hpp"

namespace {

std::uint32_t step(std::uint32_t state)
{
    return state * 1103515245u + 12345u;
}

}

std::uint32_t RandRStream::next()
{
    _state = step(_state);
    std::uint32_t result = (_state / 65536) % 2048;
    _state = step(_state);
    result = (result << 10) ^ ((_state / 65536) % 1024);
    _state = step(_state);
    result = (result << 10) ^ ((_state / 65536) % 1024);
    return result;
}
