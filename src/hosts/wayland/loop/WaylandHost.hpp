#pragma once

#include "client/Connection.hpp"
#include "client/Globals.hpp"
#include "input/SeatInput.hpp"
#include "loop/FpsReport.hpp"
#include "loop/StopSignals.hpp"
#include "options/WaylandOptions.hpp"
#include "surface/SaverSurface.hpp"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>

// vorpi-wayland's loop: one SaverSurface on every output, made as outputs
// come and dropped as they go, each drawing when its frame is due; in saver
// mode every seat's input is watched for what ends it. It sleeps in between,
// until the compositor sends an event, a stop signal comes or a deadline
// passes.
class WaylandHost {
public:
    // Connects to the compositor; throws with a one-line reason when it cannot, or when the compositor lacks layer-shell.
    WaylandHost(const WaylandOptions& options, StopSignals& stopSignals);

    // Returns when the saver is ended by input or a stop signal has come; throws when the connection fails.
    void run();

private:
    void takeRegistryNews();
    std::optional<FrameClock::Clock::time_point> wakeUp() const;

    const WaylandOptions& _options;
    StopSignals& _stopSignals;
    Connection _connection;
    Globals _globals;
    std::uint32_t _nextSeed;
    // By the registry name of their output or seat.
    std::map<std::uint32_t, std::unique_ptr<SaverSurface>> _surfaces;
    std::map<std::uint32_t, std::unique_ptr<SeatInput>> _seats;
    bool _inputEnded = false;
    std::optional<FpsReport> _fps;
};
