#include "output/AtomicFile.hpp"

#include "options/Printable.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path, int error)
{
    throw std::runtime_error("cannot " + what + " '" + path.string() + "': " + std::strerror(error));
}

// mkstemp() creates files readable by the owner only; a finished output gets
// the permissions of the file it replaces, or those any new file would get.
mode_t permissionsFor(const std::filesystem::path& destination)
{
    static const mode_t mask = [] {
        mode_t current = umask(0);
        umask(current);
        return current;
    }();
    struct stat existing;
    if (stat(destination.c_str(), &existing) == 0)
        return existing.st_mode & 0777;
    return 0666 & ~mask;
}

// The temporary name is ".<target's name>.tmp-XXXXXX", with the target's name
// cut short where the whole would pass the file system's longest name.
std::string temporaryName(const std::filesystem::path& destination)
{
    constexpr std::size_t added = std::string_view(".").size() + std::string_view(".tmp-XXXXXX").size();
    std::filesystem::path directory = destination.parent_path().empty() ? "." : destination.parent_path();
    long longest = pathconf(directory.c_str(), _PC_NAME_MAX);
    std::string name = destination.filename().string();
    if (longest > static_cast<long>(added) && name.size() + added > static_cast<std::size_t>(longest)) {
        std::size_t keep = static_cast<std::size_t>(longest) - added;
        // Not in the middle of a UTF-8 character.
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
            --keep;
        name.resize(keep);
    }
    return "." + name + ".tmp-XXXXXX";
}

}

std::vector<std::filesystem::path> AtomicFile::linkChain(const std::filesystem::path& target)
{
    // As many links as the kernel follows in a path; a longer chain is a loop, left for the writer to report.
    constexpr int mostLinks = 40;
    std::vector<std::filesystem::path> chain { target };
    while (chain.size() <= mostLinks) {
        std::filesystem::path current = chain.back();
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, error)))
            break;
        std::filesystem::path link = std::filesystem::read_symlink(current, error);
        if (error)
            break;
        chain.push_back(link.is_absolute() ? link : current.parent_path() / link);
    }
    return chain;
}

AtomicFile::AtomicFile(std::filesystem::path target)
    : _target(std::move(target))
    , _destination(destinationOf(_target))
{
    std::filesystem::path directory = _destination.parent_path();
    _directory = open(directory.empty() ? "." : directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    std::string pattern = (directory / temporaryName(_destination)).string();
    _descriptor = _directory < 0 ? -1 : mkostemp(pattern.data(), O_CLOEXEC);
    if (_descriptor < 0) {
        int error = errno;
        if (_directory >= 0)
            close(_directory);
        fail("create a temporary file for", _target, error);
    }
    _temporary = pattern;
    fchmod(_descriptor, permissionsFor(_destination));
}

AtomicFile::~AtomicFile()
{
    if (!_committed) {
        if (_stream)
            std::fclose(_stream);
        else if (_descriptor >= 0)
            close(_descriptor);
        int error = unlinkat(_directory, _temporary.filename().c_str(), 0) == 0 ? 0 : errno;
        if (error && error != ENOENT)
            std::fprintf(stderr, "vorpi-render: cannot remove the temporary file '%s': %s\n",
                printable(_temporary.string()).c_str(), std::strerror(error));
    }
    close(_directory);
}

std::FILE* AtomicFile::stream()
{
    if (!_stream) {
        _stream = fdopen(_descriptor, "wb");
        if (!_stream)
            fail("write", _temporary, errno);
    }
    return _stream;
}

void AtomicFile::commit()
{
    int error = 0;
    if (_stream && (std::fflush(_stream) != 0 || std::ferror(_stream)))
        error = errno ? errno : EIO;
    // On disk before it replaces the target: after a crash, the old file or the new one, never a part of it.
    if (!error && fsync(_descriptor) != 0)
        error = errno;
    if ((_stream ? std::fclose(_stream) : close(_descriptor)) != 0 && !error)
        error = errno;
    _stream = nullptr;
    _descriptor = -1;
    if (error)
        fail("write", _target, error);
    if (std::rename(_temporary.c_str(), _destination.c_str()) != 0)
        fail("write", _target, errno);
    _committed = true;
}
