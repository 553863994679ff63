// A check of days of animation, too long for a test: renders one creature for
// 30 million frames (11.6 days at 30 frames a second) without drawing, then
// shows each fin's phase advancing by about its own increment in one more
// frame. Exits 1 when a fin has stopped waving.
//
// usage: long_run_check [FRAMES] [SEED]

#include "creatures/Vorpi.hpp"
#include "platform/RandomSources.hpp"
#include "saver/FrameContext.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    long long frames = argc > 1 ? std::atoll(argv[1]) : 30'000'000;
    auto seed = static_cast<std::uint32_t>(argc > 2 ? std::atoll(argv[2]) : 1);
    RandomSources sources = RandomSources::seeded(seed);
    FrameContext context(sources);
    Vorpi creature(5, QZColor(120, 80, 200));
    PVector position(400, 300);
    QZColor colorCounter(0, 0, 0);
    for (long long frame = 0; frame < frames; ++frame)
        creature.render_Vorpi(position, 0, colorCounter);
    // The frame that folds the phases back into one turn moves them back: measure the one after it.
    if ((creature.getRenderCount() + 1) % Vorpi::phaseFoldInterval == 0) {
        creature.render_Vorpi(position, 0, colorCounter);
        ++frames;
    }

    std::vector<float> before = creature.getCounters();
    creature.render_Vorpi(position, 0, colorCounter);
    std::printf("after %lld frames (seed %u)\n%4s %14s %14s %14s %10s\n", frames, static_cast<unsigned>(seed),
        "fin", "phase", "increment", "advanced by", "off by");
    bool allWave = true;
    for (std::size_t i = 0; i < before.size(); ++i) {
        float increment = creature.getFins()[i].getCounter();
        float advanced = creature.getCounters()[i] - before[i];
        double off = increment > 0 ? std::fabs(advanced - increment) / increment : 0;
        bool waves = increment == 0 || advanced > 0;
        allWave = allWave && waves;
        std::printf("%4zu %14.6g %14.6g %14.6g %9.3g%%%s\n", i, static_cast<double>(before[i]),
            static_cast<double>(increment), static_cast<double>(advanced), off * 100, waves ? "" : "  STOPPED");
    }
    std::printf(allWave ? "every fin still waves\n" : "a fin has stopped waving\n");
    return allWave ? 0 : 1;
}
