#pragma once

#include "drawing/DrawingSurface.hpp"
#include "platform/RandomSources.hpp"
#include "saver/ScreenSaverSession.hpp"

// Stands in for the screen-saver host without a screen: runs a session for an
// area of the given size, started, its frames back to back in virtual time,
// one animation interval apart, into the drawing surface. It never paints the
// surface itself.
class OffscreenHost {
public:
    using ViewFactory = ScreenSaverSession::ViewFactory;

    // Throws UnusableArea (a std::runtime_error) when the view cannot be created for the area.
    OffscreenHost(CGSize size, bool isPreview, DrawingSurface& surface, RandomSources sources,
        const ViewFactory& createView = ScreenSaverSession::screenSaver());

    void runFrame() { _session.frame(_surface); }

    int framesRun() const { return static_cast<int>(_session.framesRun()); }
    double elapsedSeconds() const { return framesRun() * _session.interval(); }
    // The rate the view asked for, rounded to whole frames: a video of the run plays at it.
    int framesPerSecond() const;
    const ScreenSaverView& view() const { return _session.view(); }

private:
    ScreenSaverSession _session;
    DrawingSurface& _surface;
};
