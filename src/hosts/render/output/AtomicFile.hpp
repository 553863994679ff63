#pragma once

#include <cstdio>
#include <filesystem>

// A file written under a temporary name beside its target and renamed onto
// the target only once complete. Dropped before commit(), it removes the
// temporary file, so a failed or interrupted run leaves nothing half-written.
// A target that is a symbolic link has the file it points to replaced, or
// created when it does not exist yet.
class AtomicFile {
public:
    // Where writing `target` puts the file: its symbolic links followed, even
    // to a file that does not exist yet.
    static std::filesystem::path destinationOf(const std::filesystem::path& target);

    // Creates the temporary file at once; throws std::runtime_error if it cannot.
    explicit AtomicFile(std::filesystem::path target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    const std::filesystem::path& target() const { return _target; }
    // Where the content goes until commit(); another process (ffmpeg) may write it by name.
    const std::filesystem::path& temporaryPath() const { return _temporary; }
    // A buffered stream on the temporary file, for writing the content here.
    std::FILE* stream();

    // Closes the file, reporting any write error, and renames it onto the target.
    void commit();

private:
    std::filesystem::path _target;
    std::filesystem::path _destination;
    std::filesystem::path _temporary;
    int _descriptor = -1;
    std::FILE* _stream = nullptr;
    bool _committed = false;
};
