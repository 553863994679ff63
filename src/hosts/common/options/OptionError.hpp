#pragma once

#include <stdexcept>

// A command line the program cannot follow; the message says what is wrong with it.
class OptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
