// vorpi-render: runs the screen saver off screen and records it. See --help.

#include "cli/CommandLine.hpp"
#include "cli/Interruption.hpp"
#include "cli/Preflight.hpp"
#include "options/Printable.hpp"
#include "cli/RenderJob.hpp"
#include "options/OptionError.hpp"
#include "options/StandardStreams.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Arguments show up in messages, and a newline or a terminal escape in one must not.
int complain(const char* message, int exitStatus)
{
    std::fprintf(stderr, "vorpi-render: %s\n", printable(message).c_str());
    return exitStatus;
}

}

int main(int argc, char** argv)
{
    StandardStreams::secure();
    Interruption::install();
    try {
        RenderOptions options = CommandLine::parse(std::vector<std::string>(argv + 1, argv + argc));
        if (options.help || options.version) {
            if (options.help)
                std::fputs(CommandLine::usage().c_str(), stdout);
            else
                std::printf("vorpi-render %s\n", VORPI_VERSION);
            return StandardStreams::flushed("vorpi-render");
        }
        Preflight preflight(options);
        if (options.trace == "-" && !StandardStreams::outputWasWritable())
            throw std::runtime_error(std::string("cannot write the trace to standard output: ") + std::strerror(EBADF));
        if (!options.seed) {
            options.seed = std::random_device()();
            std::fprintf(stderr, "vorpi-render: seed %u\n", static_cast<unsigned>(*options.seed));
        }
        RenderJob(options, *options.seed, preflight.ffmpeg()).run();
        return 0;
    } catch (const OptionError& error) {
        return complain(error.what(), 2);
    } catch (const Interruption::Raised&) {
        Interruption::dieOfSignal();
    } catch (const std::bad_alloc&) {
        return complain("out of memory", 1);
    } catch (const std::exception& error) {
        return complain(error.what(), 1);
    }
}
