#pragma once

#include "fractional-scale-v1.h"
#include "viewporter.h"
#include "wlr-layer-shell-unstable-v1.h"

#include <wayland-client.h>

#include <memory>

// Lets go of a protocol object: with its destructor request where the
// compositor must hear of it, otherwise on this side alone (the globals,
// which live as long as the connection).
struct ProxyDeleter {
    template <typename Object>
    void operator()(Object* object) const { wl_proxy_destroy(reinterpret_cast<wl_proxy*>(object)); }

    void operator()(wl_display* display) const { wl_display_disconnect(display); }
    void operator()(wl_surface* surface) const { wl_surface_destroy(surface); }
    void operator()(wl_buffer* buffer) const { wl_buffer_destroy(buffer); }
    void operator()(wl_region* region) const { wl_region_destroy(region); }
    void operator()(wp_viewport* viewport) const { wp_viewport_destroy(viewport); }
    void operator()(wp_fractional_scale_v1* scale) const { wp_fractional_scale_v1_destroy(scale); }
    void operator()(zwlr_layer_surface_v1* layer) const { zwlr_layer_surface_v1_destroy(layer); }
    void operator()(wl_output* output) const
    {
        wl_output_get_version(output) >= WL_OUTPUT_RELEASE_SINCE_VERSION ? wl_output_release(output) : wl_output_destroy(output);
    }
    void operator()(wl_seat* seat) const
    {
        wl_seat_get_version(seat) >= WL_SEAT_RELEASE_SINCE_VERSION ? wl_seat_release(seat) : wl_seat_destroy(seat);
    }
    void operator()(wl_keyboard* keyboard) const
    {
        wl_keyboard_get_version(keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION ? wl_keyboard_release(keyboard)
                                                                               : wl_keyboard_destroy(keyboard);
    }
    void operator()(wl_pointer* pointer) const
    {
        wl_pointer_get_version(pointer) >= WL_POINTER_RELEASE_SINCE_VERSION ? wl_pointer_release(pointer)
                                                                            : wl_pointer_destroy(pointer);
    }
    void operator()(wl_touch* touch) const
    {
        wl_touch_get_version(touch) >= WL_TOUCH_RELEASE_SINCE_VERSION ? wl_touch_release(touch) : wl_touch_destroy(touch);
    }
};

template <typename Object>
using Proxy = std::unique_ptr<Object, ProxyDeleter>;
