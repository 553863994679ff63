#include "input/SeatInput.hpp"

#include <unistd.h>

namespace {

SeatInput* self(void* data)
{
    return static_cast<SeatInput*>(data);
}

}

SeatInput::SeatInput(wl_seat* seat, bool& ended)
    : _ended(ended)
    , _seat(seat)
{
    static const wl_seat_listener listener = {
        .capabilities = [](void* data, wl_seat*, std::uint32_t offered) { self(data)->capabilities(offered); },
        .name = [](void*, wl_seat*, const char*) {},
    };
    wl_seat_add_listener(seat, &listener, this);
}

void SeatInput::capabilities(std::uint32_t offered)
{
    static const wl_keyboard_listener keyboardListener = {
        // Which key is which does not matter: any key ends the saver.
        .keymap = [](void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { close(fd); },
        // Keys held as the surface takes the keyboard are not new presses.
        .enter = [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {},
        .leave = [](void*, wl_keyboard*, std::uint32_t, wl_surface*) {},
        .key = [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
            self(data)->_ended |= state == WL_KEYBOARD_KEY_STATE_PRESSED;
        },
        .modifiers = [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
        .repeat_info = [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
    };
    static const wl_pointer_listener pointerListener = {
        .enter = [](void* data, wl_pointer*, std::uint32_t, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
            self(data)->_pointerOn = surface;
            self(data)->pointerAt(surface, x, y);
        },
        .leave = [](void* data, wl_pointer*, std::uint32_t, wl_surface*) { self(data)->_pointerOn = nullptr; },
        .motion = [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
            self(data)->pointerAt(self(data)->_pointerOn, x, y);
        },
        .button = [](void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
            self(data)->_ended |= state == WL_POINTER_BUTTON_STATE_PRESSED;
        },
        .axis = [](void* data, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) { self(data)->_ended = true; },
        .frame = [](void*, wl_pointer*) {},
        .axis_source = [](void*, wl_pointer*, std::uint32_t) {},
        .axis_stop = [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
        .axis_discrete = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
        .axis_value120 = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
    };
    static const wl_touch_listener touchListener = {
        .down = [](void* data, wl_touch*, std::uint32_t, std::uint32_t, wl_surface*, std::int32_t, wl_fixed_t, wl_fixed_t) {
            self(data)->_ended = true;
        },
        .up = [](void*, wl_touch*, std::uint32_t, std::uint32_t, std::int32_t) {},
        .motion = [](void*, wl_touch*, std::uint32_t, std::int32_t, wl_fixed_t, wl_fixed_t) {},
        .frame = [](void*, wl_touch*) {},
        .cancel = [](void*, wl_touch*) {},
        .shape = [](void*, wl_touch*, std::int32_t, wl_fixed_t, wl_fixed_t) {},
        .orientation = [](void*, wl_touch*, std::int32_t, wl_fixed_t) {},
    };

    wl_seat* seat = _seat.get();
    if (!(offered & WL_SEAT_CAPABILITY_KEYBOARD))
        _keyboard.reset();
    else if (!_keyboard) {
        _keyboard.reset(wl_seat_get_keyboard(seat));
        wl_keyboard_add_listener(_keyboard.get(), &keyboardListener, this);
    }
    if (!(offered & WL_SEAT_CAPABILITY_POINTER))
        _pointer.reset();
    else if (!_pointer) {
        _pointer.reset(wl_seat_get_pointer(seat));
        wl_pointer_add_listener(_pointer.get(), &pointerListener, this);
    }
    if (!(offered & WL_SEAT_CAPABILITY_TOUCH))
        _touch.reset();
    else if (!_touch) {
        _touch.reset(wl_seat_get_touch(seat));
        wl_touch_add_listener(_touch.get(), &touchListener, this);
    }
}

void SeatInput::pointerAt(wl_surface* surface, wl_fixed_t x, wl_fixed_t y)
{
    if (_restingOn && surface != _restingOn) {
        _ended = true;
        return;
    }
    _restingOn = surface;
    _ended |= _watch.movedTo(wl_fixed_to_int(x), wl_fixed_to_int(y));
}
