#pragma once

#include <filesystem>
#include <set>
#include <string>

// The whole content of the file at `path`; empty when it cannot be read.
std::string read(const std::filesystem::path& path);
// The names of what is in `directory`.
std::set<std::string> namesIn(const std::filesystem::path& directory);
