#pragma once

#include <chrono>
#include <functional>

// Polls `condition` until it holds, for at most `limit`; says whether it did.
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(20));
