#include "output/PngEncoder.hpp"

#include "cli/Interruption.hpp"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// What libpng's callbacks share with the encoder: plain data only, as libpng
// leaves an error by a long jump.
struct Output {
    std::FILE* file;
    char reason[160];
};

extern "C" void writeData(png_structp png, png_bytep data, std::size_t length)
{
    auto* output = static_cast<Output*>(png_get_io_ptr(png));
    if (Interruption::requested())
        png_error(png, "interrupted");
    if (std::fwrite(data, 1, length, output->file) != length)
        png_error(png, std::strerror(errno));
}

extern "C" void flushData(png_structp) {}

extern "C" void keepReason(png_structp png, png_const_charp message)
{
    auto* output = static_cast<Output*>(png_get_error_ptr(png));
    std::snprintf(output->reason, sizeof output->reason, "%s", message);
    png_longjmp(png, 1);
}

extern "C" void ignoreWarning(png_structp, png_const_charp) {}

// No object with a destructor lives in this frame, so the long jump of an error skips nothing.
bool encode(png_structp png, png_infop info, const ImageView& image, png_bytep row)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
        PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y) {
        // The image is opaque, so its premultiplied channels are the colour itself.
        for (int x = 0; x < image.width; ++x) {
            std::uint32_t pixel = image.pixel(x, y);
            row[3 * x] = static_cast<png_byte>(pixel >> 16);
            row[3 * x + 1] = static_cast<png_byte>(pixel >> 8);
            row[3 * x + 2] = static_cast<png_byte>(pixel);
        }
        png_write_row(png, row);
    }
    png_write_end(png, info);
    return true;
}

}

void PngEncoder::write(const ImageView& image, std::FILE* file, const std::filesystem::path& target)
{
    Output output { file, "out of memory" };
    std::vector<png_byte> row(static_cast<std::size_t>(image.width) * 3);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &output, keepReason, ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool written = false;
    if (info) {
        png_set_write_fn(png, &output, writeData, flushData);
        written = encode(png, info, image, row.data());
    }
    png_destroy_write_struct(&png, &info);
    Interruption::check();
    if (!written)
        throw std::runtime_error("cannot write '" + target.string() + "': " + output.reason);
}
