// Looks at a running vorpi.scr from another process, as Windows' Screen Saver
// Settings would. Wine 8 does not show a child window drawn by another
// process, so the preview is checked by the window tree and by the frame
// count the saver keeps on its window, not by its pixels.
//
//   saver-probe preview SCR     parent window, SCR /p HWND as a child of it,
//                               hidden and shown, then the parent destroyed
//   saver-probe resize W H      the full-screen saver's window made W x H after its first frame
//   saver-probe dismiss         prints the text of the saver's message box and presses OK
//   saver-probe syscommands DLL whether a monitor power request and a screen saver
//                               start reach the full-screen saver's DefWindowProc
#include <windows.h>

#include <process.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

// Handles this thread's messages for `milliseconds`.
void pumpFor(DWORD milliseconds)
{
    DWORD end = GetTickCount() + milliseconds;
    for (DWORD now = GetTickCount(); static_cast<LONG>(end - now) > 0; now = GetTickCount()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
}

// The window `find` gives within 20 s, or none.
template <typename Find>
HWND waitFor(Find find)
{
    HWND window = nullptr;
    for (int tries = 0; tries < 200 && !(window = find()); ++tries)
        pumpFor(100);
    return window;
}

long long framesOf(HWND window)
{
    return static_cast<long long>(reinterpret_cast<std::uintptr_t>(GetPropW(window, L"vorpi.frames")));
}

// The full-screen saver's window once it has shown `leastFrames`, within 20 s; or none.
HWND fullScreenSaver(long long leastFrames = 1)
{
    return waitFor([=]() -> HWND {
        HWND saver = FindWindowW(L"vorpi", nullptr);
        return saver && framesOf(saver) >= leastFrames ? saver : nullptr;
    });
}

int fail(const char* what)
{
    std::printf("FAIL %s\n", what);
    return 1;
}

int checkPreview(const wchar_t* saver)
{
    HWND parent = CreateWindowExW(0, L"STATIC", L"probe parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 340, 260,
        nullptr, nullptr, nullptr, nullptr);
    auto process = reinterpret_cast<HANDLE>(
        _wspawnl(_P_NOWAIT, saver, saver, L"/p", std::to_wstring(reinterpret_cast<std::uintptr_t>(parent)).c_str(), nullptr));
    HWND child = waitFor([&] { return FindWindowExW(parent, nullptr, L"vorpi", nullptr); });
    DWORD owner = 0;
    RECT parentClient {}, childClient {};
    GetWindowThreadProcessId(child, &owner);
    GetClientRect(parent, &parentClient);
    GetClientRect(child, &childClient);
    if (!child || owner != GetProcessId(process) || !EqualRect(&childClient, &parentClient))
        return fail("no child window of the saver's at the parent's client size");

    long long frames[3];
    for (int step = 0; step < 3; ++step) {
        ShowWindow(parent, step == 1 ? SW_HIDE : SW_SHOW);
        pumpFor(600);
        long long before = framesOf(child);
        pumpFor(1000);
        frames[step] = framesOf(child) - before;
    }
    std::printf("frames in a second: shown %lld, hidden %lld, shown again %lld\n", frames[0], frames[1], frames[2]);
    // The view's 30 a second, give or take what a busy machine costs.
    if (frames[0] < 24 || frames[0] > 36 || frames[1] != 0 || frames[2] < 10)
        return fail("the preview does not animate at 30 frames a second only while it can be seen");

    DestroyWindow(parent);
    for (int tries = 0; tries < 50 && WaitForSingleObject(process, 0) == WAIT_TIMEOUT; ++tries)
        pumpFor(20);
    DWORD status = STILL_ACTIVE;
    GetExitCodeProcess(process, &status);
    std::printf("a second after its parent went, the saver's status: %lu\n", status);
    return status == 0 ? 0 : fail("the saver did not end with its parent, with status 0");
}

int resizeAfterFirstFrame(int width, int height)
{
    HWND saver = fullScreenSaver();
    if (!saver || framesOf(saver) != 1)
        return fail("no saver window showing its first frame");
    SetWindowPos(saver, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    return fullScreenSaver(2) ? 0 : fail("no second frame");
}

int dismissMessage()
{
    HWND box = waitFor([] { return FindWindowW(L"#32770", L"vorpi"); });
    if (!box)
        return fail("no message box");
    wchar_t text[256] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 256);
    std::printf("%ls\n", text);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return 0;
}

// Hooks the saver's thread with the library's CBT hook, which DefWindowProc calls for each system command.
int sendSystemCommands(const wchar_t* hookLibrary)
{
    HWND saver = fullScreenSaver();
    HMODULE library = LoadLibraryW(hookLibrary);
    auto note = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(library, "noteSystemCommand")));
    HHOOK hook = saver && note ? SetWindowsHookExW(WH_CBT, note, library, GetWindowThreadProcessId(saver, nullptr)) : nullptr;
    if (!hook)
        return fail("cannot hook the saver's thread");
    SendMessageW(saver, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    SendMessageW(saver, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    UnhookWindowsHookEx(hook);
    auto reached = [](WPARAM command) { return GlobalFindAtomA(("syscommand " + std::to_string(command)).c_str()) != 0; };
    bool power = reached(SC_MONITORPOWER), screenSaver = reached(SC_SCREENSAVE);
    std::printf("to DefWindowProc: monitor power %s, screen saver %s\n", power ? "yes" : "no", screenSaver ? "yes" : "no");
    return power && !screenSaver ? 0 : fail("only the screen saver start is to be held back");
}

}

int wmain(int argc, wchar_t** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"preview" && argc == 3)
        return checkPreview(argv[2]);
    if (mode == L"resize" && argc == 4)
        return resizeAfterFirstFrame(std::wcstol(argv[2], nullptr, 10), std::wcstol(argv[3], nullptr, 10));
    if (mode == L"dismiss" && argc == 2)
        return dismissMessage();
    if (mode == L"syscommands" && argc == 3)
        return sendSystemCommands(argv[2]);
    std::fprintf(stderr, "usage: saver-probe preview SCR | resize W H | dismiss | syscommands DLL\n");
    return 2;
}
