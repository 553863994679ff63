#pragma once

#include "cli/RenderOptions.hpp"

#include <filesystem>

// Checks, before any work starts, what the command line alone cannot show:
// that every output can be written where it is asked for, that no two
// outputs or frames share a file, and that ffmpeg is there when a video is
// asked for.
// Throws OptionError with a one-line reason.
class Preflight {
public:
    explicit Preflight(const RenderOptions& options);

    // Where ffmpeg was found; empty when no video is asked for.
    const std::filesystem::path& ffmpeg() const { return _ffmpeg; }

private:
    std::filesystem::path _ffmpeg;
};
