#include "ChildProcess.hpp"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

pid_t spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
    const std::string& errorPath)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    auto pointers = [](const std::vector<std::string>& strings) {
        std::vector<char*> result;
        for (const std::string& text : strings)
            result.push_back(const_cast<char*>(text.c_str()));
        result.push_back(nullptr);
        return result;
    };
    std::vector<char*> argv = pointers(arguments);
    std::vector<char*> envp = pointers(environment);
    pid_t pid = -1;
    int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed)
        throw std::runtime_error("cannot start " + arguments[0]);
    return pid;
}

// Fields of /proc/PID/stat after the command name, which may hold spaces.
std::vector<std::string> statFields(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::istringstream rest(text.substr(text.rfind(')') + 2));
    return { std::istream_iterator<std::string>(rest), std::istream_iterator<std::string>() };
}

}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments,
    const std::map<std::string, std::optional<std::string>>& environment)
{
    std::vector<std::string> variables;
    for (char** inherited = environ; *inherited; ++inherited) {
        std::string variable = *inherited;
        if (!environment.contains(variable.substr(0, variable.find('='))))
            variables.push_back(variable);
    }
    for (const auto& [name, value] : environment) {
        if (value)
            variables.push_back(name + "=" + *value);
    }
    char errorPath[] = "/tmp/vorpi-test-stderr-XXXXXX";
    close(mkstemp(errorPath));
    _errorPath = errorPath;
    _pid = spawn(arguments, variables, _errorPath);
}

ChildProcess::~ChildProcess()
{
    signal(SIGTERM);
    if (!waitForExit(std::chrono::seconds(2))) {
        signal(SIGKILL);
        waitpid(_pid, nullptr, 0);
    }
    unlink(_errorPath.c_str());
}

void ChildProcess::signal(int number) const
{
    // Once reaped, the number may belong to another process.
    if (!_status)
        kill(_pid, number);
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds limit)
{
    auto giveUp = std::chrono::steady_clock::now() + limit;
    while (!_status) {
        int status = 0;
        if (waitpid(_pid, &status, WNOHANG) == _pid)
            _status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        else if (std::chrono::steady_clock::now() >= giveUp)
            break;
        else
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return _status;
}

std::string ChildProcess::standardError() const
{
    std::ifstream file(_errorPath);
    return { std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>() };
}

std::chrono::milliseconds ChildProcess::cpuTime() const
{
    std::vector<std::string> fields = statFields(_pid);
    // utime and stime are fields 14 and 15 of the file, counted in clock ticks.
    long ticks = std::stol(fields.at(11)) + std::stol(fields.at(12));
    return std::chrono::milliseconds(ticks * 1000 / sysconf(_SC_CLK_TCK));
}

long ChildProcess::voluntarySleeps() const
{
    std::ifstream file("/proc/" + std::to_string(_pid) + "/status");
    std::string line;
    while (std::getline(file, line)) {
        if (line.starts_with("voluntary_ctxt_switches:"))
            return std::stol(line.substr(line.find(':') + 1));
    }
    throw std::runtime_error("no voluntary_ctxt_switches for process " + std::to_string(_pid));
}
