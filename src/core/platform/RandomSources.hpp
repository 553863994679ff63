#pragma once

#include "platform/RandomStream.hpp"

#include <cstdint>
#include <memory>

// The three C library generators the module draws from: random() through the
// random helpers, rand() and arc4random() in the fins. Each is a stream of its
// own (glibc's rand() would otherwise share random()'s state). The module
// draws from the current sources, which a session makes current on its thread
// around each call into its view, so that views in one process stay apart.
class RandomSources {
public:
    RandomSources(std::unique_ptr<RandomStream> random, std::unique_ptr<RandomStream> rand,
        std::unique_ptr<RandomStream> arc4random);

    // random() and rand() from the C library's default state, the real arc4random().
    static RandomSources unseeded();
    // srandom(seed) + random(); rand_r from seed; rand_r from seed ^ 0xFFFFFFFF for arc4random.
    static RandomSources seeded(std::uint32_t seed);

    // Outside a session's call, this thread's own unseeded sources: those of a process that seeds nothing.
    static RandomSources& current();

    std::uint32_t random() { return _random->next(); }
    std::uint32_t rand() { return _rand->next(); }
    std::uint32_t arc4random() { return _arc4random->next(); }

private:
    std::unique_ptr<RandomStream> _random;
    std::unique_ptr<RandomStream> _rand;
    std::unique_ptr<RandomStream> _arc4random;
};
