#include "loop/StopSignals.hpp"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

// What the handlers share with the program; there is one set of handlers per process.
volatile std::sig_atomic_t caughtSignal = 0;
int wakeUpFd = -1;
timer_t deadline;
StopSignals::LastAct lastAct = nullptr;

extern "C" void stopRequested(int signal)
{
    int savedErrno = errno;
    if (caughtSignal == 0) {
        caughtSignal = signal;
        itimerspec once = {};
        once.it_value.tv_nsec = std::chrono::nanoseconds(StopSignals::exitDeadline).count();
        timer_settime(deadline, 0, &once, nullptr);
    }
    // The pipe is non-blocking: when it is full, the loop has a wake-up waiting already.
    [[maybe_unused]] ssize_t ignored = write(wakeUpFd, "", 1);
    errno = savedErrno;
}

extern "C" void deadlinePassed(int)
{
    StopSignals::endBy(caughtSignal);
}

void install(int signal, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    // No SA_RESTART: a wait returns early, and the loop looks at the pipe.
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

[[noreturn]] void fail(const char* what)
{
    throw std::runtime_error(std::string("cannot watch for signals: ") + what + ": " + std::strerror(errno));
}

}

StopSignals::StopSignals()
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        fail("pipe");
    sigevent expiry = {};
    expiry.sigev_notify = SIGEV_SIGNAL;
    expiry.sigev_signo = SIGALRM;
    if (timer_create(CLOCK_MONOTONIC, &expiry, &deadline) != 0) {
        close(ends[0]);
        close(ends[1]);
        fail("timer");
    }
    _fd = ends[0];
    wakeUpFd = ends[1];
    install(SIGALRM, deadlinePassed);
    for (int signal : { SIGTERM, SIGINT, SIGHUP })
        install(signal, stopRequested);
}

void StopSignals::setLastAct(LastAct act)
{
    lastAct = act;
}

bool StopSignals::arrived()
{
    char drained[64];
    while (read(_fd, drained, sizeof drained) > 0) {
    }
    return caughtSignal != 0;
}

void StopSignals::endBySignal() const
{
    endBy(caughtSignal ? static_cast<int>(caughtSignal) : SIGTERM);
}

void StopSignals::endBy(int signal)
{
    if (lastAct)
        lastAct();
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    _exit(128 + signal);
}
