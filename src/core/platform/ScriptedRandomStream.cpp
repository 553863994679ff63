#include "platform/ScriptedRandomStream.hpp"

#include <utility>

ScriptedRandomStream::ScriptedRandomStream(std::vector<std::uint32_t> values)
    : _values(std::move(values))
{
    if (_values.empty())
        _values.push_back(0);
}

std::uint32_t ScriptedRandomStream::next()
{
    return _values[_drawCount++ % _values.size()];
}
