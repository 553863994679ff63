#include "ChildProcess.hpp"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <stdexcept>
#include <poll.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

bool isOneLine(const std::string& error, const std::string& program)
{
    return error.starts_with(program + ": ") && error.find('\n') == error.size() - 1;
}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const Environment& environment, int output)
    : _errors(memfd_create("standard error", MFD_CLOEXEC))
{
    std::vector<char*> argv(arguments.size() + 1);
    std::ranges::transform(arguments, argv.begin(), [](auto& text) { return const_cast<char*>(text.c_str()); });
    _pid = fork();
    if (_pid == 0) {
        for (const auto& [name, value] : environment)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
        dup2(output >= 0 ? output : open("/dev/null", O_WRONLY | O_CLOEXEC), STDOUT_FILENO);
        dup2(_errors, STDERR_FILENO);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    _pidfd = _pid > 0 ? static_cast<int>(syscall(SYS_pidfd_open, _pid, 0)) : -1;
    if (_pidfd < 0 || _errors < 0)
        throw std::runtime_error("cannot start " + arguments[0]);
}

ChildProcess::~ChildProcess()
{
    signal(SIGTERM);
    if (!waitForExit(std::chrono::seconds(2))) {
        signal(SIGKILL);
        waitpid(_pid, nullptr, 0);
    }
    close(_errors);
    close(_pidfd);
}

void ChildProcess::signal(int number) const
{
    // Once reaped, the number may belong to another process.
    if (!_status)
        kill(_pid, number);
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds limit)
{
    pollfd exited { _pidfd, POLLIN, 0 };
    int status = 0;
    if (!_status && poll(&exited, 1, static_cast<int>(limit.count())) == 1 && waitpid(_pid, &status, 0) == _pid)
        _status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return _status;
}

std::string ChildProcess::standardError() const
{
    std::string text(1 << 16, '\0');
    text.resize(std::max<ssize_t>(pread(_errors, text.data(), text.size(), 0), 0));
    return text;
}

std::pair<std::chrono::milliseconds, long> ChildProcess::usage() const
{
    // Nanoseconds on a processor, nanoseconds waiting for one, and how often it was put on one.
    std::ifstream schedule("/proc/" + std::to_string(_pid) + "/schedstat");
    long long running = -1, waiting = 0, runs = 0;
    if (!(schedule >> running >> waiting >> runs))
        throw std::runtime_error("cannot read /proc/" + std::to_string(_pid) + "/schedstat");
    return { std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::nanoseconds(running)), runs };
}
