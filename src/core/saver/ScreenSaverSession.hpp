#pragma once

#include "drawing/DrawingSurface.hpp"
#include "platform/RandomSources.hpp"
#include "primitives/CGGeometry.hpp"
#include "saver/ScreenSaverView.hpp"

#include <cstdint>
#include <functional>
#include <memory>

// One screen saver running in one area: the view, the random sources it draws
// from and the frames it has run. Every call into the view happens inside a
// FrameContext of these sources (and, for a frame or a redraw, the host's
// surface), so several sessions in one process, one per monitor or one per
// thread, never share a random stream or a target. A host keeps only its
// target, timer and presenting.
class ScreenSaverSession {
public:
    using ViewFactory = std::function<std::unique_ptr<ScreenSaverView>(CGRect frame, bool isPreview)>;

    // Builds the view for the area with `sources` current; throws UnusableArea when it cannot.
    ScreenSaverSession(CGSize size, bool isPreview, RandomSources sources, const ViewFactory& createView = screenSaver());
    ~ScreenSaverSession();
    ScreenSaverSession(const ScreenSaverSession&) = delete;
    ScreenSaverSession& operator=(const ScreenSaverSession&) = delete;

    // Creates the screen saver's own view.
    static ViewFactory screenSaver();

    // Replaces the view with one built for `size`, drawing on from the same sources; it
    // keeps animating if it was, and the frame count goes on. Throws UnusableArea, keeping
    // the old view, when the new area cannot take one.
    void reshape(CGSize size);

    void start();
    void stop();
    bool isAnimating() const { return _view->isAnimating(); }

    // Runs one frame into `surface`; does nothing while stopped.
    void frame(DrawingSurface& surface);
    // Lets the view repaint `area` of `surface` after the host lost its pixels there.
    void redraw(DrawingSurface& surface, CGRect area);

    // Seconds between frames, as the view asked.
    double interval() const { return _view->animationTimeInterval(); }
    std::int64_t framesRun() const { return _framesRun; }
    const ScreenSaverView& view() const { return *_view; }

private:
    std::unique_ptr<ScreenSaverView> buildView(CGSize size);

    ViewFactory _createView;
    bool _isPreview;
    RandomSources _sources;
    std::unique_ptr<ScreenSaverView> _view;
    std::int64_t _framesRun = 0;
};
