#pragma once

#include "client/Connection.hpp"
#include "client/Proxy.hpp"

#include <cstdint>
#include <utility>
#include <vector>

// The compositor's globals this program uses, bound as its registry announces
// them. Outputs and seats may come and go while the program runs: news of
// them waits here until the host's loop takes it, outside the dispatch of
// events, and the loop binds each one as it sets up what listens to it.
class Globals {
public:
    struct Announced {
        std::uint32_t name;
        std::uint32_t version;
    };

    // Reads the registry; throws with a one-line reason when the compositor
    // lacks what the program needs.
    explicit Globals(Connection& connection);
    Globals(const Globals&) = delete;
    Globals& operator=(const Globals&) = delete;

    wl_compositor* compositor() const { return _compositor.get(); }
    wl_shm* shm() const { return _shm.get(); }
    zwlr_layer_shell_v1* layerShell() const { return _layerShell.get(); }
    // Both, or neither: a preferred scale in steps of 1/120 is of no use without a viewport to show the buffer at.
    wp_fractional_scale_manager_v1* fractionalScale() const { return _viewporter ? _fractionalScale.get() : nullptr; }
    wp_viewporter* viewporter() const { return _fractionalScale ? _viewporter.get() : nullptr; }

    std::vector<Announced> takeNewOutputs() { return std::exchange(_newOutputs, {}); }
    std::vector<Announced> takeNewSeats() { return std::exchange(_newSeats, {}); }
    // The names of the globals the compositor has withdrawn.
    std::vector<std::uint32_t> takeRemoved() { return std::exchange(_removed, {}); }

    wl_output* bindOutput(Announced output) const;
    wl_seat* bindSeat(Announced seat) const;

private:
    void announced(std::uint32_t name, const char* interface, std::uint32_t version);
    void withdrawn(std::uint32_t name);

    Proxy<wl_registry> _registry;
    Proxy<wl_compositor> _compositor;
    Proxy<wl_shm> _shm;
    Proxy<zwlr_layer_shell_v1> _layerShell;
    Proxy<wp_viewporter> _viewporter;
    Proxy<wp_fractional_scale_manager_v1> _fractionalScale;
    std::vector<Announced> _newOutputs;
    std::vector<Announced> _newSeats;
    std::vector<std::uint32_t> _removed;
};
