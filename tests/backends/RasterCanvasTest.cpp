#include "ConvexCoverage.hpp"
#include "RasterCanvas.hpp"
#include "SourceOverBlend.hpp"
#include "TouchedTiles.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using Kernel = SourceOverBlend::Kernel;

constexpr std::uint32_t opaqueBlack = 0xFF000000;
constexpr Kernel kernels[] { Kernel::scalar, Kernel::sse2, Kernel::avx2 };
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

// The byte a covered fraction turns into, as Cairo turns it.
int coverageByte(double fraction)
{
    return static_cast<int>(std::min(std::floor(fraction * 256 + 0.5), 255.0));
}

struct Segment {
    double x1, y1, x2, y2, width;
};

// The blue channel of each pixel after one opaque white stroke over black: its coverage byte.
std::vector<int> coverageOf(const Segment& s, int width, int height)
{
    RasterCanvas canvas(width, height);
    canvas.setColor(1, 1, 1, 1);
    canvas.strokeSegment(s.x1, s.y1, s.x2, s.y2, s.width);
    std::vector<int> bytes;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bytes.push_back(static_cast<int>(canvas.image().pixel(x, y) & 0xFF));
    return bytes;
}

std::string picture(const std::vector<int>& bytes, int width)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        text += std::to_string(bytes[i]) + (i % width == static_cast<std::size_t>(width) - 1 ? "\n" : " ");
    return text;
}

}

TEST(RasterCanvas, CoversEachPixelByTheExactAreaOfTheButtEndedQuadrilateral)
{
    // 6x5 canvases; `covered` lists fractions row by row, the rest stays 0.
    struct Case {
        const char* what;
        Segment segment;
        std::vector<double> covered;
    };
    const double q = 0.25, h = 0.5, e = 1.0 / 8, t = 3.0 / 8;
    const std::vector<Case> cases {
        { "whole pixels: rows 1 and 2, columns 1 to 4",
            { 1, 2, 5, 2, 2 },
            { 0, 0, 0, 0, 0, 0, /**/ 0, 1, 1, 1, 1, 0, /**/ 0, 1, 1, 1, 1, 0, /**/ 0, 0, 0, 0, 0, 0, /**/ 0, 0, 0, 0, 0, 0 } },
        { "butt ends halfway into columns 1 and 4",
            { 1.5, 2, 4.5, 2, 2 },
            { 0, 0, 0, 0, 0, 0, /**/ 0, h, 1, 1, h, 0, /**/ 0, h, 1, 1, h, 0, /**/ 0, 0, 0, 0, 0, 0, /**/ 0, 0, 0, 0, 0, 0 } },
        { "butt ends and sides halfway into pixels",
            { 1.5, 2.5, 4.5, 2.5, 2 },
            { 0, 0, 0, 0, 0, 0, /**/ 0, q, h, h, q, 0, /**/ 0, h, 1, 1, h, 0, /**/ 0, q, h, h, q, 0, /**/ 0, 0, 0, 0, 0, 0 } },
        { "a pixel's corner: a quarter of each of four pixels",
            { 2.5, 2, 3.5, 2, 1 },
            { 0, 0, 0, 0, 0, 0, /**/ 0, 0, q, q, 0, 0, /**/ 0, 0, q, q, 0, 0, /**/ 0, 0, 0, 0, 0, 0, /**/ 0, 0, 0, 0, 0, 0 } },
        { "drawn backwards and upright it covers the same",
            { 3, 3.5, 3, 2.5, 1 },
            { 0, 0, 0, 0, 0, 0, /**/ 0, 0, 0, 0, 0, 0, /**/ 0, 0, q, q, 0, 0, /**/ 0, 0, q, q, 0, 0, /**/ 0, 0, 0, 0, 0, 0 } },
        { "sub-pixel width: an eighth and three eighths of row 2",
            { 0, 2.0625, 6, 2.0625, 0.125 },
            { 0, 0, 0, 0, 0, 0, /**/ 0, 0, 0, 0, 0, 0, /**/ e, e, e, e, e, e, /**/ 0, 0, 0, 0, 0, 0, /**/ 0, 0, 0, 0, 0, 0 } },
        { "sub-pixel width across a row border",
            { 0, 3, 6, 3, 0.75 },
            { 0, 0, 0, 0, 0, 0, /**/ 0, 0, 0, 0, 0, 0, /**/ t, t, t, t, t, t, /**/ t, t, t, t, t, t, /**/ 0, 0, 0, 0, 0, 0 } },
        { "a diagonal square: the triangles of its corners",
            // Corners (3,1), (5,3), (3,5), (1,3): half of each pixel it crosses with a corner, all of the middle four.
            { 2, 2, 4, 4, std::sqrt(8.0) },
            { 0, 0, 0, 0, 0, 0, /**/ 0, 0, h, h, 0, 0, /**/ 0, h, 1, 1, h, 0, /**/ 0, h, 1, 1, h, 0, /**/ 0, 0, h, h, 0, 0 } },
    };
    for (const Case& c : cases) {
        std::vector<int> expected;
        for (double fraction : c.covered)
            expected.push_back(coverageByte(fraction));
        EXPECT_EQ(picture(coverageOf(c.segment, 6, 5), 6), picture(expected, 6)) << c.what;
    }
}

TEST(RasterCanvas, CoverageAddsUpToTheAreaOfAnySegment)
{
    // Seeded segments anywhere, some partly off the canvas: the covered area
    // is the quadrilateral's, within the rounding of each pixel it touches
    // (half a level, and a whole pixel's 256 capped at 255).
    std::mt19937 random(7);
    std::uniform_real_distribution<double> position(-4, 36), length(0.5, 20), angle(0, 6.3), width(0.05, 9);
    for (int i = 0; i < 200; ++i) {
        double x = position(random), y = position(random), a = angle(random), l = length(random), w = width(random);
        Segment s { x, y, x + l * std::cos(a), y + l * std::sin(a), w };
        std::vector<int> bytes = coverageOf(s, 32, 32);
        // A second stroke with a bigger canvas tells how much lies inside 0..32.
        std::vector<int> wide = coverageOf({ s.x1 + 30, s.y1 + 30, s.x2 + 30, s.y2 + 30, w }, 96, 96);
        double inside = 0, all = 0, touched = 0;
        for (int b : bytes)
            inside += b / 256.0;
        for (int b : wide) {
            all += b / 256.0;
            touched += b > 0;
        }
        EXPECT_NEAR(all, l * w, 1.5 / 256 * touched + 0.01) << "segment " << i;
        EXPECT_LE(inside, all + 1e-9) << "segment " << i;
    }
}

TEST(RasterCanvas, TwoStrokesSideBySideCoverAsOneOfBothWidths)
{
    // A stroke split lengthwise: in every pixel the halves' coverage adds up
    // to the whole's, within the rounding of each byte.
    std::mt19937 random(11);
    std::uniform_real_distribution<double> position(4, 28), length(0.5, 20), angle(0, 6.3), width(0.1, 6);
    for (int i = 0; i < 100; ++i) {
        double x = position(random), y = position(random), a = angle(random), l = length(random);
        double first = width(random), second = width(random), half = (first + second) / 2;
        double dx = std::cos(a), dy = std::sin(a);
        auto along = [&](double offset, double w) {
            return Segment { x - dy * offset, y + dx * offset, x + l * dx - dy * offset, y + l * dy + dx * offset, w };
        };
        std::vector<int> whole = coverageOf(along(0, 2 * half), 32, 32);
        std::vector<int> one = coverageOf(along(half - first / 2, first), 32, 32);
        std::vector<int> other = coverageOf(along(second / 2 - half, second), 32, 32);
        for (std::size_t p = 0; p < whole.size(); ++p)
            EXPECT_NEAR(one[p] + other[p], whole[p], 1) << "stroke " << i << ", pixel " << p % 32 << "," << p / 32;
    }
}

TEST(RasterCanvas, BlendsPremultipliedColoursSourceOverInChannelOrder)
{
    struct Stroke {
        double red, green, blue, alpha;
    };
    struct Case {
        const char* what;
        std::vector<Stroke> strokes;
        std::uint32_t expected;
    };
    // One whole pixel under every stroke; 0.5 comes to 127 (Cairo's 16-bit truncation), then
    // each channel d = s × m / 255 + d × (255 − s.alpha) / 255, each product rounded to nearest.
    const std::vector<Case> cases {
        { "opaque red lands in bits 16..23", { { 1, 0, 0, 1 } }, 0xFFFF0000 },
        { "opaque blue in bits 0..7", { { 0, 0, 1, 1 } }, 0xFF0000FF },
        { "half white over black", { { 1, 1, 1, 0.5 } }, 0xFF7F7F7F },
        { "half blue over half red", { { 1, 0, 0, 0.5 }, { 0, 0, 1, 0.5 } }, 0xFF40007F },
        { "a quarter of 200/255 green over white", { { 1, 1, 1, 1 }, { 0, 200 / 255.0, 0, 0.25 } }, 0xFFC0F2C0 },
        { "alpha above 1 is opaque, components clamped to 0..1", { { 2, -1, 0.5, 1.5 } }, 0xFFFF007F },
        { "alpha at or below 0 draws nothing", { { 1, 1, 1, 0 }, { 1, 1, 1, -0.17 } }, opaqueBlack },
        { "NaN alpha draws nothing", { { 1, 1, 1, notANumber } }, opaqueBlack },
    };
    for (Kernel kernel : kernels) {
        for (const Case& c : cases) {
            RasterCanvas canvas(8, 3);
            canvas.useKernel(kernel);
            for (const Stroke& s : c.strokes) {
                canvas.setColor(s.red, s.green, s.blue, s.alpha);
                canvas.strokeSegment(0, 1.5, 8, 1.5, 1);
            }
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(canvas.image().pixel(x, 1), c.expected) << c.what << ", pixel " << x << ", kernel " << int(kernel);
            EXPECT_EQ(canvas.image().pixel(3, 0), opaqueBlack) << c.what;
        }
    }
}

TEST(RasterCanvas, BadGeometryDrawsNothingOrOnlyTheClippedPart)
{
    const double far = 1e9;
    struct Case {
        const char* what;
        Segment segment;
        // The same stroke within reach, or a width of 0 for "nothing".
        Segment equivalent;
    };
    const std::vector<Case> cases {
        { "zero length", { 5, 5, 5, 5, 4 }, {} },
        { "zero width", { 1, 1, 9, 9, 0 }, {} },
        { "negative width", { 1, 1, 9, 9, -2 }, {} },
        { "NaN width", { 1, 1, 9, 9, notANumber }, {} },
        { "infinite width", { 1, 1, 9, 9, infinity }, {} },
        { "NaN coordinate", { 1, notANumber, 9, 9, 2 }, {} },
        { "infinite coordinate", { 1, 1, infinity, 9, 2 }, {} },
        { "a billion pixels off the canvas", { -far, -far, -far + 5, -far, 3 }, {} },
        { "so far off that the length overflows", { -1e308, 0, 1e308, 0, 3 }, {} },
        { "from a billion pixels left to a billion right", { -far, 4.5, far, 4.5, 3 }, { -2, 4.5, 14, 4.5, 3 } },
        { "from far above down to the middle", { 6.25, -far, 6.25, 7, 1.5 }, { 6.25, -3, 6.25, 7, 1.5 } },
        { "wider than the canvas covers all of it", { -far, 6, far, 6, 1e9 }, { -2, 6, 14, 6, 20 } },
        { "corners near the largest double", { 0, 5, 1, 5, 1.7e308 }, { 0, 5, 1, 5, 40 } },
        { "ends near the largest double", { 8, -1.7e308, 8, 1.7e308, 2 }, {} },
    };
    for (Kernel kernel : kernels) {
        for (const Case& c : cases) {
            RasterCanvas canvas(12, 10), expected(12, 10);
            canvas.useKernel(kernel);
            for (RasterCanvas* target : { &canvas, &expected })
                target->setColor(0.2, 0.6, 1, 0.75);
            canvas.strokeSegment(c.segment.x1, c.segment.y1, c.segment.x2, c.segment.y2, c.segment.width);
            if (c.equivalent.width > 0)
                expected.strokeSegment(c.equivalent.x1, c.equivalent.y1, c.equivalent.x2, c.equivalent.y2,
                    c.equivalent.width);
            int differing = 0;
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 12; ++x)
                    differing += canvas.image().pixel(x, y) != expected.image().pixel(x, y);
            EXPECT_EQ(differing, 0) << c.what;
            EXPECT_EQ(canvas.takeTouchedAreas().empty(), c.equivalent.width == 0) << c.what;
        }
    }
}

TEST(RasterCanvas, TouchedAreasHoldEveryChangedPixelAndStartAfreshWhenTaken)
{
    const int width = 300, height = 170;
    RasterCanvas canvas(width, height);
    EXPECT_TRUE(canvas.takeTouchedAreas().empty()) << "starting black is no drawing";
    std::mt19937 random(3);
    std::uniform_real_distribution<double> x(-20, width + 20), y(-20, height + 20), size(0.5, 12);
    std::vector<std::uint32_t> before(width * height, opaqueBlack);
    for (int frame = 0; frame < 20; ++frame) {
        canvas.setColor(0.9, 0.5, 0.1, 0.3);
        for (int i = 0; i < 1 + frame % 4; ++i) {
            double x1 = x(random), y1 = y(random);
            canvas.strokeSegment(x1, y1, x1 + size(random) * 3, y1 + size(random) * 3, size(random));
        }
        std::vector<PixelRect> areas = canvas.takeTouchedAreas();
        for (int py = 0; py < height; ++py) {
            for (int px = 0; px < width; ++px) {
                std::uint32_t& pixel = before[py * width + px];
                bool inside = false;
                for (const PixelRect& a : areas)
                    inside |= px >= a.x && px < a.x + a.width && py >= a.y && py < a.y + a.height;
                EXPECT_TRUE(inside || canvas.image().pixel(px, py) == pixel) << px << "," << py << ", frame " << frame;
                pixel = canvas.image().pixel(px, py);
            }
        }
    }
    EXPECT_TRUE(canvas.takeTouchedAreas().empty());
}

TEST(SourceOverBlend, EveryKernelGivesTheScalarBytes)
{
    // Seeded strokes over random, mostly translucent pixels, for every source
    // alpha and every span from 1 to 67 pixels (in images from as narrow as
    // the span), at any offset and slant, from flat to steep and from one row
    // to a dozen, partly off the image too.
    std::mt19937 random(5);
    auto below = [&](int limit) { return static_cast<int>(random() % static_cast<unsigned>(limit)); };
    std::uniform_real_distribution<double> fraction(0, 1);
    for (Kernel kernel : { Kernel::sse2, Kernel::avx2 }) {
        if (SourceOverBlend::supported(kernel) != kernel)
            continue;
        for (int alpha = 0; alpha < 256; ++alpha) {
            for (int span = 1; span <= 67; ++span) {
                int width = span + 1 + below(20), height = 3 + below(10);
                std::vector<std::uint8_t> scalar(4 * width * height);
                for (std::uint8_t& byte : scalar)
                    byte = static_cast<std::uint8_t>(random());
                std::vector<std::uint8_t> vector = scalar;
                auto part = [&] { return static_cast<std::uint32_t>(below(alpha + 1)); };
                std::uint32_t source = static_cast<std::uint32_t>(alpha) << 24 | part() << 16 | part() << 8 | part();
                double x = below(width - span) + fraction(random), rise = (fraction(random) - 0.5) * 2 * height;
                double y = height / 2.0 - rise / 2;
                ClippedQuad quad = ClippedQuad::ofSegment(x, y, x + span - 0.5, y + rise, 0.5 + 4 * fraction(random),
                    width, height);
                for (auto [pixels, which] : { std::pair { &scalar, Kernel::scalar }, { &vector, kernel } }) {
                    ConvexCoverage polygon;
                    if (polygon.begin(quad))
                        SourceOverBlend::blendPolygon({ pixels->data(), width, height, 4 * width }, polygon, source, which);
                }
                ASSERT_EQ(vector, scalar) << "kernel " << int(kernel) << ", alpha " << alpha << ", span " << span;
            }
        }
    }
}

TEST(TouchedTiles, MergesRunsOfTilesIntoFewRectanglesClippedToTheImage)
{
    struct Case {
        const char* what;
        std::vector<std::array<int, 4>> marks; // left, top, right, bottom
        std::vector<PixelRect> expected;
    };
    // A 100x70 image in tiles of 16: 7 columns (the last 4 wide), 5 rows (the last 6 high).
    const std::vector<Case> cases {
        { "a run along a row", { { 5, 20, 40, 21 } }, { { 0, 16, 48, 16 } } },
        { "the same columns in rows below join", { { 20, 5, 40, 50 } }, { { 16, 0, 32, 64 } } },
        { "different columns stay apart", { { 0, 0, 1, 1 }, { 0, 16, 40, 17 } }, { { 0, 0, 16, 16 }, { 0, 16, 48, 16 } } },
        { "the right and bottom edges are clipped", { { 99, 69, 100, 70 } }, { { 96, 64, 4, 6 } } },
    };
    for (const Case& c : cases) {
        TouchedTiles tiles(100, 70, 16);
        for (const auto& [left, top, right, bottom] : c.marks)
            tiles.mark(left, top, right, bottom);
        EXPECT_EQ(tiles.take(), c.expected) << c.what;
        EXPECT_TRUE(tiles.take().empty()) << c.what;
    }
}

TEST(RasterCanvas, DrawsIntoLentRowsOnlyAndRefusesSizesItCannotHold)
{
    constexpr int width = 5, height = 3, stride = 28;
    std::vector<std::uint8_t> memory(stride * height, 0xAB);
    {
        RasterCanvas canvas(ImageView { memory.data(), width, height, stride });
        EXPECT_EQ(canvas.image().pixel(4, 2), opaqueBlack);
        canvas.setColor(1, 1, 1, 1);
        canvas.strokeSegment(-1, 1.5, 9, 1.5, 1);
        EXPECT_EQ(canvas.image().pixel(4, 1), 0xFFFFFFFFu);
    }
    for (int i = 0; i < stride * height; ++i) {
        std::uint8_t expected = i % stride >= width * 4 ? 0xAB : i / stride == 1 ? 0xFF : (i % 4 == 3 ? 0xFF : 0);
        EXPECT_EQ(memory[i], expected) << "row " << i / stride << ", byte " << i % stride;
    }

    for (auto [w, h] : { std::pair { 0, 10 }, { 10, -1 }, { 40000, 10 }, { 10, 1 << 30 } })
        EXPECT_THROW(RasterCanvas(w, h), std::invalid_argument) << w << "x" << h;
    std::uint8_t pixels[16] {};
    EXPECT_THROW(RasterCanvas(ImageView { pixels, 2, 2, 4 }), std::invalid_argument) << "rows shorter than 2 pixels";
    EXPECT_THROW(RasterCanvas(ImageView { nullptr, 2, 2, 8 }), std::invalid_argument);
}
