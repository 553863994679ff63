#pragma once

#include <sstream>
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
    static std::string size(double width, double height)
    {
        std::ostringstream text;
        text << width << "x" << height;
        return text.str();
    }
};
