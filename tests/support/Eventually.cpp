#include "Eventually.hpp"

#include <thread>

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    for (auto giveUp = std::chrono::steady_clock::now() + limit; !condition();
         std::this_thread::sleep_for(std::chrono::milliseconds(10)))
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
    return true;
}
