#include "output/PngEncoder.hpp"

#include "cli/Interruption.hpp"

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

extern "C" cairo_status_t writeChunk(void* file, const unsigned char* data, unsigned int length)
{
    if (Interruption::requested())
        return CAIRO_STATUS_WRITE_ERROR;
    bool written = std::fwrite(data, 1, length, static_cast<std::FILE*>(file)) == length;
    return written ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

}

void PngEncoder::write(const CairoCanvas& canvas, std::FILE* file, const std::filesystem::path& target)
{
    // The canvas is opaque throughout, so the same pixels read as RGB24 make
    // a PNG without an alpha channel.
    unsigned char* pixels = cairo_image_surface_get_data(canvas.cairoSurface());
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> opaque(
        cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_RGB24, canvas.width(), canvas.height(),
            canvas.stride()),
        cairo_surface_destroy);
    cairo_status_t status = cairo_surface_write_to_png_stream(opaque.get(), writeChunk, file);
    Interruption::check();
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error(
            "cannot write '" + target.string() + "': " + cairo_status_to_string(status));
}
