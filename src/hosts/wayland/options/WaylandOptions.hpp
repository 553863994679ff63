#pragma once

#include "options/OptionError.hpp"
#include "options/ScaleSetting.hpp"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What vorpi-wayland's command line asks for. Options take two dashes, and a
// value after '=' or as the next argument.
class WaylandOptions {
public:
    enum class Action { Run, ShowHelp, ShowVersion };

    // `arguments` excludes the program name. Throws OptionError.
    static WaylandOptions parse(std::vector<std::string> arguments);

    static const char* synopsis();
    static const char* help();

    Action action = Action::Run;
    // On the desktop's background layer, behind everything, ended only by a signal.
    bool background = false;
    bool showFps = false;
    // The first output's seed; the next output gets one more, and so on.
    std::optional<std::uint32_t> seed;
    // The least time from one frame to the next; the view's own interval when shorter.
    std::chrono::microseconds delay { 0 };
    // Pixels per point; auto: each output's own scale.
    ScaleSetting scale;
};
