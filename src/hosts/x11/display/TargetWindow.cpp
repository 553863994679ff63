#include "display/TargetWindow.hpp"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdio>
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
        _id = createOwnWindow();
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
}

Window TargetWindow::createOwnWindow()
{
    Display* display = _connection.display();
    int screen = DefaultScreen(display);
    XSetWindowAttributes settings {};
    settings.background_pixel = BlackPixel(display, screen);
    settings.event_mask = eventsWatched | KeyPressMask;
    Window window = XCreateWindow(display, RootWindow(display, screen), 0, 0, ownWindowWidth, ownWindowHeight, 0,
        CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &settings);

    XStoreName(display, window, "vorpi");
    XClassHint classHint { const_cast<char*>("vorpi"), const_cast<char*>("Vorpi") };
    XSetClassHint(display, window, &classHint);
    _deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &_deleteWindow, 1);
    return window;
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
    const Visual& visual = *_attributes.visual;
    bool drawable = visual.c_class == TrueColor && (_attributes.depth == 24 || _attributes.depth == 32)
        && visual.red_mask == 0xFF0000 && visual.green_mask == 0x00FF00 && visual.blue_mask == 0x0000FF;
    if (!drawable)
        throw std::runtime_error("cannot draw in " + description + ": its visual is " + visualClassName(visual.c_class)
            + " of depth " + std::to_string(_attributes.depth)
            + "; vorpi needs 24- or 32-bit TrueColor with 8-bit red, green and blue");
}

unsigned long TargetWindow::pixel(std::uint32_t rgb) const
{
    const Visual& visual = *_attributes.visual;
    unsigned long colourBits = visual.red_mask | visual.green_mask | visual.blue_mask;
    unsigned long depthBits = _attributes.depth >= 32 ? 0xFFFFFFFFul : (1ul << _attributes.depth) - 1;
    // A 32-bit visual keeps alpha in the bits the colour leaves free.
    return (rgb & colourBits) | (depthBits & ~colourBits);
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
