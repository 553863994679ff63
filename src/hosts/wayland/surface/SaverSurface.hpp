#pragma once

#include "client/Globals.hpp"
#include "loop/FrameClock.hpp"
#include "loop/PendingReshape.hpp"
#include "options/WaylandOptions.hpp"
#include "picture/SaverPicture.hpp"
#include "present/BufferedCanvas.hpp"

#include <cstdint>
#include <optional>

// The screen saver on one output: a layer-shell surface over the whole of it
// (on the overlay layer, taking the keyboard; or on the background layer,
// letting all input through) with a picture of its own. A frame is drawn
// when the clock says one is due, the compositor has asked for one (a frame
// callback: none come while the output is off) and a buffer is free; only
// the areas it touched are presented. A new size or scale is taken up once it
// has settled, on the same random streams.
class SaverSurface {
public:
    using Clock = FrameClock::Clock;

    // Takes the output, which `globals` has just bound.
    SaverSurface(const Globals& globals, wl_output* output, const WaylandOptions& options, std::uint32_t seed);
    SaverSurface(const SaverSurface&) = delete;
    SaverSurface& operator=(const SaverSurface&) = delete;

    // Takes up a settled shape, and draws and presents a frame, when due; true when a frame ran.
    // Throws with a one-line reason when the output cannot be drawn on.
    bool advance(Clock::time_point now);
    // When `advance` has work next, or nothing until the compositor sends an event.
    std::optional<Clock::time_point> wakeUp() const;
    // True once the compositor has taken the surface away (its output went).
    bool isClosed() const { return _closed; }

private:
    // Device pixels per logical pixel: the output's integer scale, or the fractional one the compositor prefers.
    double deviceScale() const;
    PendingReshape::Shape wantedShape() const;
    void noteShape();
    void startPicture(Clock::time_point now);
    void reshape();
    // A black canvas of the shape's size, over buffers of its own.
    std::unique_ptr<Canvas> freshCanvas(PendingReshape::Shape shape);
    // Tells the compositor how the buffer's pixels map onto the surface, from the next commit on, when that has changed.
    void placeBuffer();
    void present(const std::vector<PixelRect>& areas);

    const Globals& _globals;
    const WaylandOptions& _options;
    std::uint32_t _seed;
    Proxy<wl_output> _output;
    int _outputScale = 1;
    int _announcedScale = 1;
    Proxy<wl_surface> _surface;
    Proxy<wp_viewport> _viewport;
    Proxy<wp_fractional_scale_v1> _fractionalScale;
    // The preferred scale in 120ths; 0 until the compositor says.
    std::uint32_t _scale120 = 0;
    Proxy<zwlr_layer_surface_v1> _layer;
    // The surface's size in logical pixels, as the compositor last configured it.
    int _width = 0;
    int _height = 0;
    bool _closed = false;

    std::optional<SaverPicture> _picture;
    BufferedCanvas* _buffers = nullptr;
    // How the buffer's pixels map onto the surface: a viewport's size (-1 for none) or a whole-number scale.
    struct Placement {
        int bufferScale = 1;
        int width = -1;
        int height = -1;
        bool operator==(const Placement&) const = default;
    };

    // The picture's shape, and whether the next present must show all of it (a fresh canvas, a new placement).
    PendingReshape::Shape _shape;
    Placement _placement;
    bool _showWhole = false;
    std::optional<FrameClock> _clock;
    PendingReshape _pendingShape;
    // Set from a commit until the compositor says it is time for the next frame.
    Proxy<wl_callback> _frameAsked;
};
