#include "options/SaverCommand.hpp"

#include "options/OptionError.hpp"
#include "options/WholeNumber.hpp"

#include <cctype>
#include <limits>
#include <optional>

namespace {

std::uintptr_t requireHandle(const std::string& text, char option)
{
    auto handle = wholeNumber<std::uintptr_t>(text, 1, std::numeric_limits<std::uintptr_t>::max());
    if (!handle)
        throw OptionError(std::string("/") + option + " needs a window handle in decimal, not '" + text + "'");
    return *handle;
}

}

SaverCommand SaverCommand::parse(std::span<const std::string> arguments)
{
    SaverCommand command;
    if (arguments.empty())
        return command;
    const std::string& first = arguments[0];
    if (first.size() < 2 || (first[0] != '/' && first[0] != '-'))
        throw OptionError("unknown argument '" + first + "'; use /s, /p HWND or /c");
    char option = static_cast<char>(std::tolower(static_cast<unsigned char>(first[1])));
    // "/p:123" carries its handle; "/p 123" has it in the next argument.
    std::optional<std::string> attached;
    if (first.size() > 2) {
        if (first[2] != ':')
            throw OptionError("unknown argument '" + first + "'; use /s, /p HWND or /c");
        attached = first.substr(3);
    }
    std::size_t used = 1;
    switch (option) {
    case 's':
        if (attached)
            throw OptionError("/s takes no window handle");
        command.mode = Mode::FullScreen;
        break;
    case 'p':
        command.mode = Mode::Preview;
        if (!attached && arguments.size() < 2)
            throw OptionError("/p needs the handle of the window to draw in");
        command.window = requireHandle(attached ? *attached : arguments[used++], 'p');
        break;
    case 'c':
        command.mode = Mode::Settings;
        if (attached)
            command.window = requireHandle(*attached, 'c');
        break;
    default:
        throw OptionError("unknown argument '" + first + "'; use /s, /p HWND or /c");
    }
    if (arguments.size() > used)
        throw OptionError("unexpected argument '" + arguments[used] + "'");
    return command;
}
