#pragma once

#include <chrono>
#include <functional>
#include <thread>

// Asks `condition` every 20 ms until it holds (true) or `limit` has passed (false).
inline bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(5))
{
    using namespace std::chrono_literals;
    for (auto giveUp = std::chrono::steady_clock::now() + limit; !condition(); std::this_thread::sleep_for(20ms))
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
    return true;
}
