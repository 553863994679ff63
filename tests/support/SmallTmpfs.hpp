#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

// A file system of its own, small enough for a test to fill up: a tmpfs
// mounted on an empty directory for as long as the object lives. Only the
// superuser may mount one; mounted() says whether it worked.
class SmallTmpfs {
public:
    SmallTmpfs(const std::filesystem::path& directory, std::size_t kibibytes);
    ~SmallTmpfs();
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool mounted() const { return _mounted; }
    // Takes up all the space left with a file of this name, and returns its size.
    std::uintmax_t fill(const std::filesystem::path& name) const;

private:
    std::filesystem::path _directory;
    bool _mounted;
};
