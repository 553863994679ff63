#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

// A child process that reads its standard input from a pipe this process
// writes. Its standard output goes to /dev/null, its standard error is kept
// for this process to report, and it runs in a process group of its own: a
// Ctrl-C reaches only this process, which ends the child. Should this process
// die without ending it (SIGKILL), the kernel kills the child too.
class PipedProcess {
public:
    // Starts `program` with `arguments` (without the program name); throws std::runtime_error.
    PipedProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments);
    // Kills and reaps a child still running.
    ~PipedProcess();
    PipedProcess(const PipedProcess&) = delete;
    PipedProcess& operator=(const PipedProcess&) = delete;

    // Writes all of `data`. Returns false when the child no longer reads;
    // throws Interruption::Raised within a short while of a signal, even when
    // the child has stopped reading without going away.
    [[nodiscard]] bool write(const void* data, std::size_t size);
    // Closes the pipe and waits for the child to end. Returns its exit status,
    // or 128 plus the signal that ended it; the same again on a later call.
    // Throws Interruption::Raised as write() does.
    int closeAndWait();
    // What the child wrote to its standard error so far (its last 4 KiB).
    std::string standardError() const;

private:
    // Waits a short round for `event` on `fd`, or just the round when fd is -1.
    static void waitUntil(int fd, short event);

    pid_t _child = -1;
    int _input = -1;
    // Readable once the child has ended; -1 where the kernel has no pidfd.
    int _exited = -1;
    int _errors = -1;
    int _status = 0;
};
