#include "cli/CommandLine.hpp"

#include "limits/DrawingLimits.hpp"
#include "options/OptionError.hpp"
#include "options/OptionReader.hpp"
#include "options/ScaleSetting.hpp"
#include "options/SeedSetting.hpp"
#include "options/WholeNumber.hpp"
#include "output/FramePathPattern.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <stdexcept>
#include <tuple>

namespace {

std::optional<std::pair<int, int>> parseSize(std::string_view text)
{
    std::size_t cross = text.find('x');
    if (cross == std::string_view::npos)
        return std::nullopt;
    auto width = wholeNumber(text.substr(0, cross), 1, DrawingLimits::largestSide);
    auto height = wholeNumber(text.substr(cross + 1), 1, DrawingLimits::largestSide);
    if (!width || !height)
        return std::nullopt;
    return std::pair { *width, *height };
}

std::optional<int> parseFrames(std::string_view text)
{
    return wholeNumber(text, 1, std::numeric_limits<int>::max());
}

std::string lowercase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::optional<RenderOptions::Format> formatFor(const std::string& extension)
{
    using Format = RenderOptions::Format;
    std::string lower = lowercase(extension);
    if (lower == ".png")
        return Format::Png;
    if (lower == ".mp4")
        return Format::Mp4;
    if (lower == ".webm")
        return Format::Webm;
    if (lower == ".gif")
        return Format::Gif;
    return std::nullopt;
}

void readOutput(const std::string& text, RenderOptions& options)
{
    auto refuse = [&](const std::string& reason) { throw OptionError("cannot write '" + text + "': " + reason); };
    std::filesystem::path path(text);
    std::optional<FramePathPattern> pattern;
    try {
        pattern = FramePathPattern::parse(path);
    } catch (const std::invalid_argument& malformed) {
        refuse(malformed.what());
    }
    std::string extension = pattern ? pattern->extension() : path.extension().string();
    std::optional<RenderOptions::Format> format = formatFor(extension);
    if (!format)
        refuse("unknown extension (use .png, .mp4, .webm or .gif)");
    if (pattern && *format != RenderOptions::Format::Png)
        refuse("numbered frames are written as .png images");
    options.outputs.push_back({ path, *format, pattern.has_value() });
}

}

RenderOptions CommandLine::parse(const std::vector<std::string>& arguments)
{
    RenderOptions options;
    OptionReader reader(arguments, OptionReader::Dashes::Two);
    while (std::optional<std::string> name = reader.next()) {
        if (*name != "output")
            reader.once();
        if (*name == "help" || *name == "version") {
            reader.noValue();
            (*name == "help" ? options.help : options.version) = true;
            return options;
        } else if (*name == "size") {
            std::tie(options.width, options.height) = reader.value(parseSize,
                ("WIDTHxHEIGHT, each side a whole number from 1 to " + std::to_string(DrawingLimits::largestSide)).c_str());
        } else if (*name == "scale") {
            // Off screen there is no desktop to ask: auto is 1.
            options.scale = reader.value(ScaleSetting::parse, ScaleSetting::expected).resolve(1);
        } else if (*name == "frames") {
            options.frames = reader.value(parseFrames, "a whole number from 1 to 2147483647");
        } else if (*name == "seed") {
            options.seed = reader.value(SeedSetting::parse, SeedSetting::expected);
        } else if (*name == "preview") {
            reader.noValue();
            options.preview = true;
        } else if (*name == "output") {
            readOutput(reader.value(), options);
        } else if (*name == "trace") {
            std::string path = reader.value();
            if (path.empty())
                throw OptionError("option --trace needs a file name, or - for standard output");
            options.trace = path;
        } else if (*name == "quiet") {
            reader.noValue();
            options.quiet = true;
        } else {
            reader.unknown();
        }
    }
    if (options.outputs.empty() && !options.trace)
        options.outputs.push_back({ "vorpi.png", RenderOptions::Format::Png });
    return options;
}

std::string CommandLine::usage()
{
    return R"(Usage: vorpi-render [OPTION]...
Runs the vorpi screen saver off screen, as fast as the machine allows, and
records it as an image, a video, numbered images or a trace of its drawing.

  --size WxH       area in pixels, each side 1 to 16384 (default 1920x1080)
  --scale S        pixels per point, 1 to 4 (default 1; auto is 1 here): the
                   screen saver sees an area of W/S x H/S points, drawn S times as large
  --frames N       number of frames, 30 to a second (default 300)
  --seed S         seed of the random sources, 0 to 4294967295 (default: a
                   fresh one, printed on standard error so the run can be repeated)
  --preview        create the view as the small preview
  --output PATH    write PATH, by its extension: .png the last frame; .mp4,
                   .webm or .gif the whole run as a video (needs ffmpeg); a
                   name with %d, such as frames/f%05d.png, every frame.
                   May be given more than once.
  --trace PATH     write every drawing call, one per line, to PATH (- for
                   standard output); without --output, nothing is drawn
  --quiet          no progress bar, and no closing line saying what was written
  --help           show this help and exit
  --version        show the version and exit

Without --output or --trace, writes vorpi.png. Files appear only when
complete. Exit status: 0 done, 1 failed while running, 2 bad command line.
)";
}
