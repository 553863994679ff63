#pragma once

#include <windows.h>

// The dialog /c opens: the delay between frames, the scale and the seed, saved to the
// registry on OK. Return presses OK, Escape cancels. Modal to its owner, if any.
class SettingsDialog {
public:
    // Returns when the dialog closes; false when it could not be shown or saved.
    static bool run(HINSTANCE instance, HWND owner);
};
