#include "display/TargetWindow.hpp"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <stdexcept>

namespace {

constexpr int ownWindowWidth = 1280;
constexpr int ownWindowHeight = 720;

std::string describeWindow(Window window)
{
    char text[48];
    std::snprintf(text, sizeof text, "window 0x%lx", window);
    return text;
}

const char* visualClassName(int visualClass)
{
    switch (visualClass) {
    case StaticGray: return "StaticGray";
    case GrayScale: return "GrayScale";
    case StaticColor: return "StaticColor";
    case PseudoColor: return "PseudoColor";
    case TrueColor: return "TrueColor";
    case DirectColor: return "DirectColor";
    }
    return "unknown";
}

}

TargetWindow::TargetWindow(XConnection& connection, const HostOptions& options)
    : _connection(connection)
{
    Display* display = connection.display();
    switch (options.target) {
    case HostOptions::Target::OwnWindow:
        _own = true;
        _id = createOwnWindow(options);
        readAttributes("its own window");
        break;
    case HostOptions::Target::RootWindow:
        _id = DefaultRootWindow(display);
        readAttributes("the root window");
        break;
    case HostOptions::Target::GivenWindow:
        _id = options.windowId;
        readAttributes(describeWindow(_id));
        break;
    }
    connection.watchWindow(_id);
    if (_own)
        XMapWindow(display, _id);
}

TargetWindow::~TargetWindow()
{
    if (_own && !_connection.watchedWindowGone())
        XDestroyWindow(_connection.display(), _id);
    if (_colormap != None)
        XFreeColormap(_connection.display(), _colormap);
}

Window TargetWindow::createOwnWindow(const HostOptions& options)
{
    Display* display = _connection.display();
    int screen = DefaultScreen(display);
    XVisualInfo visual = chooseOwnVisual(options.visual);
    const HostOptions::Geometry& geometry = options.geometry;
    int width = geometry.width.value_or(ownWindowWidth);
    int height = geometry.height.value_or(ownWindowHeight);
    int x = geometry.x.value_or(0);
    int y = geometry.y.value_or(0);
    if (geometry.xFromRight)
        x = DisplayWidth(display, screen) - width - x;
    if (geometry.yFromBottom)
        y = DisplayHeight(display, screen) - height - y;

    XSetWindowAttributes settings {};
    // Opaque black; a 32-bit visual keeps alpha in its top byte.
    settings.background_pixel = visual.depth == 32 ? 0xFF000000 : 0;
    settings.border_pixel = 0;
    // A visual other than the root's needs a colormap of its own, even a TrueColor one.
    _colormap = XCreateColormap(display, RootWindow(display, screen), visual.visual, AllocNone);
    settings.colormap = _colormap;
    settings.event_mask = eventsWatched | KeyPressMask;
    Window window = XCreateWindow(display, RootWindow(display, screen), x, y, width, height, 0, visual.depth,
        InputOutput, visual.visual, CWBackPixel | CWBorderPixel | CWColormap | CWEventMask, &settings);

    XStoreName(display, window, "vorpi");
    XClassHint classHint { const_cast<char*>("vorpi"), const_cast<char*>("Vorpi") };
    XSetClassHint(display, window, &classHint);
    if (geometry.x || geometry.width) {
        XSizeHints hints {};
        hints.flags = (geometry.x ? USPosition : 0) | (geometry.width ? USSize : 0);
        hints.x = x;
        hints.y = y;
        hints.width = width;
        hints.height = height;
        XSetWMNormalHints(display, window, &hints);
    }
    // Lets a window manager or a task list tell which process on which machine draws the window.
    long pid = getpid();
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
        reinterpret_cast<unsigned char*>(&pid), 1);
    char host[256] = {};
    char* hostName = host;
    XTextProperty machine {};
    if (gethostname(host, sizeof host - 1) == 0 && XStringListToTextProperty(&hostName, 1, &machine)) {
        XSetWMClientMachine(display, window, &machine);
        XFree(machine.value);
    }
    _deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &_deleteWindow, 1);
    return window;
}

XVisualInfo TargetWindow::chooseOwnVisual(const HostOptions::VisualRequest& request)
{
    using Kind = HostOptions::VisualRequest::Kind;
    Display* display = _connection.display();
    int screen = DefaultScreen(display);
    XVisualInfo wanted {};
    wanted.screen = screen;
    long mask = VisualScreenMask;
    if (request.kind == Kind::Id) {
        wanted.visualid = request.id;
        mask |= VisualIDMask;
    } else if (request.kind == Kind::Class) {
        wanted.c_class = request.visualClass;
        mask |= VisualClassMask;
    }
    int count = 0;
    XVisualInfo* found = XGetVisualInfo(display, mask, &wanted, &count);
    // The screen's default when the canvas's pixels are its own; otherwise such a visual of 24 bits before 32,
    // so that nothing blends with what is behind; then one whose pixels take converting, the default first.
    auto rank = [&](const XVisualInfo& visual) {
        std::optional<PixelFormat> format = PixelFormat::of(display, *visual.visual, visual.depth);
        bool isDefault = visual.visual == DefaultVisual(display, screen);
        if (!format)
            return 5;
        if (!format->isCanvasLayout())
            return isDefault ? 3 : 4;
        return isDefault ? 0 : visual.depth == 24 ? 1 : 2;
    };
    std::optional<XVisualInfo> chosen;
    for (int i = 0; i < count; ++i)
        if (!chosen || rank(found[i]) < rank(*chosen))
            chosen = found[i];
    XFree(found);
    // One it cannot draw on goes on all the same, so that the check that follows says why it will not do.
    if (request.kind == Kind::Default && (!chosen || rank(*chosen) == 5)) {
        chosen.emplace();
        chosen->visual = DefaultVisual(display, screen);
        chosen->depth = DefaultDepth(display, screen);
    }
    if (chosen)
        return *chosen;
    if (request.kind == Kind::Id) {
        char text[64];
        std::snprintf(text, sizeof text, "visual 0x%lx", request.id);
        throw std::runtime_error(std::string("the screen has no ") + text);
    }
    throw std::runtime_error(std::string("the screen has no ") + visualClassName(request.visualClass) + " visual");
}

void TargetWindow::readAttributes(const std::string& description)
{
    Display* display = _connection.display();
    Status found = 0;
    // Events first: a change between the two requests is then still seen.
    bool answered = _connection.succeeds([&] {
        if (!_own)
            XSelectInput(display, _id, eventsWatched);
        found = XGetWindowAttributes(display, _id, &_attributes);
    });
    if (!answered || !found)
        throw std::runtime_error("no " + description + " on display '" + DisplayString(display) + "'");

    if (_attributes.c_class == InputOnly)
        throw std::runtime_error("cannot draw in " + description + ": it is an input-only window");
    _format = PixelFormat::of(display, *_attributes.visual, _attributes.depth);
    if (!_format)
        throw std::runtime_error("cannot draw in " + description + ": its visual is "
            + visualClassName(_attributes.visual->c_class) + " of depth " + std::to_string(_attributes.depth)
            + "; vorpi needs TrueColor of depth 15, 16, 24, 30 or 32");
}

bool TargetWindow::asksToQuit(XEvent& event) const
{
    if (!_own)
        return false;
    if (event.type == KeyPress) {
        KeySym key = XLookupKeysym(&event.xkey, 0);
        return key == XK_q || key == XK_Q || key == XK_Escape;
    }
    return event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == _deleteWindow;
}
