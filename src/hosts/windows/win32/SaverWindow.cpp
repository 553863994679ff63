#include "win32/SaverWindow.hpp"

#include "DefaultBackend.hpp"
#include "settings/SaverSettings.hpp"

#include <stdexcept>
#include <string>

namespace {

constexpr const wchar_t* className = L"vorpi";
// Lets the preview's owner, and the tests, see that the saver animates.
constexpr const wchar_t* framesProperty = L"vorpi.frames";

// The window's monitor's dots per inch, as a per-monitor DPI aware process sees them.
unsigned dpiOf(HWND window)
{
    using GetDpiForWindow = UINT(WINAPI*)(HWND);
    auto getDpi = reinterpret_cast<GetDpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpi)
        return getDpi(window);
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return static_cast<unsigned>(dpi);
}

}

SaverWindow::SaverWindow(PointerWatch* pointer)
    : _pointer(pointer)
{
}

std::unique_ptr<SaverWindow> SaverWindow::fullScreen(
    HINSTANCE instance, const RECT& monitor, std::optional<double> scale, std::uint32_t seed, PointerWatch& pointer)
{
    std::unique_ptr<SaverWindow> window(new SaverWindow(&pointer));
    window->create(instance, nullptr, monitor, scale, seed);
    return window;
}

std::unique_ptr<SaverWindow> SaverWindow::preview(
    HINSTANCE instance, HWND parent, std::optional<double> scale, std::uint32_t seed)
{
    RECT client;
    if (!GetClientRect(parent, &client))
        throw std::runtime_error("no window with handle " + std::to_string(reinterpret_cast<std::uintptr_t>(parent)));
    std::unique_ptr<SaverWindow> window(new SaverWindow(nullptr));
    window->create(instance, parent, client, scale, seed);
    return window;
}

SaverWindow::~SaverWindow()
{
    // A full-screen window goes with the process: destroying a topmost window can stall.
    if (_window && !isFullScreen() && IsWindow(_window)) {
        SetWindowLongPtrW(_window, GWLP_USERDATA, 0);
        RemovePropW(_window, framesProperty);
        DestroyWindow(_window);
    }
}

void SaverWindow::registerClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass {};
    if (GetClassInfoExW(instance, className, &windowClass))
        return;
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = className;
    if (!RegisterClassExW(&windowClass))
        throw std::runtime_error("cannot register the window class");
}

void SaverWindow::create(
    HINSTANCE instance, HWND parent, const RECT& area, std::optional<double> scale, std::uint32_t seed)
{
    registerClass(instance);
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    DWORD style = parent ? WS_CHILD | WS_CLIPSIBLINGS : WS_POPUP;
    DWORD extendedStyle = parent ? 0 : WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    _window = CreateWindowExW(extendedStyle, className, L"vorpi", style, area.left, area.top, width, height, parent,
        nullptr, instance, this);
    if (!_window)
        throw std::runtime_error("cannot create the saver's window");
    _image.emplace(width, height);
    _canvas = DefaultBackend::makeCanvas(_image->view());
    double pixelsPerPoint = scale ? *scale : SaverSettings::scaleForDpi(dpiOf(_window));
    _surface.emplace(*_canvas, pixelsPerPoint);
    CGSize points { width / pixelsPerPoint, height / pixelsPerPoint };
    _session = std::make_unique<ScreenSaverSession>(points, parent != nullptr, RandomSources::seeded(seed));
    ShowWindow(_window, SW_SHOW);
    if (!parent)
        SetForegroundWindow(_window);
}

bool SaverWindow::isShowing() const
{
    return IsWindowVisible(_window) && !IsIconic(_window);
}

void SaverWindow::drawFrame()
{
    _session->frame(*_surface);
    HDC dc = GetDC(_window);
    for (PixelRect area : _canvas->takeTouchedAreas())
        _image->present(dc, area);
    ReleaseDC(_window, dc);
    SetPropW(_window, framesProperty, reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(_session->framesRun())));
}

void SaverWindow::paint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(_window, &paint);
    if (_session) {
        const RECT& dirty = paint.rcPaint;
        double scale = _surface->scale();
        _session->redraw(*_surface,
            { { dirty.left / scale, dirty.top / scale },
                { (dirty.right - dirty.left) / scale, (dirty.bottom - dirty.top) / scale } });
        _canvas->image();
        _image->present(dc, { dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top });
    }
    EndPaint(_window, &paint);
}

LRESULT CALLBACK SaverWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<SaverWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (auto* self = reinterpret_cast<SaverWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
        return self->handleMessage(message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT SaverWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_DESTROY:
        // The preview's parent went away, taking this window with it.
        PostQuitMessage(0);
        return 0;
    }
    if (isFullScreen()) {
        switch (message) {
        case WM_SETCURSOR:
            SetCursor(nullptr);
            return TRUE;
        case WM_MOUSEMOVE: {
            POINT at { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
            ClientToScreen(_window, &at);
            if (_pointer->movedTo(at.x, at.y))
                PostQuitMessage(0);
            return 0;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
        case WM_MOUSEWHEEL:
        case WM_CLOSE:
            PostQuitMessage(0);
            return 0;
        case WM_ACTIVATEAPP:
            // Only a loss after the saver had the focus: without a window manager it may never get it.
            if (wParam)
                _wasActive = true;
            else if (_wasActive)
                PostQuitMessage(0);
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER)
                return 0;
            break;
        }
    }
    return DefWindowProcW(_window, message, wParam, lParam);
}
