#pragma once

#include "platform/RandomSources.hpp"
#include "platform/ScriptedRandomStream.hpp"
#include "saver/FrameContext.hpp"

#include <cstdint>
#include <memory>
#include <vector>

// Makes random sources that hand out the values given current for the length of a test.
class ScriptedSources {
public:
    static constexpr std::uint32_t largest = 2147483647;

    explicit ScriptedSources(std::vector<std::uint32_t> random, std::vector<std::uint32_t> rand = { 0 },
        std::vector<std::uint32_t> arc4random = { 0 })
        : _random(new ScriptedRandomStream(std::move(random)))
        , _sources(std::unique_ptr<RandomStream>(_random), std::make_unique<ScriptedRandomStream>(std::move(rand)),
              std::make_unique<ScriptedRandomStream>(std::move(arc4random)))
    {
    }

    std::size_t randomDraws() const { return _random->drawCount(); }

private:
    ScriptedRandomStream* _random;
    RandomSources _sources;
    FrameContext _context { _sources };
};
