#pragma once

#include "output/AtomicFile.hpp"
#include "output/FrameSink.hpp"
#include "output/PipedProcess.hpp"

// Encodes the frames into a video by piping their raw pixels to ffmpeg, which
// writes a temporary file beside the target.
class VideoEncoder final : public FrameSink {
public:
    enum class Container { Mp4, Webm, Gif };

    VideoEncoder(std::filesystem::path target, Container container, const std::filesystem::path& ffmpeg, int width,
        int height, int framesPerSecond);

    void addFrame(const ImageView& image, int number) override;
    void finish(const ImageView& image) override;
    void commit() override;

private:
    [[nodiscard]] bool writePixels(const ImageView& image);
    [[noreturn]] void fail(int ffmpegStatus) const;

    AtomicFile _file;
    PipedProcess _ffmpeg;
};
