#include "loop/EventWait.hpp"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

int EventWait::until(std::span<pollfd> watched, std::optional<Clock::time_point> deadline)
{
    timespec timeout {};
    if (deadline) {
        auto left = std::max(*deadline - Clock::now(), Clock::duration::zero());
        auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
        auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(left - seconds);
        timeout = { static_cast<time_t>(seconds.count()), static_cast<long>(nanoseconds.count()) };
    }
    int ready = ppoll(watched.data(), watched.size(), deadline ? &timeout : nullptr, nullptr);
    if (ready < 0 && errno != EINTR)
        throw std::runtime_error(std::string("cannot wait for events: ") + std::strerror(errno));
    return std::max(ready, 0);
}
