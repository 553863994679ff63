#pragma once

#include "display/XConnection.hpp"
#include "options/HostOptions.hpp"
#include "present/PixelFormat.hpp"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <optional>
#include <string>

// The window the screen saver draws in, its own or one another program made,
// and what drawing needs to know of it: its visual, depth and pixel layout
// (a preview pane's may differ from the screen's default) and its size at the
// start. Its own window gets a visual that takes the canvas's pixels as they
// are where the screen has one (a 24-bit visual on a 16-bit screen, say), and
// the size and place -geometry asks for.
class TargetWindow {
public:
    // Throws when the window does not exist or cannot be drawn in.
    TargetWindow(XConnection& connection, const HostOptions& options);
    ~TargetWindow();
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;

    static constexpr long eventsWatched = ExposureMask | StructureNotifyMask | VisibilityChangeMask;

    Window id() const { return _id; }
    Visual* visual() const { return _attributes.visual; }
    int depth() const { return _attributes.depth; }
    int width() const { return _attributes.width; }
    int height() const { return _attributes.height; }
    bool viewableAtStart() const { return _attributes.map_state == IsViewable; }
    const PixelFormat& format() const { return *_format; }
    // q, Escape or the window manager's close button, in a window of our own.
    bool asksToQuit(XEvent& event) const;

private:
    Window createOwnWindow(const HostOptions& options);
    XVisualInfo chooseOwnVisual(const HostOptions::VisualRequest& request);
    void readAttributes(const std::string& description);

    XConnection& _connection;
    bool _own = false;
    Window _id = None;
    Atom _deleteWindow = None;
    Colormap _colormap = None;
    XWindowAttributes _attributes {};
    std::optional<PixelFormat> _format;
};
