#pragma once

#include "ImageView.hpp"
#include "client/Proxy.hpp"

#include <cstddef>

// A picture's worth of pixels in memory shared with the compositor: a
// wl_buffer over a memory file of its own, in XRGB8888 (the canvas's
// native-endian 0xAARRGGBB, its alpha left unread). It is busy from the
// moment it is lent to the compositor until the compositor releases it, and
// nothing may draw in it while it is busy.
class ShmBuffer {
public:
    // Throws std::runtime_error when the memory cannot be had.
    ShmBuffer(wl_shm* shm, int width, int height);
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    ImageView pixels() const { return _pixels; }
    bool isBusy() const { return _busy; }
    // The buffer to attach, busy from now on.
    wl_buffer* lend();

private:
    ImageView _pixels;
    std::size_t _size = 0;
    Proxy<wl_buffer> _buffer;
    bool _busy = false;
};
