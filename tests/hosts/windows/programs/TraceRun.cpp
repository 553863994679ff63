// Writes the drawing calls of a seeded run the way vorpi-render --trace does,
// so that a run under Windows' maths can be held against the native one.
// Usage: vorpi-trace SEED WIDTH HEIGHT FRAMES OUTPUT
#include "drawing/TraceSurface.hpp"
#include "saver/ScreenSaverSession.hpp"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: vorpi-trace SEED WIDTH HEIGHT FRAMES OUTPUT\n");
        return 2;
    }
    auto seed = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));
    CGSize size { std::strtod(argv[2], nullptr), std::strtod(argv[3], nullptr) };
    int frames = std::atoi(argv[4]);
    // Binary, so that lines end as on Linux.
    std::FILE* out = std::fopen(argv[5], "wb");
    if (!out) {
        std::fprintf(stderr, "vorpi-trace: cannot write %s\n", argv[5]);
        return 1;
    }
    ScreenSaverSession session(size, false, RandomSources::seeded(seed));
    TraceSurface trace(out);
    session.start();
    for (int frame = 1; frame <= frames; ++frame) {
        trace.beginFrame(frame);
        session.frame(trace);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
