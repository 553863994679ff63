#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

// Variables mapped to nothing are removed from the inherited environment.
using Environment = std::map<std::string, std::optional<std::string>>;

// Whether `error` is one line of `program`'s own, as every program here complains.
bool isOneLine(const std::string& error, const std::string& program);

// A program a test runs, with its standard error kept for the test to read
// and its standard output on `output`, or /dev/null. If it still runs when the
// object goes, it is asked to end (SIGTERM, so that an X server removes its
// lock file), then killed.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& arguments, const Environment& environment = {}, int output = -1);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return _pid; }
    void signal(int number) const;
    // The exit status (128 + N for death by signal N), or nothing if it still runs after `limit`.
    std::optional<int> waitForExit(std::chrono::milliseconds limit);
    std::string standardError() const;
    // Processor time used so far, and how often it was put on a processor (each wake-up is one), from /proc.
    std::pair<std::chrono::milliseconds, long> usage() const;

private:
    pid_t _pid = -1;
    int _pidfd = -1;
    int _errors = -1;
    std::optional<int> _status;
};
