#include "client/Globals.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

// damage_buffer came with wl_compositor 4; the other versions are the newest whose events this program handles.
constexpr std::uint32_t compositorVersion = 4;
constexpr std::uint32_t layerShellVersion = 3;
constexpr std::uint32_t outputVersion = 3;
constexpr std::uint32_t seatVersion = 3;

template <typename Object>
Object* bind(wl_registry* registry, std::uint32_t name, const wl_interface& interface, std::uint32_t version)
{
    return static_cast<Object*>(wl_registry_bind(registry, name, &interface, version));
}

}

Globals::Globals(Connection& connection)
    : _registry(wl_display_get_registry(connection.display()))
{
    static const wl_registry_listener listener = {
        .global = [](void* data, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t version) {
            static_cast<Globals*>(data)->announced(name, interface, version);
        },
        .global_remove = [](void* data, wl_registry*, std::uint32_t name) { static_cast<Globals*>(data)->withdrawn(name); },
    };
    wl_registry_add_listener(_registry.get(), &listener, this);
    connection.roundtrip();
    if (!_layerShell)
        throw std::runtime_error("the compositor offers no wlr-layer-shell, which vorpi-wayland needs to cover the screen"
                                 " (GNOME has none; sway, Hyprland, Wayfire, river, labwc, niri and KDE Plasma have it)");
    if (!_compositor || !_shm)
        throw std::runtime_error("the compositor offers no wl_compositor of version 4 or no wl_shm");
}

void Globals::announced(std::uint32_t name, const char* interface, std::uint32_t version)
{
    wl_registry* registry = _registry.get();
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && version >= compositorVersion)
        _compositor.reset(bind<wl_compositor>(registry, name, wl_compositor_interface, compositorVersion));
    else if (std::strcmp(interface, wl_shm_interface.name) == 0)
        _shm.reset(bind<wl_shm>(registry, name, wl_shm_interface, 1));
    else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0)
        _layerShell.reset(bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface,
            std::min(version, layerShellVersion)));
    else if (std::strcmp(interface, wp_viewporter_interface.name) == 0)
        _viewporter.reset(bind<wp_viewporter>(registry, name, wp_viewporter_interface, 1));
    else if (std::strcmp(interface, wp_fractional_scale_manager_v1_interface.name) == 0)
        _fractionalScale.reset(bind<wp_fractional_scale_manager_v1>(registry, name,
            wp_fractional_scale_manager_v1_interface, 1));
    else if (std::strcmp(interface, wl_output_interface.name) == 0)
        _newOutputs.push_back({ name, std::min(version, outputVersion) });
    else if (std::strcmp(interface, wl_seat_interface.name) == 0)
        _newSeats.push_back({ name, std::min(version, seatVersion) });
}

void Globals::withdrawn(std::uint32_t name)
{
    // One the loop has not taken yet is simply forgotten.
    auto named = [name](Announced announced) { return announced.name == name; };
    if (std::erase_if(_newOutputs, named) + std::erase_if(_newSeats, named) == 0)
        _removed.push_back(name);
}

wl_output* Globals::bindOutput(Announced output) const
{
    return bind<wl_output>(_registry.get(), output.name, wl_output_interface, output.version);
}

wl_seat* Globals::bindSeat(Announced seat) const
{
    return bind<wl_seat>(_registry.get(), seat.name, wl_seat_interface, seat.version);
}
