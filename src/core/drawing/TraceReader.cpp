#include "drawing/TraceReader.hpp"

#include <charconv>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

[[noreturn]] void malformed(int line, std::string_view text)
{
    throw std::runtime_error("trace line " + std::to_string(line) + " is not a frame, color or stroke line: '"
        + std::string(text.substr(0, 80)) + "'");
}

// Reads `count` numbers separated by single spaces that make up all of `text`.
bool readNumbers(std::string_view text, double* values, int count)
{
    const char* at = text.data();
    const char* end = text.data() + text.size();
    for (int i = 0; i < count; ++i) {
        if (at == end || *at != ' ')
            return false;
        auto [next, error] = std::from_chars(at + 1, end, values[i]);
        if (error != std::errc())
            return false;
        at = next;
    }
    return at == end;
}

}

void TraceReader::Call::replay(DrawingSurface& surface) const
{
    if (kind == Kind::Color)
        surface.setColor(values[0], values[1], values[2], values[3]);
    else
        surface.strokeSegment(values[0], values[1], values[2], values[3], values[4]);
}

TraceReader TraceReader::parse(std::string_view text)
{
    TraceReader trace;
    int lineNumber = 0;
    while (!text.empty()) {
        std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        ++lineNumber;

        Call call { Call::Kind::Color, {}, lineNumber };
        if (line.starts_with("frame ")) {
            int number = 0;
            auto [end, error] = std::from_chars(line.data() + 6, line.data() + line.size(), number);
            if (error != std::errc() || end != line.data() + line.size() || number != trace.frameCount() + 1)
                malformed(lineNumber, line);
            trace._frameStarts.push_back(trace._calls.size());
            continue;
        }
        if (line.starts_with("color") && readNumbers(line.substr(5), call.values.data(), 4)) {
            call.kind = Call::Kind::Color;
        } else if (line.starts_with("stroke") && readNumbers(line.substr(6), call.values.data(), 5)) {
            call.kind = Call::Kind::Stroke;
        } else {
            malformed(lineNumber, line);
        }
        if (trace._frameStarts.empty())
            malformed(lineNumber, line);
        trace._calls.push_back(call);
    }
    return trace;
}

TraceReader TraceReader::load(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    if (!file)
        throw std::runtime_error("cannot read the trace '" + path.string() + "'");
    return parse(text.str());
}

void TraceReader::replayFrame(int number, DrawingSurface& surface) const
{
    std::size_t first = _frameStarts.at(static_cast<std::size_t>(number) - 1);
    std::size_t end = number < frameCount() ? _frameStarts[static_cast<std::size_t>(number)] : _calls.size();
    for (std::size_t i = first; i < end; ++i)
        _calls[i].replay(surface);
}
