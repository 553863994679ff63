// Looks at a running vorpi.scr from another process, as Windows' Screen Saver
// Settings would. Wine 8 does not show a child window drawn by another
// process, so the preview is checked by the window tree and by the frame
// count the saver keeps on its window, not by its pixels.
//
//   saver-probe preview SCR   parent window, SCR /p HWND as a child of it,
//                             hidden and shown, then the parent destroyed
//   saver-probe rate MS       frames per second of the full-screen saver over MS
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

constexpr const wchar_t* framesProperty = L"vorpi.frames";

// Handles this thread's messages for `milliseconds`.
void pumpFor(DWORD milliseconds)
{
    DWORD end = GetTickCount() + milliseconds;
    for (DWORD now = GetTickCount(); static_cast<LONG>(end - now) > 0; now = GetTickCount()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

long long framesOf(HWND window)
{
    return static_cast<long long>(reinterpret_cast<std::uintptr_t>(GetPropW(window, framesProperty)));
}

int fail(const char* what)
{
    std::printf("FAIL %s\n", what);
    return 1;
}

int checkPreview(const wchar_t* saver)
{
    WNDCLASSW windowClass {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"probe parent";
    RegisterClassW(&windowClass);
    HWND parent = CreateWindowExW(0, windowClass.lpszClassName, L"probe parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
        10, 10, 340, 260, nullptr, nullptr, windowClass.hInstance, nullptr);
    RECT parentClient;
    GetClientRect(parent, &parentClient);

    std::wstring command = std::wstring(L"\"") + saver + L"\" /p " + std::to_wstring(reinterpret_cast<std::uintptr_t>(parent));
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return fail("cannot start the saver");

    HWND child = nullptr;
    for (int tries = 0; tries < 200 && !child; ++tries) {
        pumpFor(100);
        child = FindWindowExW(parent, nullptr, L"vorpi", nullptr);
    }
    if (!child)
        return fail("no child window of class vorpi in the parent");
    DWORD owner = 0;
    GetWindowThreadProcessId(child, &owner);
    RECT childClient;
    GetClientRect(child, &childClient);
    std::printf("child of the parent, from the saver's process: %s; client %ldx%ld, parent's %ldx%ld\n",
        owner == process.dwProcessId ? "yes" : "no", childClient.right, childClient.bottom, parentClient.right,
        parentClient.bottom);
    if (owner != process.dwProcessId || childClient.right != parentClient.right
        || childClient.bottom != parentClient.bottom)
        return fail("the child is not the saver's, at the parent's client size");

    long long before = framesOf(child);
    pumpFor(1000);
    long long shown = framesOf(child) - before;
    ShowWindow(parent, SW_HIDE);
    pumpFor(600);
    before = framesOf(child);
    pumpFor(1000);
    long long hidden = framesOf(child) - before;
    ShowWindow(parent, SW_SHOW);
    pumpFor(600);
    before = framesOf(child);
    pumpFor(1000);
    long long shownAgain = framesOf(child) - before;
    std::printf("frames in a second: shown %lld, hidden %lld, shown again %lld\n", shown, hidden, shownAgain);
    if (shown < 10 || hidden != 0 || shownAgain < 10)
        return fail("the preview does not animate only while it can be seen");

    DWORD destroying = GetTickCount();
    DestroyWindow(parent);
    DWORD destroyed = GetTickCount();
    DWORD waited = WAIT_TIMEOUT;
    for (int tries = 0; tries < 50 && waited == WAIT_TIMEOUT; ++tries) {
        pumpFor(20);
        waited = WaitForSingleObject(process.hProcess, 0);
    }
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    std::printf("destroying the parent took %lu ms; after it the saver %s in %lu ms, status %lu\n",
        destroyed - destroying, waited == WAIT_OBJECT_0 ? "ended" : "still ran", GetTickCount() - destroyed, status);
    if (waited != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        return fail("the saver outlived its parent by a second");
    }
    return status == 0 ? 0 : fail("the saver ended with a non-zero status");
}

int measureRate(DWORD milliseconds)
{
    HWND saver = FindWindowW(L"vorpi", nullptr);
    if (!saver)
        return fail("no saver window");
    long long before = framesOf(saver);
    Sleep(milliseconds);
    std::printf("%.1f\n", (framesOf(saver) - before) * 1000.0 / milliseconds);
    return 0;
}

}

int wmain(int argc, wchar_t** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc == 3 && std::wstring(argv[1]) == L"preview")
        return checkPreview(argv[2]);
    if (argc == 3 && std::wstring(argv[1]) == L"rate")
        return measureRate(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
    std::fprintf(stderr, "usage: saver-probe preview SCR | rate MS\n");
    return 2;
}
