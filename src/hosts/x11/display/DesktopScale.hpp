#pragma once

#include <X11/Xlib.h>

#include <optional>

// How many pixels make a point on this desktop: its Xft.dpi setting (from the
// screen's resource database, where xrdb and desktop settings daemons put it)
// over the 96 dpi of a point, rounded to the nearest half and kept within 1 to 4.
class DesktopScale {
public:
    static double of(Display* display);
    // `resources` is a resource database as text (xrdb's), or null; nothing when it sets no Xft.dpi.
    static std::optional<double> forResources(const char* resources);
    static double forDpi(double dpi);
};
