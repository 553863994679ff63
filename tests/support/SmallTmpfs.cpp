#include "SmallTmpfs.hpp"

#include <fstream>
#include <string>
#include <sys/mount.h>
#include <vector>

SmallTmpfs::SmallTmpfs(const std::filesystem::path& directory, std::size_t kibibytes)
    : _directory(directory)
    , _mounted(mount("tmpfs", directory.c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                   ("size=" + std::to_string(kibibytes) + "k,mode=700").c_str()) == 0)
{
}

SmallTmpfs::~SmallTmpfs()
{
    if (_mounted)
        umount2(_directory.c_str(), MNT_DETACH);
}

std::uintmax_t SmallTmpfs::fill(const std::filesystem::path& name) const
{
    std::ofstream out(_directory / name, std::ios::binary);
    std::vector<char> page(4096);
    while (out.write(page.data(), static_cast<std::streamsize>(page.size())) && out.flush()) {
    }
    out.close();
    return std::filesystem::file_size(_directory / name);
}
