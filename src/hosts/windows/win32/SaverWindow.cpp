#include "win32/SaverWindow.hpp"

#include "DefaultBackend.hpp"
#include "limits/DrawingLimits.hpp"
#include "saver/UnusableArea.hpp"

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

PixelRect pixelRect(const RECT& rect)
{
    return { rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top };
}

}

SaverWindow::SaverWindow(PointerWatch* pointer, ScaleSetting scale)
    : _pointer(pointer)
    , _scale(scale)
{
}

std::unique_ptr<SaverWindow> SaverWindow::fullScreen(
    HINSTANCE instance, const RECT& monitor, ScaleSetting scale, std::uint32_t seed, PointerWatch& pointer)
{
    std::unique_ptr<SaverWindow> window(new SaverWindow(&pointer, scale));
    window->create(instance, nullptr, monitor, seed);
    return window;
}

std::unique_ptr<SaverWindow> SaverWindow::preview(HINSTANCE instance, HWND parent, ScaleSetting scale, std::uint32_t seed)
{
    RECT client;
    if (!IsWindow(parent) || !GetClientRect(parent, &client))
        throw std::runtime_error("there is no window " + std::to_string(reinterpret_cast<std::uintptr_t>(parent)) + " to draw in");
    std::unique_ptr<SaverWindow> window(new SaverWindow(nullptr, scale));
    window->create(instance, parent, client, seed);
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

void SaverWindow::create(HINSTANCE instance, HWND parent, const RECT& area, std::uint32_t seed)
{
    registerClass(instance);
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    DrawingLimits::require(width, height);
    DWORD style = parent ? WS_CHILD | WS_CLIPSIBLINGS : WS_POPUP;
    DWORD extendedStyle = parent ? 0 : WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    _window = CreateWindowExW(extendedStyle, className, L"vorpi", style, area.left, area.top, width, height, parent,
        nullptr, instance, this);
    if (!_window)
        throw std::runtime_error("cannot create the saver's window");
    PendingReshape::Shape shape = shapeNow();
    _picture.emplace(makeImage(shape.width, shape.height), shape.scale, parent != nullptr, RandomSources::seeded(seed));
    ShowWindow(_window, SW_SHOW);
    if (!parent)
        SetForegroundWindow(_window);
}

std::unique_ptr<Canvas> SaverWindow::makeImage(int width, int height)
{
    _image.emplace(width, height);
    return DefaultBackend::makeCanvas(_image->view());
}

PendingReshape::Shape SaverWindow::shapeNow() const
{
    RECT client {};
    GetClientRect(_window, &client);
    return { client.right, client.bottom, _scale.resolve(ScaleSetting::forDpi(dpiOf(_window))) };
}

PendingReshape::Shape SaverWindow::pictureShape() const
{
    return { _image->width(), _image->height(), _picture->scale() };
}

bool SaverWindow::isShowing() const
{
    return IsWindowVisible(_window) && !IsIconic(_window);
}

void SaverWindow::drawFrame()
{
    HDC dc = GetDC(_window);
    for (PixelRect area : _picture->frame())
        _image->present(dc, area);
    ReleaseDC(_window, dc);
    SetPropW(_window, framesProperty, reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(session().framesRun())));
}

std::optional<SaverWindow::Clock::time_point> SaverWindow::reshapeDue() const
{
    if (!_pending.isPending())
        return std::nullopt;
    return _pending.settlesAt();
}

void SaverWindow::reshapeIfSettled(Clock::time_point now)
{
    if (!_pending.isDue(now))
        return;
    PendingReshape::Shape shape = _pending.take();
    // Too large or too small: the old picture stays, and the next size is tried again.
    if (DrawingLimits::refusal(shape.width, shape.height))
        return;
    try {
        _picture->reshape(shape.width, shape.height, shape.scale, [&] { return makeImage(shape.width, shape.height); });
    } catch (const UnusableArea&) {
        return;
    }
    InvalidateRect(_window, nullptr, FALSE);
}

void SaverWindow::paint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(_window, &paint);
    if (_picture)
        _image->present(dc, _picture->redraw(pixelRect(paint.rcPaint)));
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
    case WM_DPICHANGED: {
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(_window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
            suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        [[fallthrough]];
    }
    case WM_SIZE:
    case WM_DPICHANGED_AFTERPARENT:
        if (_picture)
            _pending.note(shapeNow(), pictureShape(), Clock::now());
        return 0;
    case WM_DESTROY:
        // The preview's parent went away, taking this window with it.
        PostQuitMessage(0);
        return 0;
    }
    return isFullScreen() ? fullScreenMessage(message, wParam, lParam) : DefWindowProcW(_window, message, wParam, lParam);
}

LRESULT SaverWindow::fullScreenMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
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
        // Another screen saver must not start over this one; monitor power requests go through.
        if ((wParam & 0xFFF0) == SC_SCREENSAVE)
            return 0;
        break;
    }
    return DefWindowProcW(_window, message, wParam, lParam);
}
