#include "platform/GlibcRandomStream.hpp"

GlibcRandomStream::GlibcRandomStream(unsigned int seed)
{
    initstate_r(seed, _state.data(), _state.size(), &_data);
}

std::uint32_t GlibcRandomStream::next()
{
    std::int32_t value = 0;
    random_r(&_data, &value);
    return static_cast<std::uint32_t>(value);
}
