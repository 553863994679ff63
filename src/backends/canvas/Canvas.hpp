#pragma once

#include "ImageView.hpp"
#include "PixelRect.hpp"
#include "drawing/DrawingSurface.hpp"

#include <vector>

// A drawing surface over an image: what every host and output draws into and
// reads back. It starts opaque black and is never cleared. Which backend draws
// is chosen where the canvas is made; everything else sees only this.
class Canvas : public DrawingSurface {
public:
    // The pixels with all drawing so far finished, ready to read or present.
    virtual ImageView image() = 0;
    // The areas drawing has touched since the last call, merged into a few
    // rectangles inside the image; the record starts afresh after each call.
    virtual std::vector<PixelRect> takeTouchedAreas() = 0;
};
