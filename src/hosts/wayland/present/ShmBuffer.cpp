#include "present/ShmBuffer.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

ShmBuffer::ShmBuffer(wl_shm* shm, int width, int height)
{
    int stride = width * 4;
    _size = static_cast<std::size_t>(stride) * height;
    auto fail = [&](const char* what, int error) {
        throw std::runtime_error("cannot make a buffer of " + std::to_string(width) + "x" + std::to_string(height)
            + " pixels (" + what + "): " + std::strerror(error));
    };
    int fd = memfd_create("vorpi-wayland", MFD_CLOEXEC);
    if (fd < 0)
        fail("memfd_create", errno);
    // Reserved now, so that running out of memory is an error here and not a SIGBUS while drawing.
    if (int error = posix_fallocate(fd, 0, static_cast<off_t>(_size)); error != 0) {
        close(fd);
        fail("fallocate", error);
    }
    void* memory = mmap(nullptr, _size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        int error = errno;
        close(fd);
        fail("mmap", error);
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(_size));
    _buffer.reset(wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888));
    // The buffer keeps the pool's memory; the compositor has its own mapping of the file.
    wl_shm_pool_destroy(pool);
    close(fd);
    _pixels = { static_cast<std::uint8_t*>(memory), width, height, stride };

    static const wl_buffer_listener listener = {
        .release = [](void* data, wl_buffer*) { static_cast<ShmBuffer*>(data)->_busy = false; },
    };
    wl_buffer_add_listener(_buffer.get(), &listener, this);
}

ShmBuffer::~ShmBuffer()
{
    // The compositor may still show the buffer: it has its own mapping, and nothing writes to this memory again.
    _buffer.reset();
    munmap(_pixels.pixels, _size);
}

wl_buffer* ShmBuffer::lend()
{
    _busy = true;
    return _buffer.get();
}
