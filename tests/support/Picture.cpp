#include "Picture.hpp"

#include <cairo.h>
#include <memory>
#include <set>

Picture Picture::of(const ImageView& image)
{
    Picture picture { image.width, image.height, {} };
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            picture.pixels.push_back(image.pixel(x, y) & 0xFFFFFF);
    return picture;
}

Picture Picture::fromPng(const std::filesystem::path& file)
{
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> image(
        cairo_image_surface_create_from_png(file.c_str()), cairo_surface_destroy);
    // Cairo's image of a file it cannot read is an empty one in an error state.
    return of({ cairo_image_surface_get_data(image.get()), cairo_image_surface_get_width(image.get()),
        cairo_image_surface_get_height(image.get()), cairo_image_surface_get_stride(image.get()) });
}

std::size_t Picture::lit(int left, int top, int right, int bottom) const
{
    std::size_t lit = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            lit += pixels[static_cast<std::size_t>(y) * width + x] != 0;
    return lit;
}

bool Picture::showsCreatures() const
{
    return lit() * 100 > pixels.size() && std::set(pixels.begin(), pixels.end()).size() > 50;
}
