#include "WebHost.hpp"

#include "DefaultBackend.hpp"
#include "limits/DrawingLimits.hpp"
#include "platform/RandomSources.hpp"

#include <algorithm>

WebHost::WebHost(std::uint32_t seed)
    : _seed(seed)
{
}

WebHost::Shape WebHost::shapeFor(int deviceWidth, int deviceHeight, double ratio)
{
    double fitting = DrawingLimits::fittingScale(deviceWidth, deviceHeight, 1);
    if (fitting <= 0 || !(ratio > 0))
        return { 0, 0, 0 };
    return { DrawingLimits::pixels(deviceWidth, fitting), DrawingLimits::pixels(deviceHeight, fitting), ratio * fitting };
}

double WebHost::noteShape(Shape shape, Clock::time_point now)
{
    // Nothing taken yet: the first shape is taken at once.
    _pending.note(shape, _taken.value_or(Shape { -1, -1, 0 }), now);
    if (!_pending.isPending())
        return -1;
    if (!_taken)
        return 0;
    return std::max(0.0, std::chrono::duration<double, std::milli>(_pending.settlesAt() - now).count());
}

WebHost::Outcome WebHost::takeShape()
{
    Shape shape = _pending.take();
    _taken = shape;
    if (shape.width < 1 || shape.height < 1)
        return Outcome::NoRoom;
    // One block for the whole canvas, so that memory grows once for the new
    // size, and a refusal leaves the picture that is there untouched.
    std::size_t bytes = static_cast<std::size_t>(shape.width) * shape.height * 4;
    std::unique_ptr<std::uint32_t, Free> pixels(static_cast<std::uint32_t*>(std::malloc(bytes)));
    if (!pixels)
        return Outcome::NoMemory;
    ImageView image { reinterpret_cast<std::uint8_t*>(pixels.get()), shape.width, shape.height, shape.width * 4 };
    if (_picture) {
        _picture->reshape(shape.width, shape.height, shape.scale, [&] { return DefaultBackend::makeCanvas(image); });
    } else {
        _picture.emplace(DefaultBackend::makeCanvas(image), shape.scale, false, RandomSources::seeded(_seed));
        if (_animating)
            _picture->session().start();
    }
    _pixels = std::move(pixels);
    return Outcome::Drawn;
}

void WebHost::setAnimating(bool animating)
{
    if (animating && !_animating)
        _clock.reset();
    _animating = animating;
    if (!_picture || _picture->session().isAnimating() == animating)
        return;
    if (animating)
        _picture->session().start();
    else
        _picture->session().stop();
}

bool WebHost::tick(Clock::time_point now)
{
    if (!_picture || !_picture->session().isAnimating())
        return false;
    if (!_clock) {
        _clock.emplace(_picture->session().interval());
        _clock->start(now);
    }
    if (!_clock->isDue(now + displaySlack))
        return false;
    step();
    _clock->frameDone(now + displaySlack);
    return true;
}

void WebHost::step()
{
    if (_picture)
        _copied.copy(_picture->canvas().image(), _picture->frame());
}

void WebHost::copyWhole()
{
    if (!_picture)
        return;
    ImageView image = _picture->canvas().image();
    // Bands of about a million pixels keep the copy small for any canvas.
    int rows = std::max(1, (1 << 20) / image.width);
    std::vector<PixelRect> bands;
    for (int top = 0; top < image.height; top += rows)
        bands.push_back({ 0, top, image.width, std::min(rows, image.height - top) });
    _copied.copy(image, bands);
}

int WebHost::recordFrame()
{
    _recorded.clear();
    if (!_picture)
        return 0;
    _recording.clear();
    _picture->session().frame(_recording);
    for (const RecordingSurface::Call& call : _recording.calls()) {
        _recorded.push_back(call.kind == RecordingSurface::Call::Kind::Stroke ? 1 : 0);
        _recorded.insert(_recorded.end(), call.values.begin(), call.values.end());
    }
    return static_cast<int>(_recording.calls().size());
}
