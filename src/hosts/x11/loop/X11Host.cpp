#include "loop/X11Host.hpp"

#include "DefaultBackend.hpp"
#include "display/DesktopScale.hpp"
#include "limits/DrawingLimits.hpp"
#include "loop/EventWait.hpp"

#include <X11/Xatom.h>
#include <poll.h>

#include <cstdio>
#include <string>

namespace {

const char* nameOrNull(const std::optional<std::string>& text)
{
    return text ? text->c_str() : nullptr;
}

}

X11Host::X11Host(const HostOptions& options, RandomSources sources, StopSignals& stopSignals)
    : _stopSignals(stopSignals)
    , _connection(nameOrNull(options.displayName))
    , _window(_connection, options)
    , _scale(options.scale.resolve(DesktopScale::of(_connection.display())))
    , _framesProperty(XInternAtom(_connection.display(), "vorpi.frames", False))
    , _picture(createFirstPicture(options.preview, std::move(sources)))
    , _clock(_picture.session().interval(), options.delay)
    , _viewable(_window.viewableAtStart())
{
    if (options.synchronous)
        XSynchronize(_connection.display(), True);
    if (options.showFps) {
        _overlay.emplace(_connection, _window, _scale);
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
        if (!_presenter->busy() && _pendingReshape.isDue(FrameClock::Clock::now()))
            reshape();
        if (_picture.session().isAnimating() && !_presenter->busy() && _clock.isDue(FrameClock::Clock::now()))
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
    ScreenSaverSession& session = _picture.session();
    if (visible && !session.isAnimating()) {
        auto now = FrameClock::Clock::now();
        session.start();
        _clock.start(now);
        if (_overlay)
            _overlay->restart(now);
    } else if (!visible && session.isAnimating()) {
        session.stop();
    }
}

void X11Host::noteSize(int width, int height)
{
    _pendingReshape.note({ width, height, _scale }, { _presenter->width(), _presenter->height(), _scale },
        FrameClock::Clock::now());
}

void X11Host::reshape()
{
    auto [width, height, scale] = _pendingReshape.take();
    DrawingLimits::require(width, height);
    _picture.reshape(width, height, scale, [&] { return createCanvas(width, height); });
    // The fresh canvas is black: show it at once, so that nothing of the old picture stays where the new one has not drawn yet.
    _presenter->present(_picture.canvas().image(),
        { 0, 0, static_cast<unsigned short>(width), static_cast<unsigned short>(height) });
}

SaverPicture X11Host::createFirstPicture(bool preview, RandomSources sources)
{
    DrawingLimits::require(_window.width(), _window.height());
    return SaverPicture(createCanvas(_window.width(), _window.height()), _scale, preview, std::move(sources));
}

std::unique_ptr<Canvas> X11Host::createCanvas(int width, int height)
{
    // The old image goes before the new one takes its memory; the picture has let go of the old canvas by now.
    _presenter.reset();
    _presenter.emplace(_connection, _window, width, height);
    if (std::optional<ImageView> shared = _presenter->canvasPixels())
        return DefaultBackend::makeCanvas(*shared);
    return DefaultBackend::makeCanvas(width, height);
}

void X11Host::drawFrame()
{
    // Only what the frame touched goes to the server.
    std::vector<PixelRect> changed = _picture.frame();
    // The overlay's box changes size with its text: the picture under the old box goes back first.
    if (_overlay)
        changed.push_back(_overlay->area());
    _presenter->present(_picture.canvas().image(), changed);
    long frames = static_cast<long>(_picture.session().framesRun());
    // Not on the root window, where every client that watches it (a window manager, a panel) would wake each frame.
    if (_window.id() != DefaultRootWindow(_connection.display()))
        XChangeProperty(_connection.display(), _window.id(), _framesProperty, XA_CARDINAL, 32, PropModeReplace,
            reinterpret_cast<unsigned char*>(&frames), 1);
    auto now = FrameClock::Clock::now();
    if (_overlay) {
        _overlay->frameShown(now);
        _overlay->draw();
    }
    _clock.frameDone(now);
}

void X11Host::repaint(const XExposeEvent& exposed)
{
    _picture.redraw({ exposed.x, exposed.y, exposed.width, exposed.height });
    _presenter->present(_picture.canvas().image(), { static_cast<short>(exposed.x), static_cast<short>(exposed.y),
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
    if (!_presenter->busy() && _picture.session().isAnimating())
        deadline = _clock.nextDeadline();
    if (!_presenter->busy() && _pendingReshape.isPending())
        deadline = std::min(deadline.value_or(_pendingReshape.settlesAt()), _pendingReshape.settlesAt());
    int ready = EventWait::until(watched, deadline);
    return !(ready > 0 && watched[1].revents != 0 && _stopSignals.arrived());
}
