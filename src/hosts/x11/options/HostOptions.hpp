#pragma once

#include "options/OptionError.hpp"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

// What the command line (and XSCREENSAVER_WINDOW) ask for. Options take one
// or two dashes, as every XScreenSaver hack's do.
class HostOptions {
public:
    enum class Action { Run, ShowHelp, ShowVersion };
    enum class Target { OwnWindow, RootWindow, GivenWindow };

    // `arguments` excludes the program name; `screensaverWindow` is the
    // variable's value or null. Throws OptionError.
    static HostOptions parse(std::span<const char* const> arguments, const char* screensaverWindow);
    // A window id in hex (0x…) or decimal; nothing for anything else.
    static std::optional<unsigned long> parseWindowId(const std::string& text);

    static const char* synopsis();
    static const char* help();

    Action action = Action::Run;
    Target target = Target::OwnWindow;
    unsigned long windowId = 0;
    bool preview = false;
    bool showFps = false;
    std::optional<std::uint32_t> seed;
};
