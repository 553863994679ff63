// vorpi-wayland: drifting tentacled creatures over every output of a Wayland
// desktop with wlr-layer-shell, as a screen saver or an animated wallpaper.

#include "loop/StopSignals.hpp"
#include "loop/WaylandHost.hpp"
#include "options/StandardStreams.hpp"
#include "options/WaylandOptions.hpp"

#include <cstdio>

int main(int argc, char** argv)
{
    StandardStreams::secure();
    try {
        WaylandOptions options = WaylandOptions::parse({ argv + 1, argv + argc });
        if (options.action == WaylandOptions::Action::ShowHelp) {
            std::printf("usage: %s\n%s", WaylandOptions::synopsis(), WaylandOptions::help());
            return StandardStreams::flushed("vorpi-wayland");
        }
        if (options.action == WaylandOptions::Action::ShowVersion) {
            std::printf("vorpi-wayland %s\n", VORPI_VERSION);
            return StandardStreams::flushed("vorpi-wayland");
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
