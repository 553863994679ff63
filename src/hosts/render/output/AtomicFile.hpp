#pragma once

#include <cstdio>
#include <filesystem>
#include <vector>

// A file written under a temporary name beside its target and renamed onto
// the target only once complete and on disk. Dropped before commit(), it
// removes the temporary file, so a failed or interrupted run leaves nothing
// half-written. A target that is a symbolic link has the file it points to
// replaced, or created when it does not exist yet. A replaced file keeps its
// permissions; a new one gets those any new file would get.
class AtomicFile {
public:
    // The names that writing `target` goes through: `target` itself, then what
    // each symbolic link points to in turn. The last is where the file lands,
    // even when it does not exist yet.
    static std::vector<std::filesystem::path> linkChain(const std::filesystem::path& target);
    static std::filesystem::path destinationOf(const std::filesystem::path& target) { return linkChain(target).back(); }

    // Creates the temporary file at once; throws std::runtime_error if it cannot.
    explicit AtomicFile(std::filesystem::path target);
    // Says so on standard error when the temporary file cannot be removed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    const std::filesystem::path& target() const { return _target; }
    // Where the content goes until commit(); another process (ffmpeg) may write it by name.
    const std::filesystem::path& temporaryPath() const { return _temporary; }
    // A buffered stream on the temporary file, for writing the content here.
    std::FILE* stream();

    // Flushes the file to disk and closes it, reporting any write error, and
    // renames it onto the target.
    void commit();

private:
    std::filesystem::path _target;
    std::filesystem::path _destination;
    std::filesystem::path _temporary;
    // The temporary file's directory, which still finds the file once the directory has been moved.
    int _directory = -1;
    int _descriptor = -1;
    std::FILE* _stream = nullptr;
    bool _committed = false;
};
