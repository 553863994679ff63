#include "CairoCanvas.hpp"
#include "RasterCanvas.hpp"
#include "drawing/TeeSurface.hpp"
#include "platform/RandomSources.hpp"
#include "saver/ScreenSaverSession.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

constexpr int framesOfTenSeconds = 300;

}

TEST(AgainstCairo, TenSecondsOfTheScreenSaverStayWithinTheStatedTolerance)
{
    // Cairo measures coverage on a grid of 15 sub-rows a pixel where ours
    // takes the exact area, so edge pixels differ a little; translucent strokes
    // pile these up where creatures overlap much, as they do in small areas
    // (the creatures keep their size), hence the wider share there.
    struct Case {
        std::uint32_t seed;
        int width, height;
        double shareOverOne;
    };
    const Case cases[] { { 1, 1920, 1080, 0.02 }, { 42, 1920, 1080, 0.02 }, { 1, 321, 241, 0.15 },
        { 42, 321, 241, 0.15 } };
    for (const Case& c : cases) {
        CairoCanvas reference(c.width, c.height);
        RasterCanvas ours(c.width, c.height);
        TeeSurface both(reference, ours);
        ScreenSaverSession session({ static_cast<double>(c.width), static_cast<double>(c.height) }, false,
            RandomSources::seeded(c.seed));
        session.start();
        for (int frame = 0; frame < framesOfTenSeconds; ++frame)
            session.frame(both);

        ImageView expected = reference.image(), got = ours.image();
        int largest = 0;
        long overOne = 0, overFour = 0;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                std::uint32_t a = expected.pixel(x, y), b = got.pixel(x, y);
                int difference = 0;
                for (int shift = 0; shift < 32; shift += 8)
                    difference = std::max(difference, std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)));
                largest = std::max(largest, difference);
                overOne += difference > 1;
                overFour += difference > 4;
            }
        }
        double pixels = static_cast<double>(c.width) * c.height;
        std::string which = "seed " + std::to_string(c.seed) + ", " + std::to_string(c.width) + "x" + std::to_string(c.height);
        EXPECT_LE(largest, 8) << which;
        EXPECT_LE(overOne / pixels, c.shareOverOne) << which;
        EXPECT_LE(overFour / pixels, 0.0005) << which;
    }
}
