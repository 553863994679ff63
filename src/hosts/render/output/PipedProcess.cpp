#include "output/PipedProcess.hpp"

#include "cli/Interruption.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

class SpawnSettings {
public:
    SpawnSettings(int input, int errors)
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, errors, STDERR_FILENO);

        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
        posix_spawnattr_setpgroup(&attributes, 0);
        // This process ignores SIGPIPE; the child gets the usual dispositions back.
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int signal : { SIGPIPE, SIGINT, SIGTERM, SIGHUP })
            sigaddset(&defaults, signal);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        sigset_t unblocked;
        sigemptyset(&unblocked);
        posix_spawnattr_setsigmask(&attributes, &unblocked);
    }
    ~SpawnSettings()
    {
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
};

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

    SpawnSettings settings(ends[0], _errors);
    int error = posix_spawn(&_child, name.c_str(), &settings.actions, &settings.attributes, argv.data(), environ);
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
