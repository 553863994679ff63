#pragma once

#include "Canvas.hpp"

#include <memory>

// Makes the canvases that the programs draw into, so that hosts and outputs
// name no backend. Both start opaque black.
class DefaultBackend {
public:
    // Throws std::invalid_argument for a size the backend cannot hold.
    static std::unique_ptr<Canvas> makeCanvas(int width, int height);
    // Draws into pixels the caller lends for the canvas's life (X shared memory, say).
    static std::unique_ptr<Canvas> makeCanvas(ImageView lent);
};
