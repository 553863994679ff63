#include "display/XConnection.hpp"
#include "present/UnmarkedSegment.hpp"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

struct ErrorRecord {
    Window watchedWindow = None;
    bool watchedWindowGone = false;
    bool trapping = false;
    bool trapped = false;
    std::optional<XErrorEvent> unexpected;
};

// Xlib calls its error handler with no context of its own, and there is one
// connection per process.
ErrorRecord errorRecord;

int recordError(Display*, XErrorEvent* error)
{
    bool aboutWatchedWindow = errorRecord.watchedWindow != None && error->resourceid == errorRecord.watchedWindow;
    bool windowGone = aboutWatchedWindow && (error->error_code == BadWindow || error->error_code == BadDrawable);
    if (windowGone)
        errorRecord.watchedWindowGone = true;
    if (errorRecord.trapping)
        errorRecord.trapped = true;
    else if (!windowGone && !errorRecord.unexpected)
        errorRecord.unexpected = *error;
    return 0;
}

// Xlib ends the process when its I/O error handler returns; this one says why
// in the program's own words first, on one line.
int connectionLost(Display*)
{
    UnmarkedSegment::markForRemoval();
    std::fputs("vorpi: lost the connection to the X server\n", stderr);
    std::_Exit(1);
}

std::string hex(unsigned long value)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", value);
    return text;
}

}

XConnection::XConnection(const char* displayName)
    : _display(XOpenDisplay(displayName))
{
    if (!_display) {
        std::string name = XDisplayName(displayName);
        throw std::runtime_error(name.empty() ? "cannot open the display: DISPLAY is not set"
                                              : "cannot open display '" + name + "'");
    }
    errorRecord = {};
    XSetErrorHandler(recordError);
    XSetIOErrorHandler(connectionLost);
}

XConnection::~XConnection()
{
    XCloseDisplay(_display);
    XSetErrorHandler(nullptr);
}

void XConnection::watchWindow(Window window)
{
    errorRecord.watchedWindow = window;
}

bool XConnection::watchedWindowGone() const
{
    return errorRecord.watchedWindowGone;
}

void XConnection::throwIfFailed()
{
    if (!errorRecord.unexpected)
        return;
    XErrorEvent error = *errorRecord.unexpected;
    errorRecord.unexpected.reset();
    char text[256];
    XGetErrorText(_display, error.error_code, text, sizeof text);
    throw std::runtime_error("the X server refused a request: " + std::string(text) + " (request "
        + std::to_string(error.request_code) + "." + std::to_string(error.minor_code) + ", resource "
        + hex(error.resourceid) + ")");
}

bool XConnection::succeeds(const std::function<void()>& requests)
{
    XSync(_display, False);
    errorRecord.trapping = true;
    errorRecord.trapped = false;
    requests();
    XSync(_display, False);
    errorRecord.trapping = false;
    return !errorRecord.trapped;
}
