#include "output/AtomicFile.hpp"

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
// the permissions any newly created file would get.
mode_t permissionsForNewFiles()
{
    static const mode_t mask = [] {
        mode_t current = umask(0);
        umask(current);
        return current;
    }();
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

std::filesystem::path AtomicFile::destinationOf(const std::filesystem::path& target)
{
    // As many links as the kernel follows in a path; a longer chain is a loop, left for the writer to report.
    constexpr int mostLinks = 40;
    std::filesystem::path current = target;
    for (int followed = 0; followed < mostLinks; ++followed) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, error)))
            return current;
        std::filesystem::path link = std::filesystem::read_symlink(current, error);
        if (error)
            return current;
        current = link.is_absolute() ? link : current.parent_path() / link;
    }
    return current;
}

AtomicFile::AtomicFile(std::filesystem::path target)
    : _target(std::move(target))
    , _destination(destinationOf(_target))
{
    std::string pattern = (_destination.parent_path() / temporaryName(_destination)).string();
    _descriptor = mkostemp(pattern.data(), O_CLOEXEC);
    if (_descriptor < 0)
        fail("create a temporary file for", _target, errno);
    _temporary = pattern;
    fchmod(_descriptor, permissionsForNewFiles());
}

AtomicFile::~AtomicFile()
{
    if (_committed)
        return;
    if (_stream)
        std::fclose(_stream);
    else
        close(_descriptor);
    unlink(_temporary.c_str());
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
    if (_stream) {
        bool failed = std::fflush(_stream) != 0 || std::ferror(_stream);
        int error = errno;
        failed = std::fclose(_stream) != 0 || failed;
        _stream = nullptr;
        _descriptor = -1;
        if (failed)
            fail("write", _target, error ? error : EIO);
    } else {
        close(_descriptor);
        _descriptor = -1;
    }
    if (std::rename(_temporary.c_str(), _destination.c_str()) != 0)
        fail("write", _target, errno);
    _committed = true;
}
