#pragma once

#include "input/PointerWatch.hpp"
#include "settings/SaverSettings.hpp"
#include "win32/SaverWindow.hpp"

#include <windows.h>

#include <memory>
#include <vector>

// Runs the saver's windows: one per monitor for /s, one inside the given
// window for /p. Frames are due on the shared frame clock's absolute
// deadlines; between them the host sleeps in MsgWaitForMultipleObjects, with
// a 1 ms timer period while it animates, or until a window's new size or
// scale settles. A window that cannot be seen stops its animation until it can.
class SaverHost {
public:
    // Throw std::runtime_error with a one-line reason when a window cannot be made.
    static SaverHost fullScreen(HINSTANCE instance, const SaverSettings& settings);
    static SaverHost preview(HINSTANCE instance, HWND parent, const SaverSettings& settings);

    // Returns the exit status once the saver should end.
    int run();

private:
    SaverHost(const SaverSettings& settings, HWND parent);

    // Starts or stops each window's animation to match whether it can be seen; true when any animates.
    bool followVisibility();

    SaverSettings _settings;
    HWND _parent;
    std::unique_ptr<PointerWatch> _pointer;
    std::vector<std::unique_ptr<SaverWindow>> _windows;
};
