#include "cli/CommandLine.hpp"

#include "cli/UsageError.hpp"
#include "output/FramePathPattern.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <set>
#include <stdexcept>

namespace {

// A whole number in min..max written with digits only: no sign, space or exponent.
template<typename Number>
std::optional<Number> wholeNumber(std::string_view text, Number min, Number max)
{
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    Number value {};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < min || value > max)
        return std::nullopt;
    return value;
}

void readSize(const std::string& text, RenderOptions& options)
{
    std::size_t cross = text.find('x');
    std::optional<int> width, height;
    if (cross != std::string::npos) {
        width = wholeNumber(std::string_view(text).substr(0, cross), 1, RenderOptions::largestSide);
        height = wholeNumber(std::string_view(text).substr(cross + 1), 1, RenderOptions::largestSide);
    }
    if (!width || !height)
        throw UsageError("invalid --size '" + text + "': expected WIDTHxHEIGHT, each side a whole number from 1 to "
            + std::to_string(RenderOptions::largestSide));
    options.width = *width;
    options.height = *height;
}

void readFrames(const std::string& text, RenderOptions& options)
{
    constexpr int most = std::numeric_limits<int>::max();
    std::optional<int> frames = wholeNumber(text, 1, most);
    if (!frames)
        throw UsageError("invalid --frames '" + text + "': expected a whole number from 1 to " + std::to_string(most));
    options.frames = *frames;
}

void readSeed(const std::string& text, RenderOptions& options)
{
    constexpr std::uint32_t most = std::numeric_limits<std::uint32_t>::max();
    std::optional<std::uint32_t> seed = wholeNumber(text, std::uint32_t { 0 }, most);
    if (!seed)
        throw UsageError("invalid --seed '" + text + "': expected a whole number from 0 to " + std::to_string(most));
    options.seed = *seed;
}

// A number from 1 to 4 in plain decimals, such as 2 or 1.5: no sign, exponent or space.
void readScale(const std::string& text, RenderOptions& options)
{
    std::size_t point = text.find('.');
    auto digits = [](std::string_view part) {
        return !part.empty() && part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    bool plain = digits(std::string_view(text).substr(0, point))
        && (point == std::string::npos || digits(std::string_view(text).substr(point + 1)));
    double scale = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), scale, std::chars_format::fixed);
    if (!plain || error != std::errc() || end != text.data() + text.size() || scale < RenderOptions::smallestScale
        || scale > RenderOptions::largestScale)
        throw UsageError("invalid --scale '" + text + "': expected a number from 1 to 4, such as 2 or 1.5");
    options.scale = scale;
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
    auto refuse = [&](const std::string& reason) { throw UsageError("cannot write '" + text + "': " + reason); };
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
    std::set<std::string> seen;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> attached;
        if (std::size_t equals = name.find('='); name.starts_with("--") && equals != std::string::npos) {
            attached = name.substr(equals + 1);
            name.resize(equals);
        }
        auto flag = [&] {
            if (attached)
                throw UsageError("option " + name + " takes no value");
        };
        auto value = [&]() -> std::string {
            if (attached)
                return *attached;
            if (i + 1 >= arguments.size())
                throw UsageError("option " + name + " needs a value");
            return arguments[++i];
        };
        if (name != "--output" && name.starts_with("--") && !seen.insert(name).second)
            throw UsageError("option " + name + " is given more than once");

        if (name == "--help") {
            flag();
            options.help = true;
            return options;
        } else if (name == "--version") {
            flag();
            options.version = true;
            return options;
        } else if (name == "--size") {
            readSize(value(), options);
        } else if (name == "--scale") {
            readScale(value(), options);
        } else if (name == "--frames") {
            readFrames(value(), options);
        } else if (name == "--seed") {
            readSeed(value(), options);
        } else if (name == "--preview") {
            flag();
            options.preview = true;
        } else if (name == "--output") {
            readOutput(value(), options);
        } else if (name == "--trace") {
            std::string path = value();
            if (path.empty())
                throw UsageError("option --trace needs a file name, or - for standard output");
            options.trace = path;
        } else if (name == "--quiet") {
            flag();
            options.quiet = true;
        } else if (name.starts_with("-")) {
            throw UsageError("unknown option " + name + " (see --help)");
        } else {
            throw UsageError("unexpected argument '" + name + "' (see --help)");
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
  --scale S        pixels per point, 1 to 4 (default 1): the screen saver sees
                   an area of W/S x H/S points, drawn S times as large
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
