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
    // -xerror: ffmpeg 5.1 exits 0 after some errors (a trailer it could not write), but still says so.
    std::vector<std::string> result { "-hide_banner", "-loglevel", "error", "-xerror", "-y", "-f", "rawvideo", "-pix_fmt",
        pixelFormat, "-video_size", std::to_string(width) + "x" + std::to_string(height), "-framerate",
        std::to_string(framesPerSecond), "-i", "pipe:0", "-an" };
    for (std::string& argument : encoding(container))
        result.push_back(std::move(argument));
    // The temporary name hides the extension, hence the explicit -f above.
    result.push_back(output);
    return result;
}

// An absolute path with the file protocol named, so that ffmpeg takes no part
// of it for a protocol ("2026-12-06T18:00/v.mp4", "file:x/v.mp4") or an option ("-x/v.mp4").
std::string urlOf(const std::filesystem::path& path)
{
    return "file:" + std::filesystem::absolute(path).string();
}

// At -loglevel error, whatever ffmpeg says is an error; its last line says
// why, the lines before it what it was doing: "[out#0/mp4 @ 0x55d0c3a0] Error
// writing trailer of file:/tmp/.v.mp4.tmp-Xq3Rk2: No space left on device".
// The last line it is, without the component's tag, and with the hidden
// temporary file that ffmpeg knows the output by replaced by the target.
std::string ffmpegsReason(const std::string& messages, const std::string& url, const std::string& target)
{
    std::size_t end = messages.find_last_not_of(" \r\n");
    if (end == std::string::npos)
        return {};
    std::size_t start = messages.find_last_of("\r\n", end);
    start = start == std::string::npos ? 0 : start + 1;
    std::string line = messages.substr(start, end + 1 - start);
    if (line.starts_with('[') && line.find("] ") != std::string::npos)
        line.erase(0, line.find("] ") + 2);
    for (std::size_t at; (at = line.find(url)) != std::string::npos;)
        line.replace(at, url.size(), target);
    return line;
}

}

VideoEncoder::VideoEncoder(std::filesystem::path target, Container container, const std::filesystem::path& ffmpeg,
    int width, int height, int framesPerSecond)
    : _file(std::move(target))
    , _url(urlOf(_file.temporaryPath()))
    , _ffmpeg(ffmpeg, arguments(container, width, height, framesPerSecond, _url))
{
}

void VideoEncoder::addFrame(const ImageView& image, int)
{
    if (!writePixels(image))
        fail(_ffmpeg.closeAndWait());
}

void VideoEncoder::finish(const ImageView&)
{
    int status = _ffmpeg.closeAndWait();
    if (status != 0 || !reason().empty())
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

std::string VideoEncoder::reason() const
{
    return ffmpegsReason(_ffmpeg.standardError(), _url, _file.target().string());
}

void VideoEncoder::fail(int status) const
{
    std::string why = reason();
    throw std::runtime_error("ffmpeg could not write '" + _file.target().string() + "'"
        + (why.empty() ? " (exit status " + std::to_string(status) + ")" : ": " + why));
}
