// vorpi.scr: the screen saver as Windows runs it, from its Screen Saver
// Settings (/c, /p HWND) and when the screen saver starts (/s).
#include "options/OptionError.hpp"
#include "options/SaverCommand.hpp"
#include "win32/AsciiText.hpp"
#include "win32/RegistrySettings.hpp"
#include "win32/SaverHost.hpp"
#include "win32/SettingsDialog.hpp"

#include <windows.h>

#include <shellapi.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<std::string> arguments()
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> result;
    for (int i = 1; i < count; ++i)
        result.push_back(narrowed(wide[i]));
    LocalFree(wide);
    return result;
}

// A program without a console says what went wrong in a message box; returns `status`.
int complain(const std::string& what, int status)
{
    MessageBoxW(nullptr, widened(what).c_str(), L"vorpi", MB_OK | MB_ICONERROR);
    return status;
}

}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    try {
        SaverCommand command = SaverCommand::parse(arguments());
        auto window = reinterpret_cast<HWND>(command.window);
        switch (command.mode) {
        case SaverCommand::Mode::Settings:
            if (window && !IsWindow(window))
                throw std::runtime_error("there is no window " + std::to_string(command.window) + " to open the settings over");
            return SettingsDialog::run(instance, window) ? 0 : 1;
        case SaverCommand::Mode::FullScreen:
            return SaverHost::fullScreen(instance, RegistrySettings::load()).run();
        case SaverCommand::Mode::Preview:
            return SaverHost::preview(instance, window, RegistrySettings::load()).run();
        }
    } catch (const OptionError& error) {
        return complain(error.what(), 2);
    } catch (const std::exception& error) {
        return complain(error.what(), 1);
    }
    return 0;
}
