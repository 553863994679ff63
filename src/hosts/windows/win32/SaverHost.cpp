#include "win32/SaverHost.hpp"

#include "loop/FrameClock.hpp"

#include <mmsystem.h>

#include <algorithm>
#include <chrono>
#include <random>

namespace {

// How often a host with nothing to animate looks again (a preview's tab may be shown without telling it).
constexpr auto idlePoll = std::chrono::milliseconds(250);

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list)
{
    MONITORINFO info {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info))
        reinterpret_cast<std::vector<RECT>*>(list)->push_back(info.rcMonitor);
    return TRUE;
}

// A 1 ms timer period for as long as it lives, so that waits end on time.
class FineTimerPeriod {
public:
    FineTimerPeriod() { timeBeginPeriod(1); }
    ~FineTimerPeriod() { timeEndPeriod(1); }
    FineTimerPeriod(const FineTimerPeriod&) = delete;
    FineTimerPeriod& operator=(const FineTimerPeriod&) = delete;
};

DWORD millisecondsUntil(FrameClock::Clock::time_point deadline)
{
    auto left = deadline - FrameClock::Clock::now();
    if (left <= FrameClock::Clock::duration::zero())
        return 0;
    return static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

}

SaverHost::SaverHost(const SaverSettings& settings, HWND parent)
    : _settings(settings)
    , _parent(parent)
{
}

SaverHost SaverHost::fullScreen(HINSTANCE instance, const SaverSettings& settings)
{
    SaverHost host(settings, nullptr);
    host._pointer = std::make_unique<PointerWatch>();
    std::vector<RECT> monitors;
    EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty())
        monitors.push_back({ 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) });
    // Each monitor's creatures go their own way: the seed setting gives the first monitor its seed, the next one more.
    std::uint32_t seed = settings.seed.value_or(std::random_device()());
    for (const RECT& monitor : monitors)
        host._windows.push_back(SaverWindow::fullScreen(instance, monitor, settings.scale, seed++, *host._pointer));
    ShowCursor(FALSE);
    return host;
}

SaverHost SaverHost::preview(HINSTANCE instance, HWND parent, const SaverSettings& settings)
{
    SaverHost host(settings, parent);
    std::uint32_t seed = settings.seed.value_or(std::random_device()());
    host._windows.push_back(SaverWindow::preview(instance, parent, settings.scale, seed));
    return host;
}

int SaverHost::run()
{
    FineTimerPeriod timerPeriod;
    FrameClock clock(_windows.front()->session().interval(),
        std::chrono::microseconds(_settings.delayMicroseconds.value_or(0)));
    bool animating = false;
    while (true) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return static_cast<int>(message.wParam);
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (_parent && !IsWindow(_parent))
            return 0;
        bool wasAnimating = animating;
        animating = followVisibility();
        auto now = FrameClock::Clock::now();
        for (auto& window : _windows)
            window->reshapeIfSettled(now);
        if (animating && !wasAnimating)
            clock.start(now);
        if (animating && clock.isDue(now)) {
            for (auto& window : _windows)
                if (window->session().isAnimating())
                    window->drawFrame();
            clock.frameDone(FrameClock::Clock::now());
        }
        auto wake = animating ? clock.nextDeadline() : now + idlePoll;
        for (auto& window : _windows)
            wake = std::min(wake, window->reshapeDue().value_or(wake));
        MsgWaitForMultipleObjects(0, nullptr, FALSE, millisecondsUntil(wake), QS_ALLINPUT);
    }
}

bool SaverHost::followVisibility()
{
    bool any = false;
    for (auto& window : _windows) {
        bool showing = window->isShowing();
        if (showing && !window->session().isAnimating())
            window->session().start();
        else if (!showing && window->session().isAnimating())
            window->session().stop();
        any = any || showing;
    }
    return any;
}
