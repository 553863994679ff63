#include "platform/RandomSources.hpp"

#include "platform/GlibcRandomStream.hpp"
#include "platform/RandRStream.hpp"
#include "platform/ScopedCurrent.hpp"
#include "platform/SystemArc4RandomStream.hpp"

#include <utility>

namespace {

// Before any srandom()/srand(), glibc behaves as if seeded with 1.
constexpr unsigned int defaultCLibrarySeed = 1;

}

RandomSources::RandomSources(std::unique_ptr<RandomStream> random, std::unique_ptr<RandomStream> rand,
    std::unique_ptr<RandomStream> arc4random)
    : _random(std::move(random))
    , _rand(std::move(rand))
    , _arc4random(std::move(arc4random))
{
}

RandomSources RandomSources::unseeded()
{
    return RandomSources(std::make_unique<GlibcRandomStream>(defaultCLibrarySeed),
        std::make_unique<GlibcRandomStream>(defaultCLibrarySeed), std::make_unique<SystemArc4RandomStream>());
}

RandomSources RandomSources::seeded(std::uint32_t seed)
{
    return RandomSources(std::make_unique<GlibcRandomStream>(seed), std::make_unique<RandRStream>(seed),
        std::make_unique<RandRStream>(seed ^ 0xFFFFFFFFu));
}

RandomSources& RandomSources::current()
{
    if (RandomSources* scoped = ScopedCurrent<RandomSources>::get())
        return *scoped;
    thread_local RandomSources unscoped = unseeded();
    return unscoped;
}
