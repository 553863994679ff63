#include "FileText.hpp"

#include <fstream>
#include <sstream>

std::string read(const std::filesystem::path& path)
{
    return (std::ostringstream() << std::ifstream(path, std::ios::binary).rdbuf()).str();
}
