#include "options/HostOptions.hpp"

#include "options/DelaySetting.hpp"
#include "options/OptionReader.hpp"
#include "options/SeedSetting.hpp"

#include <X11/X.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>

namespace {

// X resource ids have 29 bits.
constexpr unsigned long largestResourceId = 0x1FFFFFFF;
// X's window sizes and positions are 16-bit.
constexpr int largestXNumber = 32767;
constexpr const char* windowIdExpected = "a window id in hex (0x...) or decimal";

template <typename Number>
std::optional<Number> parseWhole(std::string_view text, int base)
{
    Number value {};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The words XScreenSaver's hacks take for -visual, in any case.
std::optional<HostOptions::VisualRequest> parseVisual(std::string_view text)
{
    using Kind = HostOptions::VisualRequest::Kind;
    std::string word(text);
    std::ranges::transform(word, word.begin(), [](unsigned char c) { return std::tolower(c); });
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

}

HostOptions HostOptions::parse(std::vector<std::string> arguments, const char* screensaverWindow)
{
    HostOptions options;
    OptionReader reader(std::move(arguments), OptionReader::Dashes::OneOrTwo);
    bool rootRequested = false;
    std::optional<unsigned long> givenWindow;

    while (std::optional<std::string> name = reader.next()) {
        if (*name == "root" || *name == "window") {
            reader.noValue();
            rootRequested = *name == "root";
        } else if (*name == "window-id") {
            givenWindow = reader.value(parseWindowId, windowIdExpected);
        } else if (*name == "fps" || *name == "no-fps") {
            reader.noValue();
            options.showFps = *name == "fps";
        } else if (*name == "seed") {
            options.seed = reader.value(SeedSetting::parse, SeedSetting::expected);
        } else if (*name == "delay") {
            options.delay = reader.value(DelaySetting::parse, DelaySetting::expected);
        } else if (*name == "scale") {
            options.scale = reader.value(ScaleSetting::parse, ScaleSetting::expected);
        } else if (*name == "display") {
            options.displayName = reader.value();
        } else if (*name == "geometry") {
            options.geometry = reader.value(parseGeometry, "WIDTHxHEIGHT, {+-}X{+-}Y or both, such as 800x600+10-10");
        } else if (*name == "visual") {
            options.visual = reader.value(parseVisual, visualsExpected);
        } else if (*name == "sync" || *name == "synchronous") {
            reader.noValue();
            options.synchronous = true;
        } else if (*name == "install" || *name == "noinstall" || *name == "mono") {
            // Colormaps and monochrome mean nothing to a TrueColor picture; the hacks' options are accepted all the same.
            reader.noValue();
        } else if (*name == "help" || *name == "version") {
            reader.noValue();
            options.action = *name == "help" ? Action::ShowHelp : Action::ShowVersion;
        } else {
            reader.unknown();
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
            throw OptionError("invalid XSCREENSAVER_WINDOW " + OptionReader::quoted(screensaverWindow) + ": expected "
                + windowIdExpected);
        options.target = Target::GivenWindow;
        options.windowId = *window;
    } else if (rootRequested) {
        options.target = Target::RootWindow;
    }
    return options;
}

std::optional<unsigned long> HostOptions::parseWindowId(std::string_view text)
{
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    auto id = parseWhole<unsigned long>(text, base);
    if (!id || *id == 0 || *id > largestResourceId)
        return std::nullopt;
    return id;
}

std::optional<HostOptions::Geometry> HostOptions::parseGeometry(std::string_view text)
{
    if (text.starts_with("="))
        text.remove_prefix(1);
    auto takeNumber = [&](int least, bool mayHaveSign) -> std::optional<int> {
        bool negative = mayHaveSign && text.starts_with("-");
        if (mayHaveSign && (text.starts_with("-") || text.starts_with("+")))
            text.remove_prefix(1);
        auto number = parseWhole<int>(text.substr(0, text.find_first_not_of("0123456789")), 10);
        text.remove_prefix(std::min(text.find_first_not_of("0123456789"), text.size()));
        if (!number || *number < least || *number > largestXNumber)
            return std::nullopt;
        return negative ? -*number : *number;
    };

    Geometry geometry;
    if (!text.empty() && text.front() != '+' && text.front() != '-') {
        geometry.width = takeNumber(1, false);
        if (!geometry.width || !(text.starts_with("x") || text.starts_with("X")))
            return std::nullopt;
        text.remove_prefix(1);
        geometry.height = takeNumber(1, false);
        if (!geometry.height)
            return std::nullopt;
    }
    if (!text.empty()) {
        for (auto [offset, fromEnd] : { std::pair { &geometry.x, &geometry.xFromRight },
                 std::pair { &geometry.y, &geometry.yFromBottom } }) {
            if (!text.starts_with("+") && !text.starts_with("-"))
                return std::nullopt;
            *fromEnd = text.front() == '-';
            text.remove_prefix(1);
            *offset = takeNumber(0, true);
            if (!*offset)
                return std::nullopt;
        }
    }
    if (!text.empty() || (!geometry.width && !geometry.x))
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
           "  -scale S         pixels per point, a number from 1 to 4 such as 2 or 1.5, or\n"
           "                   auto (the default): the desktop's Xft.dpi over 96, to the\n"
           "                   nearest half\n"
           "  -fps, -no-fps    show (or not) frames per second and the CPU load\n"
           "  -seed S          start from seed S (0..4294967295); fresh each run by default\n"
           "  -geometry G      size and place of its own window, such as 800x600+0+0\n"
           "  -display D       the X display to use instead of $DISPLAY\n"
           "  -visual V        its own window's visual: default, best, a visual class such\n"
           "                   as TrueColor, or a visual id (hex or decimal)\n"
           "  -sync            talk to the X server synchronously (for debugging)\n"
           "  -help            show this help\n"
           "  -version         show the version\n"
           "\n"
           "Options take one dash or two. -install, -noinstall and -mono are accepted\n"
           "and change nothing. SIGTERM, SIGINT or SIGHUP end it.\n";
}
