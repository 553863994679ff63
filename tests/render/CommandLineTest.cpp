#include "cli/CommandLine.hpp"
#include "cli/ProgressBar.hpp"
#include "cli/UsageError.hpp"
#include "output/FramePathPattern.hpp"

#include <gtest/gtest.h>

#include <tuple>

namespace {

RenderOptions parse(std::vector<std::string> arguments)
{
    return CommandLine::parse(arguments);
}

}

TEST(CommandLine, DefaultsToAFullHdPngOfTenSeconds)
{
    RenderOptions options = parse({});
    EXPECT_EQ(options.width, 1920);
    EXPECT_EQ(options.height, 1080);
    EXPECT_EQ(options.frames, 300);
    EXPECT_FALSE(options.seed);
    EXPECT_FALSE(options.preview);
    ASSERT_EQ(options.outputs.size(), 1u);
    EXPECT_EQ(options.outputs[0].path, "vorpi.png");
    EXPECT_TRUE(parse({ "--trace", "t.txt" }).outputs.empty()) << "a trace alone asks for no image";
}

TEST(CommandLine, ReadsEveryOptionInBothSpellings)
{
    RenderOptions options = parse({ "--size=16384x1", "--frames", "2147483647", "--seed=4294967295", "--preview",
        "--output", "a.PNG", "--output=b.webm", "--output", "f/%05d.png", "--trace", "-", "--quiet" });
    EXPECT_EQ(std::tie(options.width, options.height, options.frames), std::make_tuple(16384, 1, 2147483647));
    EXPECT_EQ(options.seed, 4294967295u);
    EXPECT_TRUE(options.preview && options.quiet);
    ASSERT_EQ(options.outputs.size(), 3u);
    EXPECT_EQ(options.outputs[0].format, RenderOptions::Format::Png);
    EXPECT_EQ(options.outputs[1].format, RenderOptions::Format::Webm);
    EXPECT_TRUE(options.outputs[2].numbered);
}

TEST(CommandLine, RefusesEveryBadValueWithAReason)
{
    const std::vector<std::vector<std::string>> bad {
        { "--size", "0x10" }, { "--size", "10x0" }, { "--size", "-5x10" }, { "--size", "16385x10" },
        { "--size", "abcx10" }, { "--size", "10" }, { "--size", "10x" }, { "--size", "+10x10" }, { "--size", "1e3x10" },
        { "--size", "99999999999999999999x1" }, { "--frames", "0" }, { "--frames", "-1" }, { "--frames", "2147483648" },
        { "--frames", "ten" }, { "--frames", "" }, { "--seed", "-1" }, { "--seed", "4294967296" }, { "--seed", " 1" },
        { "--output", "a.txt" }, { "--output", "a" }, { "--output", "f%05d.mp4" }, { "--output", "f%s.png" },
        { "--output", "%d%d.png" }, { "--output", "%.png" }, { "--trace", "" }, { "--size" }, { "--preview=1" },
        { "--frames", "2", "--frames", "3" }, { "--bogus" }, { "stray.png" },
    };
    for (const auto& arguments : bad) {
        try {
            parse(arguments);
            ADD_FAILURE() << "accepted " << ::testing::PrintToString(arguments);
        } catch (const UsageError& error) {
            EXPECT_EQ(std::string(error.what()).find('\n'), std::string::npos);
        }
    }
}

TEST(FramePathPattern, NumbersTheFileNameOnly)
{
    auto pattern = FramePathPattern::parse("out%d/f%05d-%%.png");
    ASSERT_TRUE(pattern);
    EXPECT_EQ(pattern->pathFor(7), "out%d/f00007-%.png");
    EXPECT_EQ(pattern->pathFor(123456), "out%d/f123456-%.png");
    EXPECT_EQ(pattern->extension(), ".png");
    EXPECT_EQ(FramePathPattern::parse("%3d.png")->pathFor(4), "  4.png");
    EXPECT_EQ(FramePathPattern::parse("%d.png")->pathFor(12), "12.png");

    EXPECT_FALSE(FramePathPattern::parse("out%d/plain.png"));
    for (const char* malformed : { "f%n.png", "f%-5d.png", "f%5.png", "f%", "100%%.png", "f%021d.png", "%d-%d.png" })
        EXPECT_THROW(FramePathPattern::parse(malformed), std::invalid_argument) << malformed;
}

TEST(ProgressBar, ReportsFramesRateAndTimeLeft)
{
    EXPECT_EQ(ProgressBar::describe(0, 300, 0), "[                        ] 0/300 frames    --.- fps  --:-- left");
    EXPECT_EQ(ProgressBar::describe(150, 300, 6), "[############            ] 150/300 frames    25.0 fps  0:06 left");
    EXPECT_EQ(ProgressBar::describe(300, 300, 100), "[########################] 300/300 frames     3.0 fps  0:00 left");
}
