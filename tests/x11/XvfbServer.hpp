#pragma once

#include "ChildProcess.hpp"

#include <memory>
#include <string>
#include <vector>

// A private X server for a test. Xvfb picks a free display number itself
// (-displayfd) and reports it once it accepts connections.
class XvfbServer {
public:
    explicit XvfbServer(const std::vector<std::string>& extraArguments = {});

    const std::string& displayName() const { return _displayName; }

private:
    std::unique_ptr<ChildProcess> _process;
    std::string _displayName;
};
