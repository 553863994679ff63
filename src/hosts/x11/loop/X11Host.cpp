#include "loop/X11Host.hpp"

#include "DefaultBackend.hpp"

#include <poll.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

// One frame of a larger window would take over a gigabyte; the renderer has the same limit.
constexpr int largestSide = 16384;

int drawableWidth(const TargetWindow& window)
{
    if (window.width() > largestSide || window.height() > largestSide)
        throw std::runtime_error("the window is " + std::to_string(window.width()) + "x"
            + std::to_string(window.height()) + ", larger than the " + std::to_string(largestSide) + "x"
            + std::to_string(largestSide) + " that vorpi draws in");
    return window.width();
}

std::unique_ptr<vorpi_19screensaverView> createView(int width, int height, bool preview)
{
    CGRect frame { {}, { static_cast<double>(width), static_cast<double>(height) } };
    auto view = vorpi_19screensaverView::initWithFrame(frame, preview);
    if (!view)
        throw std::runtime_error(
            "the screen saver cannot start in a " + std::to_string(width) + "x" + std::to_string(height) + " area");
    return view;
}

timespec timeUntil(FrameClock::Clock::time_point deadline)
{
    auto left = std::max(deadline - FrameClock::Clock::now(), FrameClock::Clock::duration::zero());
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
    auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(left - seconds);
    return { static_cast<time_t>(seconds.count()), static_cast<long>(nanoseconds.count()) };
}

}

X11Host::X11Host(const HostOptions& options, StopSignals& stopSignals)
    : _stopSignals(stopSignals)
    , _connection(nullptr)
    , _window(_connection, options)
    , _presenter(_connection, _window, drawableWidth(_window), _window.height())
    , _canvas(DefaultBackend::makeCanvas(_presenter.pixels()))
    , _view(createView(_window.width(), _window.height(), options.preview))
    , _clock(_view->animationTimeInterval())
    , _viewable(_window.viewableAtStart())
{
    if (options.showFps) {
        _overlay.emplace(_connection, _window);
        if (!_overlay->canDraw())
            std::fprintf(stderr, "vorpi: the display has no 'fixed' font; the frame rate is not shown\n");
    }
}

void X11Host::run()
{
    followVisibility();
    while (true) {
        handlePendingEvents();
        _connection.throwIfFailed();
        if (_quitAsked || _connection.watchedWindowGone())
            return;
        if (_view->isAnimating() && !_presenter.busy() && _clock.isDue(FrameClock::Clock::now()))
            drawFrame();
        XFlush(_connection.display());
        if (!waitForWork())
            return;
    }
}

void X11Host::handlePendingEvents()
{
    while (XPending(_connection.display()) > 0) {
        XEvent event;
        XNextEvent(_connection.display(), &event);
        handleEvent(event);
    }
}

void X11Host::handleEvent(XEvent& event)
{
    if (_presenter.handleEvent(event))
        return;
    if (_window.asksToQuit(event)) {
        _quitAsked = true;
        return;
    }
    if (event.xany.window != _window.id())
        return;
    switch (event.type) {
    case Expose:
        repaint(event.xexpose);
        break;
    case VisibilityNotify:
        // Sent only to a viewable window, and on every change to viewable.
        _viewable = true;
        _fullyObscured = event.xvisibility.state == VisibilityFullyObscured;
        followVisibility();
        break;
    case UnmapNotify:
        _viewable = false;
        followVisibility();
        break;
    case DestroyNotify:
        _quitAsked = true;
        break;
    }
}

void X11Host::followVisibility()
{
    bool visible = _viewable && !_fullyObscured;
    if (visible && !_view->isAnimating()) {
        auto now = FrameClock::Clock::now();
        _view->startAnimation();
        _clock.start(now);
        if (_overlay)
            _overlay->restart(now);
    } else if (!visible && _view->isAnimating()) {
        _view->stopAnimation();
    }
}

void X11Host::drawFrame()
{
    {
        DrawingSurface::Scope target(*_canvas);
        _view->animateOneFrame();
    }
    // Only what the frame touched goes to the server.
    _canvas->image();
    std::vector<PixelRect> changed = _canvas->takeTouchedAreas();
    // The overlay's box changes size with its text: the picture under the old box goes back first.
    if (_overlay)
        changed.push_back(_overlay->area());
    _presenter.present(changed);
    auto now = FrameClock::Clock::now();
    if (_overlay) {
        _overlay->frameShown(now);
        _overlay->draw();
    }
    _clock.frameDone(now);
}

void X11Host::repaint(const XExposeEvent& exposed)
{
    {
        DrawingSurface::Scope target(*_canvas);
        _view->drawRect({ { static_cast<double>(exposed.x), static_cast<double>(exposed.y) },
            { static_cast<double>(exposed.width), static_cast<double>(exposed.height) } });
    }
    _canvas->image(); // finishes any drawing the backend holds back
    _presenter.present({ static_cast<short>(exposed.x), static_cast<short>(exposed.y),
        static_cast<unsigned short>(exposed.width), static_cast<unsigned short>(exposed.height) });
    if (_overlay && exposed.count == 0)
        _overlay->draw();
}

bool X11Host::waitForWork()
{
    // Xlib may already hold events it read while flushing.
    if (QLength(_connection.display()) > 0)
        return true;
    pollfd watched[] = { { _connection.fd(), POLLIN, 0 }, { _stopSignals.fd(), POLLIN, 0 } };
    bool timed = _view->isAnimating() && !_presenter.busy();
    timespec timeout = timed ? timeUntil(_clock.nextDeadline()) : timespec {};
    int ready = ppoll(watched, 2, timed ? &timeout : nullptr, nullptr);
    if (ready < 0 && errno != EINTR)
        throw std::runtime_error(std::string("cannot wait for events: ") + std::strerror(errno));
    return !(ready > 0 && watched[1].revents != 0 && _stopSignals.arrived());
}
