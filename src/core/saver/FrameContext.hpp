#pragma once

#include "drawing/DrawingSurface.hpp"
#include "platform/RandomSources.hpp"
#include "platform/ScopedCurrent.hpp"

// What the module reads as current while a session calls into its view: the
// random sources it draws from and the surface it draws into (none: drawing
// is dropped). Both are current on the opening thread for the scope's
// lifetime; what was current before comes back after it.
class FrameContext {
public:
    explicit FrameContext(RandomSources& sources, DrawingSurface* target = nullptr)
        : _sources(&sources)
        , _target(target)
    {
    }

private:
    ScopedCurrent<RandomSources> _sources;
    ScopedCurrent<DrawingSurface> _target;
};
