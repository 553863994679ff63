#pragma once

#include "client/Proxy.hpp"

#include <chrono>
#include <optional>

// The connection to the compositor. Every failure on it becomes one
// std::runtime_error that names the cause: no compositor to connect to, the
// compositor gone, or the connection ended over a protocol error.
class Connection {
public:
    using Clock = std::chrono::steady_clock;

    // Connects to the compositor that WAYLAND_DISPLAY names.
    Connection();

    wl_display* display() const { return _display.get(); }
    void roundtrip();
    // Sends what is queued, then sleeps until the compositor sends events
    // (and dispatches them), `otherFd` is readable, or `deadline` passes.
    // Returns whether `otherFd` is readable.
    bool wait(int otherFd, std::optional<Clock::time_point> deadline);

private:
    void dispatchPending();
    [[noreturn]] void fail() const;

    Proxy<wl_display> _display;
};
