#pragma once

#include "Canvas.hpp"
#include "present/ShmBuffer.hpp"

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

// The picture drawn straight into buffers shared with the compositor, one
// canvas lent each buffer. While the compositor holds the buffer last drawn
// in, drawing goes to another, first brought up to date by copying in the
// areas drawn since that buffer last held the picture (few: the frames touch
// a small part of the screen). A compositor that copies a buffer at once and
// releases it lets the picture stay in one buffer; one that shows the buffer
// itself (such as sway drawing with pixman) needs two.
class BufferedCanvas final : public Canvas {
public:
    static constexpr std::size_t mostBuffers = 3;

    // One buffer at first, black; throws std::runtime_error when the memory cannot be had.
    BufferedCanvas(wl_shm* shm, int width, int height);

    // False while the compositor holds every buffer there may be.
    bool hasFreeBuffer() const;
    // Makes a buffer the compositor does not hold the one drawing goes to,
    // holding the whole picture. Only when there is one.
    void useFreeBuffer();
    // The buffer drawn in, to attach: lent to the compositor until it releases it.
    wl_buffer* lend() { return _slots[_current].buffer->lend(); }

    void setColor(double red, double green, double blue, double alpha) override;
    void strokeSegment(double x1, double y1, double x2, double y2, double width) override;
    ImageView image() override { return _slots[_current].canvas->image(); }
    // The areas drawn since the last call, which the other buffers now lack.
    std::vector<PixelRect> takeTouchedAreas() override;

private:
    struct Slot {
        std::unique_ptr<ShmBuffer> buffer;
        std::unique_ptr<Canvas> canvas;
        // What the picture has gained since this buffer last held it.
        std::vector<PixelRect> stale;
    };

    void copyStaleAreas(Slot& slot);

    wl_shm* _shm;
    int _width;
    int _height;
    std::vector<Slot> _slots;
    std::size_t _current = 0;
    // Set on the canvas drawn in, and given to the next one it changes to.
    std::optional<std::array<double, 4>> _color;
};
