#pragma once

#include "display/TargetWindow.hpp"
#include "display/XConnection.hpp"
#include "ImageView.hpp"
#include "PixelRect.hpp"
#include "present/PixelFormat.hpp"

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstdint>
#include <optional>
#include <vector>

// The pixels of the picture as an X image, and the step that puts them on the
// window: through shared memory (MIT-SHM) where the server offers it, over the
// connection otherwise (a remote display). Where the window's pixels are the
// canvas's ARGB32 words (red, green and blue at bits 16, 8 and 0, in the
// machine's byte order) the canvas draws straight into the image, and the
// picture is in memory once; for any other layout the areas to put are first
// converted from the canvas into the image.
class ImagePresenter {
public:
    ImagePresenter(XConnection& connection, const TargetWindow& window, int width, int height);
    ~ImagePresenter();
    ImagePresenter(const ImagePresenter&) = delete;
    ImagePresenter& operator=(const ImagePresenter&) = delete;

    // The pixels a canvas may draw straight into, the one copy of the picture, shared with the server where it
    // can be; nothing when the window's layout is not the canvas's and the canvas needs pixels of its own.
    std::optional<ImageView> canvasPixels() const;
    int width() const { return _image->width; }
    int height() const { return _image->height; }

    // Shows `area` of the window: the canvas where it covers the area, black beyond it.
    void present(const ImageView& canvas, XRectangle area);
    // Puts these areas of the canvas (clipped to it) on the window, as one
    // batch whose end the server reports once.
    void present(const ImageView& canvas, const std::vector<PixelRect>& areas);
    // The server may still be reading the shared pixels: drawing into them must wait.
    bool busy() const { return _putsInFlight > 0; }
    // Takes the server's notice that a shared-memory put is done; false for any other event.
    bool handleEvent(const XEvent& event);

private:
    bool createSharedImage(int width, int height);
    void createPlainImage(int width, int height);
    void fillBlack(int x, int y, int width, int height);
    void put(const ImageView& canvas, int x, int y, unsigned int width, unsigned int height, bool notify);

    XConnection& _connection;
    Window _window;
    Visual* _visual;
    int _depth;
    const PixelFormat& _format;
    unsigned long _black;
    XImage* _image = nullptr;
    bool _shared = false;
    XShmSegmentInfo _segment {};
    int _completionEvent = -1;
    int _putsInFlight = 0;
    std::vector<std::uint8_t> _plainPixels;
    GC _gc = nullptr;
};
