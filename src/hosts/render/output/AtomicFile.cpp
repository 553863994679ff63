#include "output/AtomicFile.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
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

// A link is followed, so that the file it points to is replaced rather than the link itself.
std::filesystem::path followingLinks(const std::filesystem::path& target)
{
    std::error_code error;
    if (!std::filesystem::is_symlink(target, error))
        return target;
    std::filesystem::path resolved = std::filesystem::canonical(target, error);
    return error ? target : resolved;
}

}

AtomicFile::AtomicFile(std::filesystem::path target)
    : _target(std::move(target))
    , _destination(followingLinks(_target))
{
    std::filesystem::path directory = _destination.parent_path();
    std::string pattern = (directory / ("." + _destination.filename().string() + ".tmp-XXXXXX")).string();
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
