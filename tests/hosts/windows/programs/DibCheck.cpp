// Draws a seeded run as vorpi.scr presents it, through DibImage into a DIB
// section, and checks after every frame that the DIB section holds exactly
// the canvas's colours. After the first frame the picture is reshaped, as the
// saver does once its window has settled at a new size; with OUTPUT, the last
// picture is written there as RGB rows, to hold against what the saver shows.
// Usage: dib-check SEED WIDTH HEIGHT NEW_WIDTH NEW_HEIGHT FRAMES [OUTPUT]
#include "DefaultBackend.hpp"
#include "picture/SaverPicture.hpp"
#include "win32/DibImage.hpp"

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

// A memory DC drawing into a new top-down 32-bit DIB section, black, whose pixels go to `bits`.
HDC dibSection(int width, int height, std::uint32_t*& bits)
{
    BITMAPINFO info {};
    info.bmiHeader = { sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0));
    return dc;
}

}

int main(int argc, char** argv)
{
    if (argc != 7 && argc != 8)
        return std::fprintf(stderr, "usage: dib-check SEED WIDTH HEIGHT NEW_WIDTH NEW_HEIGHT FRAMES [OUTPUT]\n"), 2;
    int width = std::atoi(argv[2]), height = std::atoi(argv[3]), frames = std::atoi(argv[6]);
    std::optional<DibImage> image(std::in_place, width, height);
    std::uint32_t* shown = nullptr;
    HDC dc = dibSection(width, height, shown);
    SaverPicture picture(DefaultBackend::makeCanvas(image->view()), 1, false, RandomSources::seeded(std::atoi(argv[1])));
    picture.session().start();
    for (int frame = 1; frame <= frames; ++frame) {
        if (frame == 2) {
            width = std::atoi(argv[4]), height = std::atoi(argv[5]);
            picture.reshape(width, height, 1, [&] { return DefaultBackend::makeCanvas(image.emplace(width, height).view()); });
            dc = dibSection(width, height, shown);
        }
        for (PixelRect area : picture.frame())
            image->present(dc, area);
        // As a repaint may ask: rectangles reaching past the edges.
        for (PixelRect area : { PixelRect { -5, -7, 30, 20 }, PixelRect { width - 9, height - 3, 40, 40 } })
            image->present(dc, area);
        GdiFlush();
        ImageView canvas = picture.canvas().image();
        for (int i = 0; i < width * height; ++i)
            if ((shown[i] ^ canvas.pixel(i % width, i / width)) & 0xFFFFFF)
                return std::printf("FAIL frame %d differs from the canvas at %d,%d\n", frame, i % width, i / width), 1;
    }
    std::FILE* out = argc == 8 ? std::fopen(argv[7], "wb") : nullptr;
    for (int i = 0; out && i < width * height; ++i)
        for (int shift : { 16, 8, 0 })
            std::fputc(shown[i] >> shift & 0xFF, out);
    if (argc == 8 && (!out || std::fclose(out) != 0))
        return std::printf("FAIL cannot write %s\n", argv[7]), 1;
    std::printf("the DIB section held the canvas's colours after each of %d frames\n", frames);
    return 0;
}
