// Loaded by Windows into the process whose thread the probe hooks: notes each
// system command that reaches DefWindowProc as a global atom ("syscommand
// 61808" for SC_MONITORPOWER), for the probe to find.
#include <windows.h>

#include <string>

extern "C" __declspec(dllexport) LRESULT CALLBACK noteSystemCommand(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_SYSCOMMAND)
        GlobalAddAtomA(("syscommand " + std::to_string(wParam & 0xFFF0)).c_str());
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
