#pragma once

#include "display/TargetWindow.hpp"
#include "display/XConnection.hpp"
#include "loop/FrameClock.hpp"
#include "loop/PendingReshape.hpp"
#include "loop/StopSignals.hpp"
#include "options/HostOptions.hpp"
#include "picture/SaverPicture.hpp"
#include "platform/RandomSources.hpp"
#include "present/FpsOverlay.hpp"
#include "present/ImagePresenter.hpp"

#include <memory>
#include <optional>

// The screen saver's host on an X display. It runs a picture for the
// window's size in points (pixels over the scale), and while the window can
// be seen draws a frame at each deadline of its clock and puts what the frame
// touched on the window. The view reads its size once: when the window
// changes size, and the size has settled, the picture gets a new view and a
// fresh canvas for the new size, and the random sources go on where they were.
// After each frame the window's property vorpi.frames holds the frames run so
// far, for a settings dialog or a test to see that it animates. Unmapped or
// fully covered, it stops the animation and sleeps. It ends on a stop signal,
// on q, Escape or close in its own window, or when the owner of the window
// destroys it.
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
    // Gives the picture a view and a canvas of the settled size.
    void reshape();
    SaverPicture createFirstPicture(bool preview, RandomSources sources);
    // A presenter for width x height pixels, and a canvas that draws into its image where it can.
    std::unique_ptr<Canvas> createCanvas(int width, int height);
    void repaint(const XExposeEvent& exposed);
    // Sleeps until an event, a stop signal or the next deadline; false for a stop signal.
    bool waitForWork();

    StopSignals& _stopSignals;
    XConnection _connection;
    TargetWindow _window;
    // Pixels per point.
    double _scale;
    Atom _framesProperty;
    // Before the picture: its canvas may draw into the presenter's image.
    std::optional<ImagePresenter> _presenter;
    SaverPicture _picture;
    FrameClock _clock;
    PendingReshape _pendingReshape;
    std::optional<FpsOverlay> _overlay;
    bool _viewable;
    bool _fullyObscured = false;
    bool _quitAsked = false;
};
