#include "host/OffscreenHost.hpp"

#include <cmath>
#include <utility>

OffscreenHost::OffscreenHost(CGSize size, bool isPreview, DrawingSurface& surface, RandomSources sources,
    const ViewFactory& createView)
    : _session(size, isPreview, std::move(sources), createView)
    , _surface(surface)
{
    _session.start();
}

int OffscreenHost::framesPerSecond() const
{
    return static_cast<int>(std::lround(1.0 / _session.interval()));
}
