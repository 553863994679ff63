#pragma once

#include "platform/RandomStream.hpp"

#include <cstddef>
#include <vector>

// Hands out a fixed list of values, then starts over; lets tests choose every draw.
class ScriptedRandomStream final : public RandomStream {
public:
    explicit ScriptedRandomStream(std::vector<std::uint32_t> values);

    std::uint32_t next() override;
    std::size_t drawCount() const { return _drawCount; }

private:
    std::vector<std::uint32_t> _values;
    std::size_t _drawCount = 0;
};
