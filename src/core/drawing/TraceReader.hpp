#pragma once

#include "drawing/DrawingSurface.hpp"

#include <array>
#include <cstddef>
#include <filesystem>
#include <string_view>
#include <vector>

// Reads back what TraceSurface writes, each number to the very double it was,
// so that a recorded run can be replayed into any drawing surface.
class TraceReader {
public:
    struct Call {
        enum class Kind { Color, Stroke };
        Kind kind;
        // red, green, blue, alpha or x1, y1, x2, y2, width
        std::array<double, 5> values;
        int line;

        void replay(DrawingSurface& surface) const;
    };

    // Throw std::runtime_error naming the first line that is not a trace line.
    static TraceReader parse(std::string_view text);
    static TraceReader load(const std::filesystem::path& path);

    const std::vector<Call>& calls() const { return _calls; }
    int frameCount() const { return static_cast<int>(_frameStarts.size()); }
    // Replays the calls of frame `number` (counting from 1).
    void replayFrame(int number, DrawingSurface& surface) const;

private:
    std::vector<Call> _calls;
    std::vector<std::size_t> _frameStarts;
};
