#include "loop/WaylandHost.hpp"

#include <algorithm>
#include <random>

WaylandHost::WaylandHost(const WaylandOptions& options, StopSignals& stopSignals)
    : _options(options)
    , _stopSignals(stopSignals)
    , _globals(_connection)
    , _nextSeed(options.seed.value_or(0))
{
    if (options.showFps)
        _fps.emplace(FrameClock::Clock::now());
}

void WaylandHost::run()
{
    while (!_inputEnded) {
        takeRegistryNews();
        auto now = FrameClock::Clock::now();
        for (auto& [name, surface] : _surfaces)
            if (surface->advance(now) && _fps)
                _fps->frameDrawn();
        std::erase_if(_surfaces, [](const auto& named) { return named.second->isClosed(); });
        if (_fps)
            _fps->update(now, _surfaces.size());
        if (_connection.wait(_stopSignals.fd(), wakeUp()) && _stopSignals.arrived())
            return;
    }
}

void WaylandHost::takeRegistryNews()
{
    for (Globals::Announced output : _globals.takeNewOutputs()) {
        // A fresh seed for each output unless one was given, so that each goes its own way.
        std::uint32_t seed = _options.seed ? _nextSeed++ : std::random_device()();
        _surfaces[output.name] = std::make_unique<SaverSurface>(_globals, _globals.bindOutput(output), _options, seed);
    }
    for (Globals::Announced seat : _globals.takeNewSeats())
        if (!_options.background)
            _seats[seat.name] = std::make_unique<SeatInput>(_globals.bindSeat(seat), _inputEnded);
    for (std::uint32_t name : _globals.takeRemoved()) {
        _surfaces.erase(name);
        _seats.erase(name);
    }
}

std::optional<FrameClock::Clock::time_point> WaylandHost::wakeUp() const
{
    std::optional<FrameClock::Clock::time_point> earliest;
    if (_fps)
        earliest = _fps->nextReport();
    for (const auto& [name, surface] : _surfaces)
        if (auto wake = surface->wakeUp())
            earliest = std::min(earliest.value_or(*wake), *wake);
    return earliest;
}
