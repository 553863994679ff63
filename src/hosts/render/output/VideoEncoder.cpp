#include "output/VideoEncoder.hpp"

#include <bit>
#include <stdexcept>

namespace {

std::vector<std::string> encoding(VideoEncoder::Container container)
{
    // H.264 and VP9 in 4:2:0 need even sides: an odd one gets a black row or column.
    const std::string evenSides = "pad=ceil(iw/2)*2:ceil(ih/2)*2";
    switch (container) {
    case VideoEncoder::Container::Mp4:
        return { "-vf", evenSides, "-c:v", "libx264", "-preset", "medium", "-crf", "18", "-pix_fmt", "yuv420p",
            "-movflags", "+faststart", "-f", "mp4" };
    case VideoEncoder::Container::Webm:
        return { "-vf", evenSides, "-c:v", "libvpx-vp9", "-crf", "31", "-b:v", "0", "-deadline", "good",
            "-cpu-used", "4", "-row-mt", "1", "-pix_fmt", "yuv420p", "-f", "webm" };
    case VideoEncoder::Container::Gif:
        // A palette of its own for every frame: one shared palette would keep all frames in memory.
        return { "-vf", "split[a][b];[a]palettegen=stats_mode=single[p];[b][p]paletteuse=new=1", "-f", "gif" };
    }
    return {};
}

std::vector<std::string> arguments(
    VideoEncoder::Container container, int width, int height, int framesPerSecond, const std::string& output)
{
    // ARGB32 pixels are native-endian words: B, G, R, A in memory on a little-endian machine.
    std::string pixelFormat = std::endian::native == std::endian::little ? "bgra" : "argb";
    std::vector<std::string> result { "-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo", "-pix_fmt",
        pixelFormat, "-video_size", std::to_string(width) + "x" + std::to_string(height), "-framerate",
        std::to_string(framesPerSecond), "-i", "pipe:0", "-an" };
    for (std::string& argument : encoding(container))
        result.push_back(std::move(argument));
    // The temporary name hides the extension, hence the explicit -f above.
    result.push_back(output);
    return result;
}

}

VideoEncoder::VideoEncoder(std::filesystem::path target, Container container, const std::filesystem::path& ffmpeg,
    int width, int height, int framesPerSecond)
    : _file(std::move(target))
    , _ffmpeg(ffmpeg, arguments(container, width, height, framesPerSecond, _file.temporaryPath().string()))
{
}

void VideoEncoder::addFrame(const ImageView& image, int)
{
    if (!writePixels(image))
        fail(_ffmpeg.closeAndWait());
}

void VideoEncoder::finish(const ImageView&)
{
    if (int status = _ffmpeg.closeAndWait(); status != 0)
        fail(status);
}

void VideoEncoder::commit()
{
    _file.commit();
}

bool VideoEncoder::writePixels(const ImageView& image)
{
    const std::uint8_t* row = image.pixels;
    auto rowBytes = static_cast<std::size_t>(image.width) * 4;
    if (static_cast<std::size_t>(image.stride) == rowBytes)
        return _ffmpeg.write(row, rowBytes * static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y, row += image.stride) {
        if (!_ffmpeg.write(row, rowBytes))
            return false;
    }
    return true;
}

void VideoEncoder::fail(int status) const
{
    throw std::runtime_error("ffmpeg could not write '" + _file.target().string() + "' (exit status "
        + std::to_string(status) + ")");
}
