#pragma once

#include "Canvas.hpp"
#include "display/TargetWindow.hpp"
#include "display/XConnection.hpp"
#include "loop/FrameClock.hpp"
#include "loop/StopSignals.hpp"
#include "options/HostOptions.hpp"
#include "present/FpsOverlay.hpp"
#include "present/ImagePresenter.hpp"
#include "saver/vorpi19_screensaverView.hpp"

#include <memory>
#include <optional>

// The screen saver's host on an X display. It creates the view once, with the
// window's size at the start, and while the window can be seen draws a frame
// into the canvas at each of the view's deadlines and puts it on the window.
// Unmapped or fully covered, it stops the animation and sleeps. It ends on a
// stop signal, on q, Escape or close in its own window, or when the owner of
// the window destroys it.
class X11Host {
public:
    // Connects and sets everything up; throws with a one-line reason when it cannot.
    X11Host(const HostOptions& options, StopSignals& stopSignals);

    // Returns when the program should end normally; throws on an X error.
    void run();

private:
    void handlePendingEvents();
    void handleEvent(XEvent& event);
    void followVisibility();
    void drawFrame();
    void repaint(const XExposeEvent& exposed);
    // Sleeps until an event, a stop signal or the next deadline; false for a stop signal.
    bool waitForWork();

    StopSignals& _stopSignals;
    XConnection _connection;
    TargetWindow _window;
    ImagePresenter _presenter;
    // Draws into the presenter's pixels: the picture is in memory once.
    std::unique_ptr<Canvas> _canvas;
    std::unique_ptr<vorpi_19screensaverView> _view;
    FrameClock _clock;
    std::optional<FpsOverlay> _overlay;
    bool _viewable;
    bool _fullyObscured = false;
    bool _quitAsked = false;
};
