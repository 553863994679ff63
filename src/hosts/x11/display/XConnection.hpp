#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <optional>

// The connection to the X server. X errors never reach Xlib's default
// handler (which prints them and exits): a resource error about the watched
// window means its owner destroyed it, anything else is kept for the host to
// report. A lost connection (the server went away) ends the program at once
// with one line and status 1, as Xlib allows nothing else.
class XConnection {
public:
    // Null opens $DISPLAY. Throws when there is no display to open.
    explicit XConnection(const char* displayName);
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    Display* display() const { return _display; }
    int fd() const { return ConnectionNumber(_display); }

    void watchWindow(Window window);
    bool watchedWindowGone() const;
    // Throws for an X error that came in since the last call and was not about the watched window going.
    void throwIfFailed();

    // Makes the requests, waits for the server to answer them and says
    // whether all of them succeeded. A failure here is expected and is not
    // kept for throwIfFailed().
    bool succeeds(const std::function<void()>& requests);

private:
    Display* _display;
};
