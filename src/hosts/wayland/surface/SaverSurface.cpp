#include "surface/SaverSurface.hpp"

#include "limits/DrawingLimits.hpp"

#include <algorithm>
#include <stdexcept>

namespace {

// What the compositor's rules (a layer rule, a blur) know the surfaces by.
constexpr const char* layerNamespace = "vorpi";

SaverSurface* self(void* data)
{
    return static_cast<SaverSurface*>(data);
}

}

SaverSurface::SaverSurface(const Globals& globals, wl_output* output, const WaylandOptions& options, std::uint32_t seed)
    : _globals(globals)
    , _options(options)
    , _seed(seed)
    , _output(output)
    , _surface(wl_compositor_create_surface(globals.compositor()))
{
    static const wl_output_listener outputListener = {
        .geometry = [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                        const char*, const char*, std::int32_t) {},
        .mode = [](void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {},
        .done = [](void* data, wl_output*) {
            self(data)->_outputScale = self(data)->_announcedScale;
            self(data)->noteShape();
        },
        .scale = [](void* data, wl_output*, std::int32_t factor) { self(data)->_announcedScale = std::max(factor, 1); },
        .name = [](void*, wl_output*, const char*) {},
        .description = [](void*, wl_output*, const char*) {},
    };
    wl_output_add_listener(output, &outputListener, this);

    wl_surface* surface = _surface.get();
    if (globals.fractionalScale()) {
        static const wp_fractional_scale_v1_listener scaleListener = {
            .preferred_scale = [](void* data, wp_fractional_scale_v1*, std::uint32_t scale120) {
                self(data)->_scale120 = scale120;
                self(data)->noteShape();
            },
        };
        _viewport.reset(wp_viewporter_get_viewport(globals.viewporter(), surface));
        _fractionalScale.reset(wp_fractional_scale_manager_v1_get_fractional_scale(globals.fractionalScale(), surface));
        wp_fractional_scale_v1_add_listener(_fractionalScale.get(), &scaleListener, this);
    }

    bool background = options.background;
    _layer.reset(zwlr_layer_shell_v1_get_layer_surface(globals.layerShell(), surface, output,
        background ? ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND : ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, layerNamespace));
    zwlr_layer_surface_v1_set_anchor(_layer.get(),
        ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT
            | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    // Over panels and bars too, whatever room they keep for themselves.
    zwlr_layer_surface_v1_set_exclusive_zone(_layer.get(), -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(_layer.get(), background ? 0 : 1);
    if (background) {
        // Pointer and touch pass through to the desktop.
        wl_region* nowhere = wl_compositor_create_region(globals.compositor());
        wl_surface_set_input_region(surface, nowhere);
        wl_region_destroy(nowhere);
    }
    static const zwlr_layer_surface_v1_listener layerListener = {
        .configure = [](void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
                         std::uint32_t height) {
            zwlr_layer_surface_v1_ack_configure(layer, serial);
            self(data)->_width = static_cast<int>(width);
            self(data)->_height = static_cast<int>(height);
            self(data)->noteShape();
        },
        .closed = [](void* data, zwlr_layer_surface_v1*) { self(data)->_closed = true; },
    };
    zwlr_layer_surface_v1_add_listener(_layer.get(), &layerListener, this);
    wl_surface_commit(surface);
}

bool SaverSurface::advance(Clock::time_point now)
{
    if (_closed || _width <= 0 || _height <= 0)
        return false;
    if (!_picture)
        startPicture(now);
    else if (_pendingShape.isDue(now))
        reshape();
    if (_frameAsked || !_clock->isDue(now) || !_buffers->hasFreeBuffer())
        return false;
    _buffers->useFreeBuffer();
    std::vector<PixelRect> touched = _picture->frame();
    // A commit without damage may never be answered with a frame callback.
    if (!touched.empty() || _showWhole)
        present(touched);
    _clock->frameDone(now);
    return true;
}

std::optional<SaverSurface::Clock::time_point> SaverSurface::wakeUp() const
{
    if (_closed || _width <= 0 || _height <= 0)
        return std::nullopt;
    if (!_picture)
        return Clock::time_point {};
    std::optional<Clock::time_point> wake;
    if (!_frameAsked && _buffers->hasFreeBuffer())
        wake = _clock->nextDeadline();
    if (_pendingShape.isPending())
        wake = std::min(wake.value_or(_pendingShape.settlesAt()), _pendingShape.settlesAt());
    return wake;
}

double SaverSurface::deviceScale() const
{
    return _viewport && _scale120 ? _scale120 / 120.0 : _outputScale;
}

PendingReshape::Shape SaverSurface::wantedShape() const
{
    double device = deviceScale();
    double outputsOwn = std::clamp(device, ScaleSetting::smallest, ScaleSetting::largest);
    return { DrawingLimits::pixels(_width, device), DrawingLimits::pixels(_height, device),
        _options.scale.resolve(outputsOwn) };
}

void SaverSurface::noteShape()
{
    if (!_picture)
        return;
    _pendingShape.note(wantedShape(), _shape, Clock::now());
    // The same pixels at another scale (--scale given, the output's scale changed): only where they go changes.
    if (!_pendingShape.isPending())
        placeBuffer();
}

void SaverSurface::startPicture(Clock::time_point now)
{
    _shape = wantedShape();
    _picture.emplace(freshCanvas(_shape), _shape.scale, false, RandomSources::seeded(_seed));
    _picture->session().start();
    _clock.emplace(_picture->session().interval(), _options.delay);
    _clock->start(now);
}

void SaverSurface::reshape()
{
    PendingReshape::Shape shape = _pendingShape.take();
    _picture->reshape(shape.width, shape.height, shape.scale, [&] { return freshCanvas(shape); });
    _shape = shape;
}

std::unique_ptr<Canvas> SaverSurface::freshCanvas(PendingReshape::Shape shape)
{
    DrawingLimits::require(shape.width, shape.height);
    _buffers = nullptr;
    auto canvas = std::make_unique<BufferedCanvas>(_globals.shm(), shape.width, shape.height);
    _buffers = canvas.get();
    _showWhole = true;
    placeBuffer();
    return canvas;
}

void SaverSurface::placeBuffer()
{
    // A viewport maps the buffer onto the surface's size at a fractional scale; otherwise a whole-number scale does.
    bool fractional = _viewport && _scale120;
    Placement placement { fractional ? 1 : _outputScale, fractional ? _width : -1, fractional ? _height : -1 };
    if (placement == _placement)
        return;
    wl_surface_set_buffer_scale(_surface.get(), placement.bufferScale);
    if (_viewport)
        wp_viewport_set_destination(_viewport.get(), placement.width, placement.height);
    _placement = placement;
    _showWhole = true;
}

void SaverSurface::present(const std::vector<PixelRect>& areas)
{
    wl_surface* surface = _surface.get();
    wl_surface_attach(surface, _buffers->lend(), 0, 0);
    if (_showWhole)
        wl_surface_damage_buffer(surface, 0, 0, _shape.width, _shape.height);
    else
        for (const PixelRect& area : areas)
            wl_surface_damage_buffer(surface, area.x, area.y, area.width, area.height);
    _showWhole = false;
    static const wl_callback_listener frameListener = {
        .done = [](void* data, wl_callback*, std::uint32_t) { self(data)->_frameAsked.reset(); },
    };
    _frameAsked.reset(wl_surface_frame(surface));
    wl_callback_add_listener(_frameAsked.get(), &frameListener, this);
    wl_surface_commit(surface);
}
