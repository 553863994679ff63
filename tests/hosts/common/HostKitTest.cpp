#include "DefaultBackend.hpp"
#include "HostInputCases.hpp"
#include "limits/DrawingLimits.hpp"
#include "loop/PendingReshape.hpp"
#include "options/DelaySetting.hpp"
#include "options/OptionReader.hpp"
#include "options/ScaleSetting.hpp"
#include "options/SeedSetting.hpp"
#include "picture/SaverPicture.hpp"

#include <gtest/gtest.h>

namespace {

std::string refusal(const std::vector<std::string>& arguments, OptionReader::Dashes dashes = OptionReader::Dashes::Two)
{
    return refusalFrom([&] {
        OptionReader reader(arguments, dashes);
        while (auto name = reader.next()) {
            if (*name == "flag")
                reader.noValue();
            else if (*name == "seed")
                reader.value(SeedSetting::parse, SeedSetting::expected);
            else if (*name == "once")
                reader.once();
            else
                reader.unknown();
        }
    });
}

}

TEST(HostKit, ReadsScalesSeedsAndDelaysWithOneGrammar)
{
    for (const ScaleCase& row : scaleCases) {
        auto scale = ScaleSetting::parse(row.text);
        ASSERT_EQ(scale.has_value(), row.scale.has_value()) << row.text;
        if (scale) {
            EXPECT_EQ(scale->resolve(0), *row.scale) << row.text;
        }
    }
    for (const SeedCase& row : seedCases)
        EXPECT_EQ(SeedSetting::parse(row.text), row.seed) << row.text;
    for (const DelayCase& row : delayCases) {
        auto delay = DelaySetting::parse(row.text);
        EXPECT_EQ(delay ? std::optional<long>(delay->count()) : std::nullopt, row.microseconds) << row.text;
    }
}

TEST(HostKit, OptionReaderSaysWhatIsWrongOnOneLine)
{
    using Dashes = OptionReader::Dashes;
    EXPECT_EQ(refusal({ "--seed=x" }), refusalOf("--seed", "x", SeedSetting::expected));
    EXPECT_EQ(refusal({ "-seed", "1" }), "unknown option '-seed'");
    EXPECT_EQ(refusal({ "-seed", "1", "--seed", "2" }, Dashes::OneOrTwo), "");
    EXPECT_EQ(refusal({ "--seed" }), "option '--seed' needs a value");
    EXPECT_EQ(refusal({ "--flag=1" }), "option '--flag' takes no value");
    EXPECT_EQ(refusal({ "--once", "-once" }, Dashes::OneOrTwo), "option '-once' is given more than once");
    EXPECT_EQ(refusal({ "file" }), "unexpected argument 'file'");
    EXPECT_EQ(refusal({ "-" }), "unexpected argument '-'");
    EXPECT_EQ(refusal({ "--bad\n\x1b[31m" }), "unknown option '--bad\\n\\x1b[31m'");
    EXPECT_EQ(OptionReader::quoted("\xc2\x9b" "2J \xc3\xa9 \xff"), "'\\xc2\\x9b2J \xc3\xa9 \\xff'");
}

TEST(HostKit, ScaleOfADesktopIsItsDpiToTheNearestHalf)
{
    struct Row {
        double dpi;
        double scale;
    };
    for (auto [dpi, scale] : { Row { 96, 1 }, Row { 120, 1.5 }, Row { 143, 1.5 }, Row { 144, 1.5 }, Row { 192, 2 },
             Row { 1000, 4 }, Row { 10, 1 }, Row { 0, 1 }, Row { -96, 1 } })
        EXPECT_EQ(ScaleSetting::forDpi(dpi), scale) << dpi;
}

TEST(HostKit, RefusesOrShrinksWhatIsTooLargeToDraw)
{
    EXPECT_FALSE(DrawingLimits::refusal(16384, 16384));
    EXPECT_EQ(DrawingLimits::refusal(16385, 1), "the window is 16385x1, larger than the 16384x16384 that vorpi draws in");
    struct Row {
        int width;
        int height;
        double wanted;
    };
    for (auto [width, height, wanted] : { Row { 16000, 9000, 1 }, Row { 1920, 1080, 2 }, Row { 8193, 8192, 1 },
             Row { 20000, 1, 1 }, Row { 4096, 2160, 2.5 }, Row { 1, 1, 4 } }) {
        double scale = DrawingLimits::fittingScale(width, height, wanted);
        std::int64_t wide = DrawingLimits::pixels(width, scale);
        std::int64_t high = DrawingLimits::pixels(height, scale);
        EXPECT_LE(scale, wanted);
        EXPECT_TRUE(wide * high <= DrawingLimits::pixelCap && wide <= DrawingLimits::largestSide) << width << "x" << height;
        // Not needlessly small: one more pixel on the longer side would not fit, or nothing was taken off.
        double larger = scale * (1 + 1.0 / std::max(width, height));
        bool atMost = DrawingLimits::pixels(width, larger) * std::int64_t { DrawingLimits::pixels(height, larger) }
            > DrawingLimits::pixelCap || DrawingLimits::pixels(std::max(width, height), larger) > DrawingLimits::largestSide;
        EXPECT_TRUE(scale == wanted || atMost) << width << "x" << height;
    }
}

TEST(HostKit, ANewShapeIsTakenUpOnceItHasSettled)
{
    using Shape = PendingReshape::Shape;
    PendingReshape pending;
    PendingReshape::Clock::time_point start {};
    Shape current { 640, 360, 1 };
    pending.note({ 800, 600, 1 }, current, start);
    pending.note({ 800, 600, 1 }, current, start + PendingReshape::settlingTime / 2);
    EXPECT_FALSE(pending.isDue(start + PendingReshape::settlingTime - std::chrono::milliseconds(1)));
    pending.note({ 800, 600, 2 }, current, start + PendingReshape::settlingTime / 2);
    EXPECT_FALSE(pending.isDue(start + PendingReshape::settlingTime));
    EXPECT_TRUE(pending.isDue(start + PendingReshape::settlingTime * 3 / 2));
    EXPECT_EQ(pending.take(), (Shape { 800, 600, 2 }));
    EXPECT_FALSE(pending.isPending());
    pending.note({ 800, 600, 1 }, current, start);
    pending.note(current, current, start);
    EXPECT_FALSE(pending.isPending());
}

TEST(HostKit, APictureHandsBackWhatToPresent)
{
    SaverPicture picture(DefaultBackend::makeCanvas(320, 200), 2, false, RandomSources::seeded(1));
    EXPECT_TRUE(picture.frame().empty()) << "a stopped picture draws nothing";
    picture.session().start();
    std::vector<PixelRect> touched = picture.frame();
    ASSERT_FALSE(touched.empty());
    EXPECT_EQ(picture.redraw({ -10, 190, 50, 50 }), (PixelRect { 0, 190, 40, 10 }));

    picture.reshape(100, 60, 1, [] { return DefaultBackend::makeCanvas(100, 60); });
    EXPECT_EQ(picture.canvas().image().width, 100);
    EXPECT_TRUE(picture.session().isAnimating());
    EXPECT_EQ(picture.session().framesRun(), 1);
    EXPECT_EQ(picture.session().view().bounds().size.width, 100);
}
