#include "loop/StopSignals.hpp"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

sigset_t stopSignalSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

}

StopSignals::StopSignals()
{
    sigset_t set = stopSignalSet();
    sigset_t previousMask;
    sigprocmask(SIG_BLOCK, &set, &previousMask);
    _fd = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (_fd < 0) {
        int error = errno;
        sigprocmask(SIG_SETMASK, &previousMask, nullptr);
        throw std::runtime_error(std::string("cannot watch for signals: ") + std::strerror(error));
    }
}

StopSignals::~StopSignals()
{
    // The signals stay blocked: a second one, sent while the program winds
    // up, must not turn a clean exit into death by signal.
    close(_fd);
}

bool StopSignals::arrived()
{
    signalfd_siginfo info;
    return read(_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info);
}
