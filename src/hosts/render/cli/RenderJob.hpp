#pragma once

#include "cli/RenderOptions.hpp"

#include <cstdint>
#include <filesystem>

// One run of the renderer: seeds the random sources, builds the surfaces and
// outputs that the options ask for, runs the frames and then puts every
// finished file in place. A failure throws std::runtime_error and a signal
// Interruption::Raised; either way no temporary file outlives the run.
class RenderJob {
public:
    // `ffmpeg` is needed only for a video.
    RenderJob(const RenderOptions& options, std::uint32_t seed, std::filesystem::path ffmpeg);

    void run();

private:
    const RenderOptions& _options;
    std::uint32_t _seed;
    std::filesystem::path _ffmpeg;
};
