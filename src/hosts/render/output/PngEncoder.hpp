#pragma once

#include "ImageView.hpp"

#include <cstdio>
#include <filesystem>

// Writes an opaque image as an 8-bit RGB PNG, with libpng.
class PngEncoder {
public:
    // Writes into `file` (which names the target in error messages); throws
    // std::runtime_error on a write error and Interruption::Raised when a
    // signal arrives on the way.
    static void write(const ImageView& image, std::FILE* file, const std::filesystem::path& target);
};
