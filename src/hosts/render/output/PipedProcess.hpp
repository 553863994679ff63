#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

// A child process that reads its standard input from a pipe this process
// writes. Its standard output goes to /dev/null, and it runs in a process
// group of its own: a Ctrl-C reaches only this process, which ends the child.
class PipedProcess {
public:
    // Starts `program` with `arguments` (without the program name); throws std::runtime_error.
    PipedProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments);
    // Kills and reaps a child still running.
    ~PipedProcess();
    PipedProcess(const PipedProcess&) = delete;
    PipedProcess& operator=(const PipedProcess&) = delete;

    // Writes all of `data`. Returns false when the child no longer reads;
    // throws Interruption::Raised when a signal arrives meanwhile.
    [[nodiscard]] bool write(const void* data, std::size_t size);
    // Closes the pipe and waits for the child to end. Returns its exit status,
    // or 128 plus the signal that ended it; the same again on a later call.
    int closeAndWait();

private:
    pid_t _child = -1;
    int _input = -1;
    int _status = 0;
};
