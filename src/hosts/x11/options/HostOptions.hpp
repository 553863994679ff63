#pragma once

#include "options/OptionError.hpp"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

// What the command line (and XSCREENSAVER_WINDOW) ask for. Options take one
// or two dashes, and a value as the next argument or after '=', as every
// XScreenSaver hack's do; the hacks' standard options are all accepted.
class HostOptions {
public:
    enum class Action { Run, ShowHelp, ShowVersion };
    enum class Target { OwnWindow, RootWindow, GivenWindow };

    // -geometry [WxH][{+-}X{+-}Y], as XParseGeometry reads it; a negative
    // offset counts from the right or bottom edge.
    struct Geometry {
        std::optional<int> width;
        std::optional<int> height;
        std::optional<int> x;
        std::optional<int> y;
        bool xFromRight = false;
        bool yFromBottom = false;
    };

    // -visual: the screen's choice, a visual class (X's TrueColor etc.), or one visual by id.
    struct VisualRequest {
        enum class Kind { Default, Class, Id };
        Kind kind = Kind::Default;
        int visualClass = 0;
        unsigned long id = 0;
    };

    static constexpr double smallestScale = 1;
    static constexpr double largestScale = 4;
    static constexpr std::chrono::microseconds longestDelay = std::chrono::seconds(10);

    // `arguments` excludes the program name; `screensaverWindow` is the
    // variable's value or null. Throws OptionError.
    static HostOptions parse(std::span<const char* const> arguments, const char* screensaverWindow);
    // A window id in hex (0x…) or decimal; nothing for anything else.
    static std::optional<unsigned long> parseWindowId(const std::string& text);
    static std::optional<Geometry> parseGeometry(const std::string& text);

    static const char* synopsis();
    static const char* help();

    Action action = Action::Run;
    Target target = Target::OwnWindow;
    unsigned long windowId = 0;
    bool preview = false;
    bool showFps = false;
    std::optional<std::uint32_t> seed;
    // Null: $DISPLAY.
    std::optional<std::string> displayName;
    bool synchronous = false;
    // The least time from one frame to the next; the view's own interval when shorter.
    std::chrono::microseconds delay { 0 };
    // Points to pixels; unset: from the desktop's Xft.dpi.
    std::optional<double> scale;
    Geometry geometry;
    VisualRequest visual;
};
