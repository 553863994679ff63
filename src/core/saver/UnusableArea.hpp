#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>

// The screen saver cannot be built for an area of this size.
class UnusableArea : public std::runtime_error {
public:
    UnusableArea(double width, double height)
        : std::runtime_error("the screen saver cannot start in a " + size(width, height) + " area")
    {
    }

private:
    // printf rather than a stream: streams would triple the size of the web page's code.
    static std::string size(double width, double height)
    {
        char text[64];
        std::snprintf(text, sizeof text, "%gx%g", width, height);
        return text;
    }
};
