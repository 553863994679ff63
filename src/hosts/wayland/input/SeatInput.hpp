#pragma once

#include "client/Proxy.hpp"
#include "input/PointerWatch.hpp"

// One seat's keyboard, pointer and touch, watched for what ends the saver: a
// key or a button pressed, a touch, a scroll, or the pointer moving beyond a
// few pixels from where it was first seen (into another output's surface
// counts). The devices come and go with the seat's capabilities.
class SeatInput {
public:
    // Takes the seat, which the registry has just bound; sets `ended` when the saver should end.
    SeatInput(wl_seat* seat, bool& ended);
    SeatInput(const SeatInput&) = delete;
    SeatInput& operator=(const SeatInput&) = delete;

private:
    void capabilities(std::uint32_t offered);
    void pointerAt(wl_surface* surface, wl_fixed_t x, wl_fixed_t y);

    bool& _ended;
    // Pixels in the surface's own measure (logical pixels) either way.
    PointerWatch _watch;
    // The surface the pointer was first seen on, and the one it is on now.
    wl_surface* _restingOn = nullptr;
    wl_surface* _pointerOn = nullptr;
    Proxy<wl_seat> _seat;
    Proxy<wl_keyboard> _keyboard;
    Proxy<wl_pointer> _pointer;
    Proxy<wl_touch> _touch;
};
