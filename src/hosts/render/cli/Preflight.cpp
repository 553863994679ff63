#include "cli/Preflight.hpp"

#include "cli/UsageError.hpp"
#include "output/AtomicFile.hpp"
#include "output/FramePathPattern.hpp"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// The temporary file beside the target is named ".<name>.tmp-XXXXXX".
constexpr std::size_t temporaryNameAdds = 12;

// `destination` is where writing `path` lands, its links followed.
void requireWritable(const std::filesystem::path& path, const std::filesystem::path& destination)
{
    std::filesystem::path directory = destination.parent_path();
    auto refuse = [&](const std::string& reason) {
        throw UsageError("cannot write '" + path.string() + "': " + reason);
    };
    if (directory.empty())
        directory = ".";
    struct stat status;
    if (stat(directory.c_str(), &status) != 0)
        refuse(errno == ENOENT ? "directory '" + directory.string() + "' does not exist" : std::strerror(errno));
    if (!S_ISDIR(status.st_mode))
        refuse("'" + directory.string() + "' is not a directory");
    if (access(directory.c_str(), W_OK | X_OK) != 0)
        refuse("directory '" + directory.string() + "' is not writable");
    long longestName = pathconf(directory.c_str(), _PC_NAME_MAX);
    if (longestName > 0 && destination.filename().string().size() > static_cast<std::size_t>(longestName))
        refuse("the name is longer than the " + std::to_string(longestName) + " bytes the file system allows");
    if (destination.string().size() + temporaryNameAdds >= PATH_MAX)
        refuse("the path is longer than the " + std::to_string(PATH_MAX - temporaryNameAdds) + " bytes allowed");
    // The finished file is renamed over the target, which would replace a device or a pipe.
    if (stat(destination.c_str(), &status) != 0) {
        if (errno != ENOENT)
            refuse(std::strerror(errno));
    } else if (!S_ISREG(status.st_mode)) {
        refuse(S_ISDIR(status.st_mode) ? "it is a directory" : "it is not a regular file");
    }
}

// ffmpeg reads raw frames only when 8 x (width + 128) x (height + 128) stays
// below 2^31 - 1; the sides here are the encoder's, rounded up to even.
void requireVideoSize(const std::filesystem::path& path, int width, int height)
{
    auto padded = [](int side) { return static_cast<long long>(side + side % 2) + 128; };
    if (8 * padded(width) * padded(height) < std::numeric_limits<int>::max())
        return;
    throw UsageError("cannot write '" + path.string() + "': ffmpeg takes a video only while (width + 128) x (height"
        + " + 128) stays below 268435456, as 16384x16128 does, and " + std::to_string(width) + "x"
        + std::to_string(height) + " does not");
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
    // Where each file lands, links and "..", "." followed, by the name it was given.
    std::map<std::filesystem::path, std::filesystem::path> targets;
    std::vector<std::pair<FramePathPattern, std::filesystem::path>> patterns;
    auto claim = [&](const std::filesystem::path& path) {
        std::filesystem::path destination = AtomicFile::destinationOf(path);
        requireWritable(path, destination);
        std::filesystem::path key = std::filesystem::weakly_canonical(std::filesystem::absolute(destination));
        if (auto [earlier, added] = targets.emplace(key, path); !added)
            throw UsageError("cannot write '" + path.string() + "': '" + earlier->second.string()
                + "' is the same file");
    };

    bool video = false;
    for (const RenderOptions::Output& output : options.outputs) {
        if (output.numbered)
            patterns.emplace_back(*FramePathPattern::parse(output.path), output.path);
        claim(output.path);
        if (output.format != RenderOptions::Format::Png) {
            requireVideoSize(output.path, options.width, options.height);
            video = true;
        }
    }
    if (options.trace && *options.trace != "-")
        claim(*options.trace);
    // A frame of a numbered sequence must not land on another output.
    for (const auto& [pattern, given] : patterns) {
        std::filesystem::path directory = std::filesystem::weakly_canonical(
            std::filesystem::absolute(pattern.directory().empty() ? "." : pattern.directory()));
        for (const auto& [key, path] : targets) {
            if (path == given || key.parent_path() != directory)
                continue;
            if (std::optional<int> frame = pattern.numberIn(key.filename().string()); frame && *frame <= options.frames)
                throw UsageError("cannot write '" + path.string() + "': frame " + std::to_string(*frame) + " of '"
                    + given.string() + "' is the same file");
        }
    }
    if (video) {
        _ffmpeg = findOnPath("ffmpeg");
        if (_ffmpeg.empty())
            throw UsageError("a video needs ffmpeg, which is not on PATH (install the Debian package ffmpeg)");
    }
}
