// vorpi-wayland: drifting tentacled creatures over every output of a Wayland
// desktop with wlr-layer-shell, as a screen saver or an animated wallpaper.

#include "loop/StopSignals.hpp"
#include "loop/WaylandHost.hpp"
#include "options/WaylandOptions.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Standard output is flushed only at exit, where a failure would go unnoticed.
int printed()
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    std::fprintf(stderr, "vorpi-wayland: cannot write to standard output: %s\n", std::strerror(errno));
    return 1;
}

}

int main(int argc, char** argv)
{
    try {
        WaylandOptions options = WaylandOptions::parse({ argv + 1, argv + argc });
        if (options.action == WaylandOptions::Action::ShowHelp) {
            std::printf("usage: %s\n%s", WaylandOptions::synopsis(), WaylandOptions::help());
            return printed();
        }
        if (options.action == WaylandOptions::Action::ShowVersion) {
            std::printf("vorpi-wayland %s\n", VORPI_VERSION);
            return printed();
        }
        StopSignals stopSignals;
        WaylandHost host(options, stopSignals);
        host.run();
        if (stopSignals.arrived())
            stopSignals.endBySignal();
        return 0;
    } catch (const OptionError& error) {
        std::fprintf(stderr, "vorpi-wayland: %s; usage: %s\n", error.what(), WaylandOptions::synopsis());
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vorpi-wayland: %s\n", error.what());
        return 1;
    }
}
