#pragma once

#include "RgbaAreas.hpp"
#include "loop/FrameClock.hpp"
#include "loop/PendingReshape.hpp"
#include "picture/SaverPicture.hpp"
#include "drawing/RecordingSurface.hpp"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

// The host behind the web page: one picture of the window at device pixels,
// made when the window's shape has settled and made again, on the same random
// sources and frame count, whenever the shape changes (a resize, a new
// devicePixelRatio). Each frame's touched areas are copied out for the page
// in ImageData's byte order.
class WebHost {
public:
    using Clock = FrameClock::Clock;
    using Shape = PendingReshape::Shape;
    enum class Outcome { Drawn, NoRoom, NoMemory };

    // An animation frame may come a hair before a deadline that a display
    // refresh lands on: counting it due keeps 30 frames a second on a 60 Hz
    // display instead of every third refresh. The grid keeps the average.
    static constexpr auto displaySlack = std::chrono::milliseconds(4);

    explicit WebHost(std::uint32_t seed);

    // The canvas for a window of deviceWidth x deviceHeight device pixels,
    // `ratio` of them to a CSS pixel: those very pixels when they fit the
    // limits, or the largest canvas that does, which the browser stretches
    // over the window. Zero-sized when nothing fits.
    static Shape shapeFor(int deviceWidth, int deviceHeight, double ratio);
    // Notes the window's shape at `now`; returns the milliseconds until it is
    // due to be taken (0 for the first shape), or -1 when it is the one taken last.
    double noteShape(Shape shape, Clock::time_point now);
    // Makes the picture for the noted shape, or a new view of it on the same
    // random sources; the last picture stays as it was when this fails.
    Outcome takeShape();

    void setAnimating(bool animating);
    // Runs a frame if one is due at `now`, an animation frame's time; returns whether it ran.
    bool tick(Clock::time_point now);
    // Runs a frame now (none while stopped) and copies what it touched.
    void step();
    // Copies the whole canvas, as bands of rows.
    void copyWhole();
    // What the last step or copyWhole copied.
    const RgbaAreas& copied() const { return _copied; }

    // Runs one frame into a recording instead of the canvas and returns how
    // many drawing calls it made, as the view made them (in points).
    int recordFrame();
    // The recorded calls, six doubles each: 0 for a colour or 1 for a stroke, then its five values.
    const std::vector<double>& recordedCalls() const { return _recorded; }

    std::int64_t framesRun() { return _picture ? _picture->session().framesRun() : 0; }
    int width() { return _picture ? _picture->canvas().image().width : 0; }
    int height() { return _picture ? _picture->canvas().image().height : 0; }
    double scale() const { return _picture ? _picture->scale() : 0; }

private:
    struct Free {
        void operator()(void* memory) const { std::free(memory); }
    };

    std::uint32_t _seed;
    bool _animating = true;
    std::optional<Shape> _taken;
    PendingReshape _pending;
    std::optional<FrameClock> _clock;
    // The canvas draws into these; freed only after the picture has let go of them.
    std::unique_ptr<std::uint32_t, Free> _pixels;
    std::optional<SaverPicture> _picture;
    RgbaAreas _copied;
    RecordingSurface _recording;
    std::vector<double> _recorded;
};
