#pragma once

#include "Canvas.hpp"
#include "PixelRect.hpp"
#include "platform/RandomSources.hpp"
#include "saver/ScreenSaverSession.hpp"

#include <functional>
#include <memory>
#include <vector>

// The screen saver as every interactive host shows it: a session whose view
// measures its area in points, drawing into a canvas of device pixels,
// `scale` pixels to a point. A host only makes the canvas and presents what
// the picture hands back: the areas a frame touched, or a rectangle it lost.
class SaverPicture {
public:
    using CanvasFactory = std::function<std::unique_ptr<Canvas>()>;

    // The view's area is the canvas's size over the scale. Throws UnusableArea when the view cannot take it.
    SaverPicture(std::unique_ptr<Canvas> canvas, double scale, bool isPreview, RandomSources sources);

    // Runs one frame (none while stopped) and returns the areas it touched, ready to present.
    std::vector<PixelRect> frame();
    // Lets the view repaint a rectangle the host lost (in device pixels); returns the part inside the canvas, ready to present.
    PixelRect redraw(PixelRect lost);
    // A new view for an area of width x height pixels at `scale`, drawing on
    // from the same random sources and frame count, into a canvas that
    // `makeCanvas` makes once the old one is gone (it may reuse the old
    // canvas's memory). Throws UnusableArea before anything changes when the
    // view cannot take the area.
    void reshape(int width, int height, double scale, const CanvasFactory& makeCanvas);

    ScreenSaverSession& session() { return _session; }
    Canvas& canvas() { return *_canvas; }
    double scale() const { return _scale; }

private:
    std::unique_ptr<Canvas> _canvas;
    double _scale;
    ScreenSaverSession _session;
};
