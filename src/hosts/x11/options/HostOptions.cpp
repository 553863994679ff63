#include "options/HostOptions.hpp"

#include <X11/X.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

namespace {

// X resource ids have 29 bits.
constexpr unsigned long largestResourceId = 0x1FFFFFFF;
// X's window sizes and positions are 16-bit.
constexpr int largestSide = 32767;

template <typename Number>
std::optional<Number> parseWhole(std::string_view text, int base)
{
    Number value {};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string lowercase(std::string text)
{
    std::ranges::transform(text, text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The words XScreenSaver's hacks take for -visual.
std::optional<HostOptions::VisualRequest> parseVisual(const std::string& text)
{
    using Kind = HostOptions::VisualRequest::Kind;
    std::string word = lowercase(text);
    if (word == "default" || word == "default-n" || word == "best" || word == "color" || word == "colour")
        return HostOptions::VisualRequest {};
    struct Named {
        const char* name;
        int visualClass;
    };
    for (auto [name, visualClass] : { Named { "truecolor", TrueColor }, Named { "directcolor", DirectColor },
             Named { "pseudocolor", PseudoColor }, Named { "staticcolor", StaticColor },
             Named { "grayscale", GrayScale }, Named { "greyscale", GrayScale }, Named { "gray", GrayScale },
             Named { "grey", GrayScale }, Named { "staticgray", StaticGray }, Named { "mono", StaticGray },
             Named { "monochrome", StaticGray } })
        if (word == name)
            return HostOptions::VisualRequest { Kind::Class, visualClass, 0 };
    if (auto id = HostOptions::parseWindowId(text))
        return HostOptions::VisualRequest { Kind::Id, 0, *id };
    return std::nullopt;
}

std::optional<double> parseScale(const std::string& text)
{
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)
        || value < HostOptions::smallestScale || value > HostOptions::largestScale)
        return std::nullopt;
    return value;
}

}

HostOptions HostOptions::parse(std::span<const char* const> arguments, const char* screensaverWindow)
{
    HostOptions options;
    bool rootRequested = false;
    std::optional<unsigned long> givenWindow;

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        std::string_view name = argument;
        if (name.starts_with("--"))
            name.remove_prefix(2);
        else if (name.starts_with("-"))
            name.remove_prefix(1);
        else
            throw OptionError("unexpected argument '" + std::string(argument) + "'");

        std::optional<std::string> attached;
        if (auto equals = name.find('='); equals != std::string_view::npos) {
            attached = std::string(name.substr(equals + 1));
            name = name.substr(0, equals);
        }
        auto value = [&]() -> std::string {
            if (attached)
                return *attached;
            if (i + 1 >= arguments.size())
                throw OptionError("option '" + std::string(argument) + "' needs a value");
            return arguments[++i];
        };
        auto noValue = [&] {
            if (attached)
                throw OptionError("option '-" + std::string(name) + "' takes no value");
        };

        if (name == "root") {
            noValue();
            rootRequested = true;
        } else if (name == "window") {
            noValue();
            rootRequested = false;
        } else if (name == "window-id") {
            std::string text = value();
            givenWindow = parseWindowId(text);
            if (!givenWindow)
                throw OptionError("bad window id '" + text + "' (give it in hex, 0x…, or in decimal)");
        } else if (name == "fps" || name == "no-fps") {
            noValue();
            options.showFps = name == "fps";
        } else if (name == "seed") {
            std::string text = value();
            options.seed = parseWhole<std::uint32_t>(text, 10);
            if (!options.seed)
                throw OptionError("bad seed '" + text + "' (a whole number from 0 to 4294967295)");
        } else if (name == "delay") {
            std::string text = value();
            auto microseconds = parseWhole<long>(text, 10);
            if (!microseconds || *microseconds < 0 || *microseconds > longestDelay.count())
                throw OptionError("bad delay '" + text + "' (microseconds between frames, 0 to "
                    + std::to_string(longestDelay.count()) + ")");
            options.delay = std::chrono::microseconds(*microseconds);
        } else if (name == "scale") {
            std::string text = value();
            if (text != "auto") {
                options.scale = parseScale(text);
                if (!options.scale)
                    throw OptionError("bad scale '" + text + "' (a number from 1 to 4, or auto)");
            } else {
                options.scale.reset();
            }
        } else if (name == "display") {
            options.displayName = value();
        } else if (name == "geometry") {
            std::string text = value();
            auto geometry = parseGeometry(text);
            if (!geometry)
                throw OptionError("bad geometry '" + text + "' (WIDTHxHEIGHT, +X+Y, or both, such as 800x600+10-10)");
            options.geometry = *geometry;
        } else if (name == "visual") {
            std::string text = value();
            auto visual = parseVisual(text);
            if (!visual)
                throw OptionError("bad visual '" + text + "' (default, TrueColor or a visual id)");
            options.visual = *visual;
        } else if (name == "sync" || name == "synchronous") {
            noValue();
            options.synchronous = true;
        } else if (name == "install" || name == "noinstall" || name == "mono") {
            // Colormaps and monochrome mean nothing to a TrueColor picture; the hacks' options are accepted all the same.
            noValue();
        } else if (name == "help") {
            noValue();
            options.action = Action::ShowHelp;
        } else if (name == "version") {
            noValue();
            options.action = Action::ShowVersion;
        } else {
            throw OptionError("unknown option '" + std::string(argument) + "'");
        }
    }

    // XScreenSaver's preview appends --window-id to a command that already has --root.
    if (givenWindow) {
        options.target = Target::GivenWindow;
        options.windowId = *givenWindow;
        options.preview = true;
    } else if (rootRequested && screensaverWindow) {
        auto window = parseWindowId(screensaverWindow);
        if (!window)
            throw OptionError("bad window id '" + std::string(screensaverWindow) + "' in XSCREENSAVER_WINDOW");
        options.target = Target::GivenWindow;
        options.windowId = *window;
    } else if (rootRequested) {
        options.target = Target::RootWindow;
    }
    return options;
}

std::optional<unsigned long> HostOptions::parseWindowId(const std::string& text)
{
    std::string_view digits = text;
    int base = 10;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        digits.remove_prefix(2);
        base = 16;
    }
    auto id = parseWhole<unsigned long>(digits, base);
    if (!id || *id == 0 || *id > largestResourceId)
        return std::nullopt;
    return id;
}

std::optional<HostOptions::Geometry> HostOptions::parseGeometry(const std::string& text)
{
    std::string_view rest = text;
    if (rest.starts_with("="))
        rest.remove_prefix(1);
    auto takeNumber = [&](int least) -> std::optional<int> {
        auto digits = std::min(rest.size(), static_cast<std::size_t>(std::ranges::find_if_not(rest, [](char c) {
            return c >= '0' && c <= '9';
        }) - rest.begin()));
        auto number = parseWhole<int>(rest.substr(0, digits), 10);
        rest.remove_prefix(digits);
        if (!number || *number < least || *number > largestSide)
            return std::nullopt;
        return number;
    };

    Geometry geometry;
    if (!rest.empty() && rest.front() != '+' && rest.front() != '-') {
        geometry.width = takeNumber(1);
        if (!geometry.width || !(rest.starts_with("x") || rest.starts_with("X")))
            return std::nullopt;
        rest.remove_prefix(1);
        geometry.height = takeNumber(1);
        if (!geometry.height)
            return std::nullopt;
    }
    if (!rest.empty()) {
        for (auto [offset, fromEnd] : { std::pair { &geometry.x, &geometry.xFromRight },
                 std::pair { &geometry.y, &geometry.yFromBottom } }) {
            if (rest.empty() || (rest.front() != '+' && rest.front() != '-'))
                return std::nullopt;
            *fromEnd = rest.front() == '-';
            rest.remove_prefix(1);
            *offset = takeNumber(0);
            if (!*offset)
                return std::nullopt;
        }
    }
    if (!rest.empty() || (!geometry.width && !geometry.x))
        return std::nullopt;
    return geometry;
}

const char* HostOptions::synopsis()
{
    return "vorpi [-window | -root | -window-id ID] [-delay USEC] [-scale S|auto] [-fps] [-seed S] [-geometry G]"
           " [-display D] [-visual V] [-help] [-version]";
}

const char* HostOptions::help()
{
    return "Drifting tentacled creatures for XScreenSaver, xsecurelock or a window of their own.\n"
           "\n"
           "  -window          draw in a window of its own (the default); q or Escape quits\n"
           "  -root            draw in the window named by XSCREENSAVER_WINDOW (hex or\n"
           "                   decimal), or on the root window when it is not set\n"
           "  -window-id ID    draw in the window ID (hex or decimal), made by another program\n"
           "  -delay USEC      at least USEC microseconds from one frame to the next (at\n"
           "                   most 30 frames a second whatever it says); the creatures\n"
           "                   move as far each frame, so a long delay slows them down\n"
           "  -scale S         pixels per point, 1 to 4, or auto (the default): from the\n"
           "                   desktop's Xft.dpi, 96 dpi to a point\n"
           "  -fps, -no-fps    show (or not) frames per second and the CPU load\n"
           "  -seed S          start from seed S (0..4294967295); fresh each run by default\n"
           "  -geometry G      size and place of its own window, such as 800x600+0+0\n"
           "  -display D       the X display to use instead of $DISPLAY\n"
           "  -visual V        its own window's visual: default, TrueColor or an id\n"
           "  -sync            talk to the X server synchronously (for debugging)\n"
           "  -help            show this help\n"
           "  -version         show the version\n"
           "\n"
           "Options take one dash or two. -install, -noinstall and -mono are accepted\n"
           "and change nothing. SIGTERM, SIGINT or SIGHUP end it.\n";
}
