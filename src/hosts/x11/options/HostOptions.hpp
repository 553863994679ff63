#pragma once

#include "options/OptionError.hpp"
#include "options/ScaleSetting.hpp"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the command line (and XSCREENSAVER_WINDOW) ask for. Options take one
// or two dashes, and a value as the next argument or after '=', as every
// XScreenSaver hack's do; the hacks' standard options are all accepted, and
// where an option is given twice the last one counts.
class HostOptions {
public:
    enum class Action { Run, ShowHelp, ShowVersion };
    enum class Target { OwnWindow, RootWindow, GivenWindow };

    // -geometry [WxH][{+-}X{+-}Y], as XParseGeometry reads it: an offset
    // after '-' counts from the right or bottom edge, and may have a sign of
    // its own (+-20 is 20 pixels left of the screen's left edge).
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

    // What -visual takes, in the words the help, the manual and the README use.
    static constexpr const char* visualsExpected
        = "default, best, a visual class such as TrueColor, or a visual id (hex or decimal)";

    // `arguments` excludes the program name; `screensaverWindow` is the
    // variable's value or null. Throws OptionError.
    static HostOptions parse(std::vector<std::string> arguments, const char* screensaverWindow);
    // A window id in hex (0x…) or decimal; nothing for anything else.
    static std::optional<unsigned long> parseWindowId(std::string_view text);
    static std::optional<Geometry> parseGeometry(std::string_view text);

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
    // Points to pixels; auto (the default): from the desktop's Xft.dpi.
    ScaleSetting scale;
    Geometry geometry;
    VisualRequest visual;
};
