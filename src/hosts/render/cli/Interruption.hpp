#pragma once

#include <exception>

// Turns Ctrl-C, SIGTERM and SIGHUP into a flag that the long loops poll, so
// that a run unwinds normally and every temporary file is removed on the way out.
class Interruption {
public:
    // Installs the handlers (without SA_RESTART, so blocking writes and waits
    // return early) and ignores SIGPIPE and SIGXFSZ (a file size limit), which
    // then show up as write errors (EPIPE, EFBIG).
    static void install();

    static bool requested();
    // Throws Interruption::Raised once a signal has arrived.
    static void check();
    // Ends the run as `signal` would have: throws Interruption::Raised. For
    // SIGPIPE, when the reader of standard output has gone away.
    [[noreturn]] static void stopAsIf(int signal);
    // Ends the process the way the signal would have, now that the cleanup is done.
    [[noreturn]] static void dieOfSignal();

    struct Raised : std::exception {
        const char* what() const noexcept override { return "interrupted"; }
    };
};
