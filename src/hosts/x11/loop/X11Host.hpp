#pragma once

#include "Canvas.hpp"
#include "display/TargetWindow.hpp"
#include "display/XConnection.hpp"
#include "loop/FrameClock.hpp"
#include "loop/StopSignals.hpp"
#include "options/HostOptions.hpp"
#include "present/FpsOverlay.hpp"
#include "present/ImagePresenter.hpp"
#include "platform/RandomSources.hpp"
#include "primitives/CGGeometry.hpp"
#include "saver/ScreenSaverSession.hpp"

#include <memory>
#include <optional>
#include <utility>

// The screen saver's host on an X display. It runs a session for the
// window's size in points (pixels over the scale), and while the window can
// be seen draws a frame into the canvas at each deadline of its clock and puts
// it on the window. The view reads its size once: when the window changes
// size, and the size has settled, the session builds a new view and the host
// a fresh canvas for the new size, and the random sources go on where they were.
// Unmapped or fully covered, it stops the animation and sleeps. It ends on a
// stop signal, on q, Escape or close in its own window, or when the owner of
// the window destroys it.
class X11Host {
public:
    // Connects and sets everything up, the view drawing from `sources`; throws with a one-line reason when it cannot.
    X11Host(const HostOptions& options, RandomSources sources, StopSignals& stopSignals);

    // Returns when the program should end normally; throws on an X error.
    void run();

private:
    void handlePendingEvents();
    void handleEvent(XEvent& event);
    void followVisibility();
    void drawFrame();
    void noteSize(int width, int height);
    // Replaces the picture (view, image and canvas) with one of the settled size.
    void reshape();
    // The first picture, for the window's size at the start; returns the view's frame interval.
    double createFirstPicture(bool preview, RandomSources sources);
    void createImage(int width, int height);
    CGSize inPoints(int width, int height) const;
    void repaint(const XExposeEvent& exposed);
    // Sleeps until an event, a stop signal or the next deadline; false for a stop signal.
    bool waitForWork();

    StopSignals& _stopSignals;
    XConnection _connection;
    TargetWindow _window;
    // Pixels per point.
    double _scale;
    std::optional<ImagePresenter> _presenter;
    // Draws into the presenter's pixels: the picture is in memory once.
    std::unique_ptr<Canvas> _canvas;
    std::optional<ScreenSaverSession> _session;
    FrameClock _clock;
    // A size the window took that the picture has not yet, and when it counts as settled.
    std::optional<std::pair<int, int>> _newSize;
    FrameClock::Clock::time_point _newSizeSettles;
    std::optional<FpsOverlay> _overlay;
    bool _viewable;
    bool _fullyObscured = false;
    bool _quitAsked = false;
};
