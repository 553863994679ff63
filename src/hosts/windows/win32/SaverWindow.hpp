#pragma once

#include "input/PointerWatch.hpp"
#include "loop/PendingReshape.hpp"
#include "options/ScaleSetting.hpp"
#include "picture/SaverPicture.hpp"
#include "win32/DibImage.hpp"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>

// One window the saver draws in, with its own picture: full screen on one
// monitor, or a preview inside another program's window. A full-screen
// window ends the saver on a key, a click, a real mouse move or the loss of
// activation; a preview ends it when its parent goes away. A new size or DPI
// is taken up once it has settled, by a new view on the same random streams.
class SaverWindow {
public:
    using Clock = PendingReshape::Clock;

    // Throw std::runtime_error with a one-line reason when the window or its view cannot be made.
    static std::unique_ptr<SaverWindow> fullScreen(
        HINSTANCE instance, const RECT& monitor, ScaleSetting scale, std::uint32_t seed, PointerWatch& pointer);
    static std::unique_ptr<SaverWindow> preview(HINSTANCE instance, HWND parent, ScaleSetting scale, std::uint32_t seed);
    ~SaverWindow();
    SaverWindow(const SaverWindow&) = delete;
    SaverWindow& operator=(const SaverWindow&) = delete;

    // Shown, with every window above it shown too (a preview in a hidden dialog tab is not).
    bool isShowing() const;
    ScreenSaverSession& session() { return _picture->session(); }

    // Runs one frame and puts what it touched on the screen.
    void drawFrame();
    // When a new size or scale settles, if one is pending.
    std::optional<Clock::time_point> reshapeDue() const;
    // Takes up a new size or scale that has settled by `now`; one the view cannot take keeps the old picture.
    void reshapeIfSettled(Clock::time_point now);

private:
    explicit SaverWindow(PointerWatch* pointer, ScaleSetting scale);
    void create(HINSTANCE instance, HWND parent, const RECT& area, std::uint32_t seed);
    static void registerClass(HINSTANCE instance);
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT fullScreenMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void paint();
    // The window's client area and the scale it asks for now.
    PendingReshape::Shape shapeNow() const;
    PendingReshape::Shape pictureShape() const;
    std::unique_ptr<Canvas> makeImage(int width, int height);
    bool isFullScreen() const { return _pointer != nullptr; }

    PointerWatch* _pointer;
    ScaleSetting _scale;
    HWND _window = nullptr;
    bool _wasActive = false;
    PendingReshape _pending;
    // The picture draws into the image's pixels: it is declared after, to go first.
    std::optional<DibImage> _image;
    std::optional<SaverPicture> _picture;
};
