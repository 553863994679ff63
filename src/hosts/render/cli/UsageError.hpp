#pragma once

#include <stdexcept>

// A command line the renderer refuses before doing any work (exit status 2).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
