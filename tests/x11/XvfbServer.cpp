#include "XvfbServer.hpp"

#include <poll.h>
#include <stdexcept>
#include <unistd.h>

XvfbServer::XvfbServer(const std::vector<std::string>& extraArguments)
{
    int ready[2];
    if (pipe(ready) != 0)
        throw std::runtime_error("cannot make a pipe for Xvfb");
    std::vector<std::string> arguments { "Xvfb", "-displayfd", std::to_string(ready[1]), "-nolisten", "tcp", "-br",
        "-noreset" };
    arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
    _process = std::make_unique<ChildProcess>(arguments, std::map<std::string, std::optional<std::string>> {});
    close(ready[1]);

    std::string number;
    pollfd watched { ready[0], POLLIN, 0 };
    char digit;
    while (poll(&watched, 1, 10000) > 0 && read(ready[0], &digit, 1) == 1 && digit != '\n')
        number += digit;
    close(ready[0]);
    if (number.empty())
        throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
    _displayName = ":" + number;
}
