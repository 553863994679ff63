#pragma once

#include <chrono>

// SIGTERM, SIGINT and SIGHUP, turned into a file descriptor that the event
// loop waits on next to its display connection. The program then ends by the
// signal itself, as a screen saver daemon expects. Each signal also starts a
// deadline: a program still alive when it passes (blocked on a display server
// or compositor that no longer answers) is ended by that signal there and
// then, so an exit never waits on the other side of the connection.
class StopSignals {
public:
    static constexpr std::chrono::milliseconds exitDeadline { 50 };
    // Runs just before the process ends by a signal, destructors skipped; it must be safe in a signal handler.
    using LastAct = void (*)();

    // The handlers stay for the rest of the process: a signal that comes while
    // the program winds up still ends it by that signal, within the deadline.
    StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // What must be done even so, such as releasing what would outlive the process.
    static void setLastAct(LastAct act);
    // Ends the process by `signal` (its default action), after the last act.
    [[noreturn]] static void endBy(int signal);

    int fd() const { return _fd; }
    // True when one of the signals has arrived.
    bool arrived();
    // Ends the process by the signal that arrived, without running any
    // destructor: the connection needs no goodbye (the server cleans up when
    // the socket closes) and the server may not be answering.
    [[noreturn]] void endBySignal() const;

private:
    int _fd = -1;
};
