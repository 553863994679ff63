#include "WebHost.hpp"

#include "platform/RandomSources.hpp"

#include <algorithm>
#include <cmath>

std::unique_ptr<WebHost> WebHost::create(int cssWidth, int cssHeight, double scale, std::uint32_t seed)
{
    if (cssWidth < 1 || cssHeight < 1 || !std::isfinite(scale) || scale <= 0)
        return nullptr;
    double width = std::round(cssWidth * scale);
    double height = std::round(cssHeight * scale);
    if (width < 1 || height < 1 || width > maxSide || height > maxSide || width * height > maxPixels)
        return nullptr;

    // Sizes that pass these checks are ones the view takes: its session never throws here.
    CGSize area { static_cast<double>(cssWidth), static_cast<double>(cssHeight) };
    return std::unique_ptr<WebHost>(new WebHost(area, static_cast<int>(width), static_cast<int>(height), scale, seed));
}

WebHost::WebHost(CGSize area, int width, int height, double scale, std::uint32_t seed)
    : _width(width)
    , _height(height)
    , _canvas(width, height)
    , _scaled(_canvas, scale)
    , _session(area, false, RandomSources::seeded(seed))
    , _rgba(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4)
{
    _session.start();
    copyToRgba({ 0, 0, width, height });
}

void WebHost::runFrame()
{
    _touched.clear();
    if (!_session.isAnimating())
        return;
    _session.frame(_scaled);
    _touched = _canvas.takeTouchedAreas();
    for (const PixelRect& area : _touched)
        copyToRgba(area);
}

int WebHost::recordFrame()
{
    _recording.clear();
    _session.frame(_recording);
    _recorded.clear();
    for (const RecordingSurface::Call& call : _recording.calls()) {
        _recorded.push_back(call.kind == RecordingSurface::Call::Kind::Stroke ? 1 : 0);
        _recorded.insert(_recorded.end(), call.values.begin(), call.values.end());
    }
    return static_cast<int>(_recording.calls().size());
}

void WebHost::copyToRgba(const PixelRect& area)
{
    ImageView image = _canvas.image();
    int left = std::max(area.x, 0);
    int right = std::min(area.x + area.width, _width);
    int top = std::max(area.y, 0);
    int bottom = std::min(area.y + area.height, _height);
    for (int y = top; y < bottom; ++y) {
        std::uint8_t* out = _rgba.data() + (static_cast<std::size_t>(y) * _width + left) * 4;
        for (int x = left; x < right; ++x, out += 4) {
            // The canvas stays opaque, so its premultiplied colour is the plain one.
            std::uint32_t argb = image.pixel(x, y);
            out[0] = static_cast<std::uint8_t>(argb >> 16);
            out[1] = static_cast<std::uint8_t>(argb >> 8);
            out[2] = static_cast<std::uint8_t>(argb);
            out[3] = static_cast<std::uint8_t>(argb >> 24);
        }
    }
}
