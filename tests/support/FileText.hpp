#pragma once

#include <filesystem>
#include <string>

// The whole content of the file at `path`; empty when it cannot be read.
std::string read(const std::filesystem::path& path);
