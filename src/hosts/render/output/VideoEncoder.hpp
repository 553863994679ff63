#pragma once

#include "output/AtomicFile.hpp"
#include "output/FrameSink.hpp"
#include "output/PipedProcess.hpp"

// Encodes the frames into a video by piping their raw pixels to ffmpeg, which
// writes a temporary file beside the target. The video is good only when
// ffmpeg exits 0 and has said nothing: it reports some errors with status 0.
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
    // The last line ffmpeg gave, the target named in it; empty while it has said nothing.
    std::string reason() const;
    [[noreturn]] void fail(int ffmpegStatus) const;

    AtomicFile _file;
    // What ffmpeg is told to write: the temporary file.
    std::string _url;
    PipedProcess _ffmpeg;
};
