#include "cli/Preflight.hpp"

#include "cli/UsageError.hpp"

#include <cstdlib>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void requireWritable(const std::filesystem::path& path)
{
    std::filesystem::path directory = path.parent_path();
    auto refuse = [&](const std::string& reason) {
        throw UsageError("cannot write '" + path.string() + "': " + reason);
    };
    if (directory.empty())
        directory = ".";
    struct stat status;
    if (stat(directory.c_str(), &status) != 0)
        refuse("directory '" + directory.string() + "' does not exist");
    if (!S_ISDIR(status.st_mode))
        refuse("'" + directory.string() + "' is not a directory");
    if (access(directory.c_str(), W_OK | X_OK) != 0)
        refuse("directory '" + directory.string() + "' is not writable");
    // The finished file is renamed over the target, which would replace a device or a pipe.
    if (stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
        refuse(S_ISDIR(status.st_mode) ? "it is a directory" : "it is not a regular file");
}

std::filesystem::path findOnPath(std::string_view program)
{
    const char* path = std::getenv("PATH");
    std::string_view directories = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        std::size_t colon = directories.find(':');
        std::string_view directory = directories.substr(0, colon);
        std::filesystem::path candidate = std::filesystem::path(directory.empty() ? "." : directory) / program;
        struct stat status;
        if (stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (colon == std::string_view::npos)
            return {};
        directories.remove_prefix(colon + 1);
    }
}

}

Preflight::Preflight(const RenderOptions& options)
{
    std::set<std::filesystem::path> targets;
    auto claim = [&](const std::filesystem::path& path) {
        std::filesystem::path key = std::filesystem::absolute(path).lexically_normal();
        if (!targets.insert(key).second)
            throw UsageError("cannot write '" + path.string() + "': it is given more than once");
    };

    bool video = false;
    for (const RenderOptions::Output& output : options.outputs) {
        claim(output.path);
        requireWritable(output.path);
        video = video || output.format != RenderOptions::Format::Png;
    }
    if (options.trace && *options.trace != "-") {
        claim(*options.trace);
        requireWritable(*options.trace);
    }
    if (video) {
        _ffmpeg = findOnPath("ffmpeg");
        if (_ffmpeg.empty())
            throw UsageError("a video needs ffmpeg, which is not on PATH (scripts/install-deps installs it)");
    }
}
