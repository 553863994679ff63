#include "CairoCanvas.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

cairo_surface_t* checked(cairo_surface_t* surface)
{
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        std::string reason = cairo_status_to_string(cairo_surface_status(surface));
        cairo_surface_destroy(surface);
        throw std::runtime_error("cannot create a drawing canvas: " + reason);
    }
    return surface;
}

}

CairoCanvas::CairoCanvas(int width, int height)
    : _width(width)
    , _height(height)
    , _surface(checked(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)))
    , _cairo(cairo_create(_surface))
{
    _stride = cairo_image_surface_get_stride(_surface);
    paintOpaqueBlack();
}

CairoCanvas::~CairoCanvas()
{
    cairo_destroy(_cairo);
    cairo_surface_destroy(_surface);
}

void CairoCanvas::paintOpaqueBlack()
{
    cairo_save(_cairo);
    cairo_set_source_rgb(_cairo, 0, 0, 0);
    cairo_set_operator(_cairo, CAIRO_OPERATOR_SOURCE);
    cairo_paint(_cairo);
    cairo_restore(_cairo);
}

void CairoCanvas::setColor(double red, double green, double blue, double alpha)
{
    cairo_set_source_rgba(_cairo, red, green, blue, std::clamp(alpha, 0.0, 1.0));
}

void CairoCanvas::strokeSegment(double x1, double y1, double x2, double y2, double width)
{
    cairo_new_path(_cairo);
    cairo_move_to(_cairo, x1, y1);
    cairo_line_to(_cairo, x2, y2);
    cairo_set_line_width(_cairo, width);
    cairo_stroke(_cairo);
    _drawn = true;
}

ImageView CairoCanvas::image()
{
    flush();
    return { cairo_image_surface_get_data(_surface), _width, _height, _stride };
}

std::vector<PixelRect> CairoCanvas::takeTouchedAreas()
{
    std::vector<PixelRect> areas;
    if (_drawn)
        areas.push_back({ 0, 0, _width, _height });
    _drawn = false;
    return areas;
}

const std::uint8_t* CairoCanvas::pixels() const
{
    return cairo_image_surface_get_data(_surface);
}

std::uint32_t CairoCanvas::pixel(int x, int y) const
{
    std::uint32_t value;
    std::memcpy(&value, pixels() + static_cast<std::ptrdiff_t>(y) * _stride + x * 4, sizeof value);
    return value;
}

void CairoCanvas::flush()
{
    cairo_surface_flush(_surface);
}
