#include "present/ImagePresenter.hpp"
#include "present/UnmarkedSegment.hpp"

#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <stdexcept>
#include <string>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace {

constexpr int nativeByteOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;

// XDestroyImage would free the pixels and the segment record too; neither is its to free.
void destroyImageOnly(XImage* image)
{
    image->data = nullptr;
    image->obdata = nullptr;
    XDestroyImage(image);
}

}

ImagePresenter::ImagePresenter(XConnection& connection, const TargetWindow& window, int width, int height)
    : _connection(connection)
    , _window(window.id())
    , _visual(window.visual())
    , _depth(window.depth())
    , _format(window.format())
    , _black(_format.pixel(0x000000))
{
    if (!createSharedImage(width, height))
        createPlainImage(width, height);
    _gc = XCreateGC(connection.display(), _window, 0, nullptr);
}

ImagePresenter::~ImagePresenter()
{
    Display* display = _connection.display();
    if (_shared) {
        XShmDetach(display, &_segment);
        shmdt(_segment.shmaddr);
    }
    destroyImageOnly(_image);
    XFreeGC(display, _gc);
}

bool ImagePresenter::createSharedImage(int width, int height)
{
    Display* display = _connection.display();
    // Shared pixels reach the server unconverted, so both must read words alike.
    if (!XShmQueryExtension(display) || ImageByteOrder(display) != nativeByteOrder)
        return false;
    XImage* image = XShmCreateImage(display, _visual, _depth, ZPixmap, nullptr, &_segment, width, height);
    if (!image)
        return false;
    std::size_t size = static_cast<std::size_t>(image->bytes_per_line) * height;
    _segment.shmid = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (_segment.shmid < 0) {
        destroyImageOnly(image);
        return false;
    }
    UnmarkedSegment::remember(_segment.shmid);
    _segment.shmaddr = static_cast<char*>(shmat(_segment.shmid, nullptr, 0));
    _segment.readOnly = True;
    bool attached = _segment.shmaddr != reinterpret_cast<char*>(-1)
        && _connection.succeeds([&] { XShmAttach(display, &_segment); });
    // Marked for removal now, the segment goes with the last detach, even after a crash.
    UnmarkedSegment::markForRemoval();
    if (!attached) {
        if (_segment.shmaddr != reinterpret_cast<char*>(-1))
            shmdt(_segment.shmaddr);
        destroyImageOnly(image);
        return false;
    }
    image->data = _segment.shmaddr;
    _image = image;
    _shared = true;
    _completionEvent = XShmGetEventBase(display) + ShmCompletion;
    return true;
}

void ImagePresenter::createPlainImage(int width, int height)
{
    Display* display = _connection.display();
    _image = XCreateImage(display, _visual, _depth, ZPixmap, 0, nullptr, width, height, 32, 0);
    if (!_image)
        throw std::runtime_error("cannot make an X image of " + std::to_string(width) + "x" + std::to_string(height));
    _plainPixels.assign(static_cast<std::size_t>(_image->bytes_per_line) * height, 0);
    _image->data = reinterpret_cast<char*>(_plainPixels.data());
    // Xlib converts to the server's byte order on the way.
    _image->byte_order = nativeByteOrder;
}

std::optional<ImageView> ImagePresenter::canvasPixels() const
{
    if (!_format.isCanvasLayout())
        return std::nullopt;
    return ImageView { reinterpret_cast<std::uint8_t*>(_image->data), _image->width, _image->height,
        _image->bytes_per_line };
}

void ImagePresenter::put(const ImageView& canvas, int x, int y, unsigned int width, unsigned int height, bool notify)
{
    Display* display = _connection.display();
    if (!_format.isCanvasLayout())
        _format.convert(canvas, reinterpret_cast<std::uint8_t*>(_image->data), _image->bytes_per_line,
            { x, y, static_cast<int>(width), static_cast<int>(height) });
    if (_shared) {
        XShmPutImage(display, _window, _gc, _image, x, y, x, y, width, height, notify ? True : False);
        if (notify)
            ++_putsInFlight;
    } else {
        XPutImage(display, _window, _gc, _image, x, y, x, y, width, height);
    }
}

void ImagePresenter::present(const ImageView& canvas, const std::vector<PixelRect>& areas)
{
    std::vector<PixelRect> inside;
    for (const PixelRect& area : areas) {
        int left = std::max(area.x, 0);
        int top = std::max(area.y, 0);
        PixelRect clipped { left, top, std::min(area.x + area.width, width()) - left,
            std::min(area.y + area.height, height()) - top };
        if (!clipped.isEmpty())
            inside.push_back(clipped);
    }
    // The server handles requests in order: when the last put is done, all are.
    for (std::size_t i = 0; i < inside.size(); ++i) {
        const PixelRect& area = inside[i];
        put(canvas, area.x, area.y, static_cast<unsigned int>(area.width), static_cast<unsigned int>(area.height),
            i + 1 == inside.size());
    }
}

void ImagePresenter::present(const ImageView& canvas, XRectangle area)
{
    int left = area.x;
    int top = area.y;
    int right = area.x + area.width;
    int bottom = area.y + area.height;
    int imageRight = std::min(right, width());
    int imageBottom = std::min(bottom, height());

    if (left < imageRight && top < imageBottom)
        put(canvas, left, top, imageRight - left, imageBottom - top, true);
    // Beyond the image (the window grew after the start) the window stays black.
    fillBlack(std::max(left, width()), top, right - std::max(left, width()), area.height);
    fillBlack(left, std::max(top, height()), imageRight - left, bottom - std::max(top, height()));
}

void ImagePresenter::fillBlack(int x, int y, int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    XSetForeground(_connection.display(), _gc, _black);
    XFillRectangle(_connection.display(), _window, _gc, x, y, width, height);
}

bool ImagePresenter::handleEvent(const XEvent& event)
{
    if (!_shared || event.type != _completionEvent)
        return false;
    _putsInFlight = std::max(0, _putsInFlight - 1);
    return true;
}
