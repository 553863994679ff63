#include "loop/X11Host.hpp"

#include "DefaultBackend.hpp"
#include "display/DesktopScale.hpp"
#include "drawing/ScaledSurface.hpp"

#include <poll.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

// One frame of a larger window would take over a gigabyte; the renderer has the same limit.
constexpr int largestSide = 16384;
// A window manager or a monitor change sends sizes in bursts; the picture is rebuilt once they stop.
constexpr auto sizeSettlingTime = std::chrono::milliseconds(200);

void requireDrawable(int width, int height)
{
    if (width > largestSide || height > largestSide)
        throw std::runtime_error("the window is " + std::to_string(width) + "x" + std::to_string(height)
            + ", larger than the " + std::to_string(largestSide) + "x" + std::to_string(largestSide)
            + " that vorpi draws in");
}

const char* nameOrNull(const std::optional<std::string>& text)
{
    return text ? text->c_str() : nullptr;
}

timespec timeUntil(FrameClock::Clock::time_point deadline)
{
    auto left = std::max(deadline - FrameClock::Clock::now(), FrameClock::Clock::duration::zero());
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
    auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(left - seconds);
    return { static_cast<time_t>(seconds.count()), static_cast<long>(nanoseconds.count()) };
}

}

X11Host::X11Host(const HostOptions& options, RandomSources sources, StopSignals& stopSignals)
    : _stopSignals(stopSignals)
    , _connection(nameOrNull(options.displayName))
    , _window(_connection, options)
    , _scale(options.scale.value_or(DesktopScale::of(_connection.display())))
    , _clock(createFirstPicture(options.preview, std::move(sources)), options.delay)
    , _viewable(_window.viewableAtStart())
{
    if (options.synchronous)
        XSynchronize(_connection.display(), True);
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
        if (_newSize && !_presenter->busy() && FrameClock::Clock::now() >= _newSizeSettles)
            reshape();
        if (_session->isAnimating() && !_presenter->busy() && _clock.isDue(FrameClock::Clock::now()))
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
    if (_presenter->handleEvent(event))
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
    case ConfigureNotify:
        noteSize(event.xconfigure.width, event.xconfigure.height);
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
    if (visible && !_session->isAnimating()) {
        auto now = FrameClock::Clock::now();
        _session->start();
        _clock.start(now);
        if (_overlay)
            _overlay->restart(now);
    } else if (!visible && _session->isAnimating()) {
        _session->stop();
    }
}

void X11Host::noteSize(int width, int height)
{
    if (width == _presenter->width() && height == _presenter->height()) {
        _newSize.reset();
        return;
    }
    if (_newSize != std::pair { width, height }) {
        _newSize = { width, height };
        _newSizeSettles = FrameClock::Clock::now() + sizeSettlingTime;
    }
}

void X11Host::reshape()
{
    auto [width, height] = *_newSize;
    _newSize.reset();
    requireDrawable(width, height);
    _session->reshape(inPoints(width, height));
    createImage(width, height);
    // The fresh canvas is black: show it at once, so that nothing of the old picture stays where the new one has not drawn yet.
    _canvas->image();
    _presenter->present({ 0, 0, static_cast<unsigned short>(width), static_cast<unsigned short>(height) });
}

double X11Host::createFirstPicture(bool preview, RandomSources sources)
{
    int width = _window.width();
    int height = _window.height();
    requireDrawable(width, height);
    createImage(width, height);
    _session.emplace(inPoints(width, height), preview, std::move(sources));
    return _session->interval();
}

void X11Host::createImage(int width, int height)
{
    // The canvas draws into the presenter's pixels: it goes first, and the old image before the new one takes its memory.
    _canvas.reset();
    _presenter.reset();
    _presenter.emplace(_connection, _window, width, height);
    _canvas = DefaultBackend::makeCanvas(_presenter->pixels());
}

CGSize X11Host::inPoints(int width, int height) const
{
    return { width / _scale, height / _scale };
}

void X11Host::drawFrame()
{
    {
        ScaledSurface points(*_canvas, _scale);
        _session->frame(points);
    }
    // Only what the frame touched goes to the server.
    _canvas->image();
    std::vector<PixelRect> changed = _canvas->takeTouchedAreas();
    // The overlay's box changes size with its text: the picture under the old box goes back first.
    if (_overlay)
        changed.push_back(_overlay->area());
    _presenter->present(changed);
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
        ScaledSurface points(*_canvas, _scale);
        _session->redraw(points, { { exposed.x / _scale, exposed.y / _scale }, { exposed.width / _scale, exposed.height / _scale } });
    }
    _canvas->image(); // finishes any drawing the backend holds back
    _presenter->present({ static_cast<short>(exposed.x), static_cast<short>(exposed.y),
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
    // While the server reads the shared pixels, only its notice that it is done can move things on.
    std::optional<FrameClock::Clock::time_point> deadline;
    if (!_presenter->busy() && _session->isAnimating())
        deadline = _clock.nextDeadline();
    if (!_presenter->busy() && _newSize)
        deadline = std::min(deadline.value_or(_newSizeSettles), _newSizeSettles);
    timespec timeout = deadline ? timeUntil(*deadline) : timespec {};
    int ready = ppoll(watched, 2, deadline ? &timeout : nullptr, nullptr);
    if (ready < 0 && errno != EINTR)
        throw std::runtime_error(std::string("cannot wait for events: ") + std::strerror(errno));
    return !(ready > 0 && watched[1].revents != 0 && _stopSignals.arrived());
}
