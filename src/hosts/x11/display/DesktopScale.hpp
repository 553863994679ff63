#pragma once

#include <X11/Xlib.h>

#include <optional>

// How many pixels make a point on this desktop: the scale of its Xft.dpi
// setting (ScaleSetting::forDpi), read from the screen's resource database,
// where xrdb and desktop settings daemons put it.
class DesktopScale {
public:
    static double of(Display* display);
    // `resources` is a resource database as text (xrdb's), or null; nothing when it sets no Xft.dpi.
    static std::optional<double> forResources(const char* resources);
};
