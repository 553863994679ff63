#pragma once

#include "Canvas.hpp"
#include "drawing/ScaledSurface.hpp"
#include "input/PointerWatch.hpp"
#include "saver/ScreenSaverSession.hpp"
#include "win32/DibImage.hpp"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>

// One window the saver draws in, with its own session and pixels: full screen
// on one monitor, or a preview inside another program's window. A full-screen
// window ends the saver on a key, a click, a real mouse move or the loss of
// activation; a preview ends it when its parent goes away.
class SaverWindow {
public:
    // Throw std::runtime_error with a one-line reason when the window or its view cannot be made.
    // `scale`: pixels per point, or none for the monitor's own (from its DPI).
    static std::unique_ptr<SaverWindow> fullScreen(HINSTANCE instance, const RECT& monitor,
        std::optional<double> scale, std::uint32_t seed, PointerWatch& pointer);
    static std::unique_ptr<SaverWindow> preview(
        HINSTANCE instance, HWND parent, std::optional<double> scale, std::uint32_t seed);
    ~SaverWindow();
    SaverWindow(const SaverWindow&) = delete;
    SaverWindow& operator=(const SaverWindow&) = delete;

    HWND handle() const { return _window; }
    // Shown, with every window above it shown too (a preview in a hidden dialog tab is not).
    bool isShowing() const;
    ScreenSaverSession& session() { return *_session; }

    // Runs one frame and puts what it touched on the screen.
    void drawFrame();

private:
    explicit SaverWindow(PointerWatch* pointer);
    void create(HINSTANCE instance, HWND parent, const RECT& area, std::optional<double> scale, std::uint32_t seed);
    static void registerClass(HINSTANCE instance);
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void paint();
    bool isFullScreen() const { return _pointer != nullptr; }

    PointerWatch* _pointer;
    HWND _window = nullptr;
    bool _wasActive = false;
    std::optional<DibImage> _image;
    std::unique_ptr<Canvas> _canvas;
    // The view measures its area in points, the canvas in pixels.
    std::optional<ScaledSurface> _surface;
    std::unique_ptr<ScreenSaverSession> _session;
};
