#include "loop/FpsReport.hpp"

#include <cstdio>

FpsReport::FpsReport(Clock::time_point now)
    : _since(now)
    , _processorSince(std::clock())
{
}

void FpsReport::update(Clock::time_point now, std::size_t outputs)
{
    if (now < nextReport())
        return;
    double seconds = std::chrono::duration<double>(now - _since).count();
    std::clock_t processor = std::clock();
    double busy = static_cast<double>(processor - _processorSince) / CLOCKS_PER_SEC;
    std::fprintf(stderr, "vorpi-wayland: %.1f frames a second on %zu output%s, %.1f %% of one core\n", _frames / seconds,
        outputs, outputs == 1 ? "" : "s", 100 * busy / seconds);
    _since = now;
    _processorSince = processor;
    _frames = 0;
}
