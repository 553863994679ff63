#pragma once

#include "platform/RandomSources.hpp"
#include "platform/ScriptedRandomStream.hpp"
#include "saver/FrameContext.hpp"

#include <cstdint>
#include <memory>
#include <vector>

// Makes scripted random sources current for the length of a test.
class ScriptedSources {
public:
    static constexpr std::uint32_t largest = 2147483647;

    explicit ScriptedSources(std::vector<std::uint32_t> random, std::vector<std::uint32_t> rand = { 0 },
        std::vector<std::uint32_t> arc4random = { 0 })
        : _random(new ScriptedRandomStream(std::move(random)))
        , _rand(new ScriptedRandomStream(std::move(rand)))
        , _arc4random(new ScriptedRandomStream(std::move(arc4random)))
        , _sources(std::unique_ptr<RandomStream>(_random), std::unique_ptr<RandomStream>(_rand),
              std::unique_ptr<RandomStream>(_arc4random))
        , _context(_sources)
    {
    }

    std::size_t randomDraws() const { return _random->drawCount(); }
    std::size_t randDraws() const { return _rand->drawCount(); }
    std::size_t arc4randomDraws() const { return _arc4random->drawCount(); }

private:
    ScriptedRandomStream* _random;
    ScriptedRandomStream* _rand;
    ScriptedRandomStream* _arc4random;
    RandomSources _sources;
    FrameContext _context;
};

// Makes seeded random sources current for the length of a test.
class SeededSources {
public:
    explicit SeededSources(std::uint32_t seed)
        : _sources(RandomSources::seeded(seed))
        , _context(_sources)
    {
    }

private:
    RandomSources _sources;
    FrameContext _context;
};
