#include "output/PipedProcess.hpp"

#include "cli/Interruption.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <poll.h>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// What the child does between vfork() and exec: it still runs in this
// process's memory, on its stack, so it only makes system calls. Leaves exec's
// error in `execError` when it cannot run the program.
[[noreturn]] void becomeChild(const char* program, char* const* argv, int input, int errors, pid_t parent,
    const sigset_t& mask, volatile int& execError)
{
    setpgid(0, 0);
    dup2(input, STDIN_FILENO);
    int nothing = open("/dev/null", O_WRONLY | O_CLOEXEC);
    dup2(nothing, STDOUT_FILENO);
    dup2(errors, STDERR_FILENO);
    // This process ignores SIGPIPE and catches the stop signals in handlers
    // that must not run here; the child gets the usual dispositions back.
    // SIGXFSZ stays ignored: past a file size limit, ffmpeg says so and exits.
    struct sigaction defaults = {};
    defaults.sa_handler = SIG_DFL;
    for (int signal : { SIGPIPE, SIGINT, SIGTERM, SIGHUP })
        sigaction(signal, &defaults, nullptr);
    // Killed with this process, even by SIGKILL. Should this process have died
    // before the request, the child has another parent by now.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(127);
    sigprocmask(SIG_SETMASK, &mask, nullptr);
    execve(program, argv, environ);
    execError = errno;
    _exit(127);
}

}

PipedProcess::PipedProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments)
{
    int ends[2];
    // Close-on-exec, so that a second child never holds the first one's pipe open.
    if (pipe2(ends, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("cannot create a pipe: ") + std::strerror(errno));

    std::string name = program.string();
    std::vector<char*> argv { name.data() };
    std::vector<std::string> copies(arguments);
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // A file rather than a pipe, so that a child with much to say never waits for this process to read it.
    _errors = memfd_create("standard error", MFD_CLOEXEC);
    if (_errors < 0) {
        int error = errno;
        close(ends[0]);
        close(ends[1]);
        throw std::runtime_error(std::string("cannot create a file for a child's messages: ") + std::strerror(error));
    }

    // No signal handler may run in the child while it shares this process's memory.
    sigset_t everything, unblocked, before;
    sigfillset(&everything);
    sigemptyset(&unblocked);
    sigprocmask(SIG_SETMASK, &everything, &before);
    volatile int execError = 0;
    pid_t parent = getpid();
    _child = vfork();
    if (_child == 0)
        becomeChild(name.c_str(), argv.data(), ends[0], _errors, parent, unblocked, execError);
    int error = _child < 0 ? errno : execError;
    // The child has exited by now if exec failed; reaped before a signal could cut the wait short.
    if (error != 0 && _child > 0)
        waitpid(_child, nullptr, 0);
    sigprocmask(SIG_SETMASK, &before, nullptr);
    close(ends[0]);
    if (error != 0) {
        close(ends[1]);
        close(_errors);
        _errors = -1;
        _child = -1;
        throw std::runtime_error("cannot run " + name + ": " + std::strerror(error));
    }
    _input = ends[1];
    // Never blocked for good on a child that has stopped reading: see waitUntil().
    fcntl(_input, F_SETFL, O_NONBLOCK);
    _exited = static_cast<int>(syscall(SYS_pidfd_open, _child, 0));
}

void PipedProcess::waitUntil(int fd, short event)
{
    // A signal that comes just before poll() is seen at the next round at the
    // latest, and without a pidfd (before Linux 5.3) the wait becomes a poll.
    constexpr int roundMilliseconds = 50;
    pollfd watched { fd, event, 0 };
    poll(&watched, fd >= 0 ? 1 : 0, roundMilliseconds);
}

PipedProcess::~PipedProcess()
{
    if (_input >= 0)
        close(_input);
    if (_exited >= 0)
        close(_exited);
    if (_errors >= 0)
        close(_errors);
    if (_child > 0) {
        kill(_child, SIGKILL);
        while (waitpid(_child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
}

bool PipedProcess::write(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        Interruption::check();
        ssize_t written = ::write(_input, bytes, size);
        if (written < 0) {
            if (errno == EAGAIN)
                waitUntil(_input, POLLOUT);
            else if (errno != EINTR)
                return false;
            continue;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

std::string PipedProcess::standardError() const
{
    // The end of it, where a program says why it failed.
    constexpr off_t kept = 4096;
    struct stat status;
    if (_errors < 0 || fstat(_errors, &status) != 0)
        return {};
    off_t from = std::max<off_t>(status.st_size - kept, 0);
    std::string text(static_cast<std::size_t>(status.st_size - from), '\0');
    text.resize(static_cast<std::size_t>(std::max<ssize_t>(pread(_errors, text.data(), text.size(), from), 0)));
    return text;
}

int PipedProcess::closeAndWait()
{
    if (_input >= 0) {
        close(_input);
        _input = -1;
    }
    if (_child < 0)
        return _status;
    int status = 0;
    while (true) {
        Interruption::check();
        pid_t ended = waitpid(_child, &status, WNOHANG);
        if (ended == _child)
            break;
        if (ended < 0 && errno != EINTR)
            throw std::runtime_error(std::string("cannot wait for a child process: ") + std::strerror(errno));
        if (ended == 0)
            waitUntil(_exited, POLLIN);
    }
    _child = -1;
    _status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return _status;
}
