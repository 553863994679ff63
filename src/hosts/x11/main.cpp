// vorpi: drifting tentacled creatures as an X screen saver, for XScreenSaver,
// xsecurelock or a window of their own.

#include "loop/StopSignals.hpp"
#include "loop/X11Host.hpp"
#include "options/HostOptions.hpp"
#include "options/StandardStreams.hpp"
#include "present/UnmarkedSegment.hpp"
#include "platform/RandomSources.hpp"

#include <cstdio>
#include <cstdlib>
#include <random>

int main(int argc, char** argv)
{
    StandardStreams::secure();
    try {
        HostOptions options = HostOptions::parse({ argv + 1, argv + argc }, std::getenv("XSCREENSAVER_WINDOW"));
        if (options.action == HostOptions::Action::ShowHelp) {
            std::printf("usage: %s\n%s", HostOptions::synopsis(), HostOptions::help());
            return StandardStreams::flushed("vorpi");
        }
        if (options.action == HostOptions::Action::ShowVersion) {
            std::printf("vorpi %s\n", VORPI_VERSION);
            return StandardStreams::flushed("vorpi");
        }
        StopSignals stopSignals;
        // A segment not yet marked would outlive an exit by the signal's deadline.
        StopSignals::setLastAct(UnmarkedSegment::markForRemoval);
        // A fresh seed by default, so that each monitor's copy goes its own way.
        X11Host host(options, RandomSources::seeded(options.seed.value_or(std::random_device()())), stopSignals);
        host.run();
        if (stopSignals.arrived())
            stopSignals.endBySignal();
        return 0;
    } catch (const OptionError& error) {
        std::fprintf(stderr, "vorpi: %s; usage: %s\n", error.what(), HostOptions::synopsis());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vorpi: %s\n", error.what());
        return 1;
    }
}
