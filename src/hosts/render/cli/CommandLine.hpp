#pragma once

#include "cli/RenderOptions.hpp"

#include <string>
#include <vector>

// Reads the renderer's command line. Every value is checked here, before any
// work starts; a bad one throws OptionError with a one-line reason.
class CommandLine {
public:
    // `arguments` leaves out the program name. Options take their value as the
    // next argument or after '=' (--size 640x360, --size=640x360).
    static RenderOptions parse(const std::vector<std::string>& arguments);

    // The text of --help.
    static std::string usage();
};
