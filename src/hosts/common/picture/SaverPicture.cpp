#include "picture/SaverPicture.hpp"

#include "drawing/ScaledSurface.hpp"

#include <algorithm>
#include <utility>

namespace {

CGSize inPoints(int width, int height, double scale)
{
    return { width / scale, height / scale };
}

}

SaverPicture::SaverPicture(std::unique_ptr<Canvas> canvas, double scale, bool isPreview, RandomSources sources)
    : _canvas(std::move(canvas))
    , _scale(scale)
    , _session(inPoints(_canvas->image().width, _canvas->image().height, scale), isPreview, std::move(sources))
{
}

std::vector<PixelRect> SaverPicture::frame()
{
    ScaledSurface points(*_canvas, _scale);
    _session.frame(points);
    _canvas->image();
    return _canvas->takeTouchedAreas();
}

PixelRect SaverPicture::redraw(PixelRect lost)
{
    ImageView image = _canvas->image();
    int left = std::clamp(lost.x, 0, image.width);
    int top = std::clamp(lost.y, 0, image.height);
    int right = std::clamp(lost.x + std::max(lost.width, 0), left, image.width);
    int bottom = std::clamp(lost.y + std::max(lost.height, 0), top, image.height);
    PixelRect inside { left, top, right - left, bottom - top };
    ScaledSurface points(*_canvas, _scale);
    _session.redraw(points, { { left / _scale, top / _scale }, inPoints(inside.width, inside.height, _scale) });
    _canvas->image();
    return inside;
}

void SaverPicture::reshape(int width, int height, double scale, const CanvasFactory& makeCanvas)
{
    _session.reshape(inPoints(width, height, scale));
    _scale = scale;
    _canvas.reset();
    _canvas = makeCanvas();
}
