// vorpi: drifting tentacled creatures as an X screen saver, for XScreenSaver,
// xsecurelock or a window of their own.

#include "options/HostOptions.hpp"
#include "loop/StopSignals.hpp"
#include "loop/X11Host.hpp"
#include "present/UnmarkedSegment.hpp"
#include "platform/RandomSources.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <random>

namespace {

// Standard output is flushed only at exit, where a failure would go unnoticed.
int printed()
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    std::fprintf(stderr, "vorpi: cannot write to standard output: %s\n", std::strerror(errno));
    return 1;
}

}

int main(int argc, char** argv)
{
    try {
        HostOptions options = HostOptions::parse({ argv + 1, static_cast<std::size_t>(argc - 1) },
            std::getenv("XSCREENSAVER_WINDOW"));
        if (options.action == HostOptions::Action::ShowHelp) {
            std::printf("usage: %s\n%s", HostOptions::synopsis(), HostOptions::help());
            return printed();
        }
        if (options.action == HostOptions::Action::ShowVersion) {
            std::printf("vorpi %s\n", VORPI_VERSION);
            return printed();
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
