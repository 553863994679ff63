#include "display/DesktopScale.hpp"

#include "options/ScaleSetting.hpp"

#include <X11/Xresource.h>

#include <cstdlib>

double DesktopScale::of(Display* display)
{
    // The screen's own resources come before the display-wide ones, as Xft reads them.
    std::optional<double> scale;
    if (char* screenResources = XScreenResourceString(DefaultScreenOfDisplay(display))) {
        scale = forResources(screenResources);
        XFree(screenResources);
    }
    if (!scale)
        scale = forResources(XResourceManagerString(display));
    return scale.value_or(1);
}

std::optional<double> DesktopScale::forResources(const char* resources)
{
    if (!resources)
        return std::nullopt;
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    if (!database)
        return std::nullopt;
    char* type = nullptr;
    XrmValue value {};
    std::optional<double> scale;
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
        char* end = nullptr;
        double dpi = std::strtod(value.addr, &end);
        if (end != value.addr)
            scale = ScaleSetting::forDpi(dpi);
    }
    XrmDestroyDatabase(database);
    return scale;
}
