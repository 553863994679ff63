#include "options/HostOptions.hpp"

#include <charconv>
#include <limits>
#include <string_view>

namespace {

// X resource ids have 29 bits.
constexpr unsigned long largestResourceId = 0x1FFFFFFF;

template <typename Number>
std::optional<Number> parseWhole(std::string_view text, int base)
{
    Number value {};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
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
        } else if (name == "fps") {
            noValue();
            options.showFps = true;
        } else if (name == "seed") {
            std::string text = value();
            options.seed = parseWhole<std::uint32_t>(text, 10);
            if (!options.seed)
                throw OptionError("bad seed '" + text + "' (a whole number from 0 to 4294967295)");
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

const char* HostOptions::synopsis()
{
    return "vorpi [-window | -root | -window-id ID] [-fps] [-seed S] [-help] [-version]";
}

const char* HostOptions::help()
{
    return "Drifting tentacled creatures for XScreenSaver, xsecurelock or a window of their own.\n"
           "\n"
           "  -window          draw in a window of its own (the default); q or Escape quits\n"
           "  -root            draw in the window named by XSCREENSAVER_WINDOW (hex or\n"
           "                   decimal), or on the root window when it is not set\n"
           "  -window-id ID    draw in the window ID (hex or decimal), made by another program\n"
           "  -fps             show frames per second and the CPU load\n"
           "  -seed S          start from seed S (0..4294967295); fresh each run by default\n"
           "  -help            show this help\n"
           "  -version         show the version\n"
           "\n"
           "Options take one dash or two. SIGTERM, SIGINT or SIGHUP end it.\n";
}
