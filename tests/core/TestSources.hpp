#pragma once

#include "platform/RandomSources.hpp"
#include "platform/ScriptedRandomStream.hpp"

#include <cstdint>
#include <memory>
#include <vector>

// Installs scripted random sources for the length of a test, unseeded ones after.
class ScriptedSources {
public:
    static constexpr std::uint32_t largest = 2147483647;

    explicit ScriptedSources(std::vector<std::uint32_t> random, std::vector<std::uint32_t> rand = { 0 },
        std::vector<std::uint32_t> arc4random = { 0 })
    {
        auto randomStream = std::make_unique<ScriptedRandomStream>(std::move(random));
        auto randStream = std::make_unique<ScriptedRandomStream>(std::move(rand));
        auto arc4Stream = std::make_unique<ScriptedRandomStream>(std::move(arc4random));
        _random = randomStream.get();
        _rand = randStream.get();
        _arc4random = arc4Stream.get();
        RandomSources::install(RandomSources(std::move(randomStream), std::move(randStream), std::move(arc4Stream)));
    }
    ~ScriptedSources() { RandomSources::install(RandomSources::unseeded()); }

    std::size_t randomDraws() const { return _random->drawCount(); }
    std::size_t randDraws() const { return _rand->drawCount(); }
    std::size_t arc4randomDraws() const { return _arc4random->drawCount(); }

private:
    ScriptedRandomStream* _random;
    ScriptedRandomStream* _rand;
    ScriptedRandomStream* _arc4random;
};

// Installs seeded random sources for the length of a test, unseeded ones after.
class SeededSources {
public:
    explicit SeededSources(std::uint32_t seed) { RandomSources::install(RandomSources::seeded(seed)); }
    ~SeededSources() { RandomSources::install(RandomSources::unseeded()); }
    SeededSources(const SeededSources&) = delete;
    SeededSources& operator=(const SeededSources&) = delete;
};
