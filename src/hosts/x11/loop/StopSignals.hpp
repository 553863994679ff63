#pragma once

// SIGTERM, SIGINT and SIGHUP, turned from asynchronous interruptions into a
// file descriptor that the event loop waits on next to the X connection.
// They are blocked from construction on, so one that arrives during start-up
// waits for the loop instead of killing the process half way.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    int fd() const { return _fd; }
    // True when one of the signals has arrived; consumes it.
    bool arrived();

private:
    int _fd;
};
