#pragma once

#include <poll.h>

#include <chrono>
#include <optional>
#include <span>

// The one wait of a POSIX host's event loop: its descriptors, until a frame's
// deadline or for good.
class EventWait {
public:
    using Clock = std::chrono::steady_clock;

    // How many descriptors are ready: 0 when the deadline passed or a signal
    // came first. Throws std::runtime_error when the wait itself fails.
    static int until(std::span<pollfd> watched, std::optional<Clock::time_point> deadline);
};
