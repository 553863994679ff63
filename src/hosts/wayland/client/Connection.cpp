#include "client/Connection.hpp"

#include "loop/EventWait.hpp"

#include <poll.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

Connection::Connection()
{
    // The library's own messages would come on lines of their own; the program says what went wrong, once.
    wl_log_set_handler_client([](const char*, va_list) {});
    _display.reset(wl_display_connect(nullptr));
    if (!_display) {
        const char* name = std::getenv("WAYLAND_DISPLAY");
        throw std::runtime_error(std::string("cannot connect to a Wayland compositor at ") + (name ? name : "wayland-0")
            + ": " + std::strerror(errno) + " (is this a Wayland session?)");
    }
}

void Connection::roundtrip()
{
    if (wl_display_roundtrip(display()) < 0)
        fail();
}

bool Connection::wait(int otherFd, std::optional<Clock::time_point> deadline)
{
    while (wl_display_prepare_read(display()) != 0)
        dispatchPending();
    // A compositor that has stopped reading fills the socket: then also wait for room to send the rest.
    bool unsent = wl_display_flush(display()) < 0 && errno == EAGAIN;
    pollfd watched[] = { { wl_display_get_fd(display()), static_cast<short>(POLLIN | (unsent ? POLLOUT : 0)), 0 },
        { otherFd, POLLIN, 0 } };
    int ready = 0;
    try {
        ready = EventWait::until(watched, deadline);
    } catch (...) {
        wl_display_cancel_read(display());
        throw;
    }
    if (ready > 0 && (watched[0].revents & (POLLIN | POLLERR | POLLHUP))) {
        if (wl_display_read_events(display()) < 0)
            fail();
    } else {
        wl_display_cancel_read(display());
    }
    dispatchPending();
    return ready > 0 && watched[1].revents != 0;
}

void Connection::dispatchPending()
{
    if (wl_display_dispatch_pending(display()) < 0)
        fail();
}

void Connection::fail() const
{
    int error = wl_display_get_error(display());
    if (error == EPROTO) {
        const wl_interface* interface = nullptr;
        std::uint32_t id = 0;
        std::uint32_t code = wl_display_get_protocol_error(display(), &interface, &id);
        std::string object = interface ? interface->name : "an unknown object";
        throw std::runtime_error("the compositor ended the connection over a protocol error (" + object + ", code "
            + std::to_string(code) + ")");
    }
    throw std::runtime_error(std::string("lost the connection to the compositor")
        + (error ? std::string(": ") + std::strerror(error) : std::string()));
}
