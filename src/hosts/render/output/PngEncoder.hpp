#pragma once

#include "CairoCanvas.hpp"

#include <cstdio>
#include <filesystem>

// Writes a canvas as an 8-bit RGB PNG image.
class PngEncoder {
public:
    // Writes into `file` (which names the target in error messages); throws
    // std::runtime_error on a write error and Interruption::Raised when a
    // signal arrives on the way.
    static void write(const CairoCanvas& canvas, std::FILE* file, const std::filesystem::path& target);
};
