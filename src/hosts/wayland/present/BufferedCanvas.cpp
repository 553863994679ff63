#include "present/BufferedCanvas.hpp"

#include "DefaultBackend.hpp"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace {

// Past this many areas a buffer is behind by so much that it takes the whole picture.
constexpr std::size_t mostStaleAreas = 32;

}

BufferedCanvas::BufferedCanvas(wl_shm* shm, int width, int height)
    : _shm(shm)
    , _width(width)
    , _height(height)
{
    auto buffer = std::make_unique<ShmBuffer>(shm, width, height);
    auto canvas = DefaultBackend::makeCanvas(buffer->pixels());
    _slots.push_back({ std::move(buffer), std::move(canvas), {} });
}

bool BufferedCanvas::hasFreeBuffer() const
{
    return _slots.size() < mostBuffers || std::ranges::any_of(_slots, [](const Slot& slot) { return !slot.buffer->isBusy(); });
}

void BufferedCanvas::useFreeBuffer()
{
    if (!_slots[_current].buffer->isBusy())
        return;
    auto free = std::ranges::find_if(_slots, [](const Slot& slot) { return !slot.buffer->isBusy(); });
    if (free == _slots.end()) {
        auto buffer = std::make_unique<ShmBuffer>(_shm, _width, _height);
        auto canvas = DefaultBackend::makeCanvas(buffer->pixels());
        _slots.push_back({ std::move(buffer), std::move(canvas), { { 0, 0, _width, _height } } });
        free = _slots.end() - 1;
    }
    copyStaleAreas(*free);
    _current = static_cast<std::size_t>(free - _slots.begin());
    if (_color)
        std::apply([&](auto... components) { _slots[_current].canvas->setColor(components...); }, *_color);
}

void BufferedCanvas::copyStaleAreas(Slot& slot)
{
    ImageView from = image();
    ImageView to = slot.canvas->image();
    for (const PixelRect& area : slot.stale)
        for (int y = area.y; y < area.y + area.height; ++y)
            std::memcpy(to.row(y) + area.x * 4, from.row(y) + area.x * 4, static_cast<std::size_t>(area.width) * 4);
    slot.stale.clear();
}

void BufferedCanvas::setColor(double red, double green, double blue, double alpha)
{
    _color = { red, green, blue, alpha };
    _slots[_current].canvas->setColor(red, green, blue, alpha);
}

void BufferedCanvas::strokeSegment(double x1, double y1, double x2, double y2, double width)
{
    _slots[_current].canvas->strokeSegment(x1, y1, x2, y2, width);
}

std::vector<PixelRect> BufferedCanvas::takeTouchedAreas()
{
    std::vector<PixelRect> touched = _slots[_current].canvas->takeTouchedAreas();
    for (std::size_t i = 0; i < _slots.size(); ++i) {
        std::vector<PixelRect>& stale = _slots[i].stale;
        if (i == _current || (stale.size() == 1 && stale[0] == PixelRect { 0, 0, _width, _height }))
            continue;
        stale.insert(stale.end(), touched.begin(), touched.end());
        if (stale.size() > mostStaleAreas)
            stale = { { 0, 0, _width, _height } };
    }
    return touched;
}
