#include "FileText.hpp"

#include <fstream>
#include <sstream>

std::string read(const std::filesystem::path& path)
{
    return (std::ostringstream() << std::ifstream(path, std::ios::binary).rdbuf()).str();
}

std::set<std::string> namesIn(const std::filesystem::path& directory)
{
    std::set<std::string> names;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}
