#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// What one run of the renderer is asked to do, as read from its command line.
struct RenderOptions {
    enum class Format { Png, Mp4, Webm, Gif };

    struct Output {
        std::filesystem::path path;
        Format format;
        // The file name holds a frame number (%d): one image per frame.
        bool numbered = false;
    };

    int width = 1920;
    int height = 1080;
    int frames = 300;
    // Pixels per point: the view's area is the picture's size over the scale, and every stroke is scaled up by it.
    double scale = 1;
    // Unset: a fresh seed from the operating system.
    std::optional<std::uint32_t> seed;
    bool preview = false;
    std::vector<Output> outputs;
    // "-" for standard output.
    std::optional<std::filesystem::path> trace;
    bool quiet = false;
    bool help = false;
    bool version = false;
};
