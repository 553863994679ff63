#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// A private X server for a test. Xvfb picks a free display number itself
// (-displayfd) and reports it once it accepts connections.
class XvfbServer {
public:
    explicit XvfbServer(const std::vector<std::string>& extraArguments = {});
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    const std::string& displayName() const { return _displayName; }

private:
    pid_t _pid = -1;
    std::string _displayName;
};
