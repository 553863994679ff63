#pragma once

#include <cstdint>
#include <span>
#include <string>

// What Windows asks of a screen saver on its command line: /s, /p HWND (or
// /p:HWND), /c, /c:HWND or nothing. Letters in either case, after / or -.
class SaverCommand {
public:
    enum class Mode { Settings, FullScreen, Preview };

    // A command line this saver cannot follow; the message says why.
    // `arguments` excludes the program name. Throws OptionError.
    static SaverCommand parse(std::span<const std::string> arguments);

    Mode mode = Mode::Settings;
    // The preview's parent, or the settings dialog's owner (0: none).
    std::uintptr_t window = 0;
};
