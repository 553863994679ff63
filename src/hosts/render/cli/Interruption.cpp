#include "cli/Interruption.hpp"

#include "loop/StopSignals.hpp"

#include <csignal>
#include <cstdlib>
#include <initializer_list>

namespace {

volatile std::sig_atomic_t caughtSignal = 0;

extern "C" void rememberSignal(int signal)
{
    caughtSignal = signal;
}

}

void Interruption::install()
{
    struct sigaction action = {};
    action.sa_handler = rememberSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : { SIGINT, SIGTERM, SIGHUP })
        sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

bool Interruption::requested()
{
    return caughtSignal != 0;
}

void Interruption::check()
{
    if (requested())
        throw Raised();
}

void Interruption::stopAsIf(int signal)
{
    caughtSignal = signal;
    throw Raised();
}

void Interruption::dieOfSignal()
{
    StopSignals::endBy(caughtSignal ? static_cast<int>(caughtSignal) : SIGTERM);
}
