#include "cli/Preflight.hpp"

#include "options/OptionError.hpp"
#include "options/OptionReader.hpp"
#include "output/AtomicFile.hpp"
#include "output/FramePathPattern.hpp"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <linux/magic.h>
#include <map>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The temporary file beside the target is named ".<name>.tmp-XXXXXX".
constexpr std::size_t temporaryNameAdds = 12;

std::string quoted(const fs::path& path)
{
    return OptionReader::quoted(path.string());
}

fs::path landingPlace(const fs::path& path)
{
    return fs::weakly_canonical(fs::absolute(path.empty() ? "." : path));
}

// `named` is how the messages name the file, `destination` where writing it lands, links followed.
void requireWritable(const std::string& named, const fs::path& destination)
{
    fs::path directory = destination.parent_path();
    auto refuse = [&](const std::string& reason) { throw OptionError("cannot write " + named + ": " + reason); };
    if (directory.empty())
        directory = ".";
    struct stat status;
    if (stat(directory.c_str(), &status) != 0)
        refuse(errno == ENOENT ? "directory " + quoted(directory) + " does not exist" : std::strerror(errno));
    if (!S_ISDIR(status.st_mode))
        refuse(quoted(directory) + " is not a directory");
    if (access(directory.c_str(), W_OK | X_OK) != 0)
        refuse("directory " + quoted(directory) + " is not writable");
    long longestName = pathconf(directory.c_str(), _PC_NAME_MAX);
    if (longestName > 0 && destination.filename().string().size() > static_cast<std::size_t>(longestName))
        refuse(quoted(destination.filename()) + " is longer than the " + std::to_string(longestName)
            + " bytes the file system allows in a name");
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

// /dev/stdout, /dev/fd/1 and /proc/self/fd/1 lead into /proc, where a name
// stands for a descriptor that is open now, not for a file to replace.
bool leadsIntoProc(const fs::path& path)
{
    for (const fs::path& name : AtomicFile::linkChain(path)) {
        struct statfs system;
        fs::path directory = name.parent_path().empty() ? "." : name.parent_path();
        if (statfs(directory.c_str(), &system) == 0 && system.f_type == PROC_SUPER_MAGIC)
            return true;
    }
    return false;
}

// ffmpeg reads raw frames only when 8 x (width + 128) x (height + 128) stays
// below 2^31 - 1; the sides here are the encoder's, rounded up to even.
void requireVideoSize(const std::filesystem::path& path, int width, int height)
{
    auto padded = [](int side) { return static_cast<long long>(side + side % 2) + 128; };
    if (8 * padded(width) * padded(height) < std::numeric_limits<int>::max())
        return;
    throw OptionError("cannot write '" + path.string() + "': ffmpeg takes a video only while (width + 128) x (height"
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

// A numbered output: its pattern as given, and the directory its frames land in.
struct Sequence {
    FramePathPattern pattern;
    fs::path given;
    fs::path directory;
};

// Where the run's files land, links and "..", "." followed, and how the messages name each.
class Landings {
public:
    void claim(const fs::path& path, const std::string& named)
    {
        if (leadsIntoProc(path))
            throw OptionError("cannot write " + named + ": it names an open descriptor, not a file (for standard "
                "output, use --trace -)");
        fs::path destination = AtomicFile::destinationOf(path);
        requireWritable(named, destination);
        if (auto [earlier, added] = _named.emplace(landingPlace(destination), named); !added)
            throw OptionError("cannot write " + named + ": " + earlier->second + " is the same file");
    }

    // The frames whose files exist already: one that is a link lands where the link leads.
    void claimExistingFrames(const Sequence& sequence, int lastFrame)
    {
        std::error_code error;
        for (fs::directory_iterator entry(sequence.directory, error); !error && entry != fs::directory_iterator();
             entry.increment(error)) {
            std::optional<int> frame = sequence.pattern.numberIn(entry->path().filename().string());
            if (!frame || *frame > lastFrame)
                continue;
            std::string named = "frame " + std::to_string(*frame) + " of " + quoted(sequence.given);
            if (entry->is_symlink(error))
                claim(entry->path(), named);
            else
                requireWritable(named, entry->path());
        }
    }

    void requireNoneIsAFrameOf(const Sequence& sequence, int lastFrame) const
    {
        for (const auto& [landing, named] : _named) {
            std::optional<int> frame = sequence.pattern.numberIn(landing.filename().string());
            if (landing.parent_path() == sequence.directory && frame && *frame <= lastFrame)
                throw OptionError("cannot write " + named + ": frame " + std::to_string(*frame) + " of "
                    + quoted(sequence.given) + " is the same file");
        }
    }

private:
    std::map<fs::path, std::string> _named;
};

void requireNoSharedFrame(const Sequence& first, const Sequence& second, int lastFrame)
{
    std::optional<std::string> name = second.pattern.nameSharedWith(first.pattern, lastFrame);
    if (name && first.directory == second.directory)
        throw OptionError("cannot write " + quoted(second.given) + ": its frame "
            + std::to_string(*second.pattern.numberIn(*name)) + " is frame "
            + std::to_string(*first.pattern.numberIn(*name)) + " of " + quoted(first.given) + " (" + *name + ")");
}

}

Preflight::Preflight(const RenderOptions& options)
{
    Landings landings;
    std::vector<Sequence> sequences;
    bool video = false;
    for (const RenderOptions::Output& output : options.outputs) {
        if (output.numbered) {
            FramePathPattern pattern = *FramePathPattern::parse(output.path);
            // The last frame's name is the longest.
            requireWritable("frame " + std::to_string(options.frames) + " of " + quoted(output.path),
                pattern.pathFor(options.frames));
            sequences.push_back({ pattern, output.path, landingPlace(pattern.directory()) });
        } else {
            landings.claim(output.path, quoted(output.path));
        }
        if (output.format != RenderOptions::Format::Png) {
            requireVideoSize(output.path, options.width, options.height);
            video = true;
        }
    }
    if (options.trace && *options.trace != "-")
        landings.claim(*options.trace, quoted(*options.trace));
    for (const Sequence& sequence : sequences)
        landings.claimExistingFrames(sequence, options.frames);
    for (auto sequence = sequences.begin(); sequence != sequences.end(); ++sequence) {
        landings.requireNoneIsAFrameOf(*sequence, options.frames);
        for (auto other = std::next(sequence); other != sequences.end(); ++other)
            requireNoSharedFrame(*sequence, *other, options.frames);
    }
    if (video) {
        _ffmpeg = findOnPath("ffmpeg");
        if (_ffmpeg.empty())
            throw OptionError("a video needs ffmpeg, which is not on PATH (install the Debian package ffmpeg)");
    }
}
