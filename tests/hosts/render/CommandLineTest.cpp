#include "HostInputCases.hpp"
#include "cli/CommandLine.hpp"
#include "cli/ProgressBar.hpp"
#include "output/FramePathPattern.hpp"

#include "options/ScaleSetting.hpp"
#include "options/SeedSetting.hpp"

#include <gtest/gtest.h>

#include <tuple>

// Bad command lines go through the program itself, in VorpiRender.RefusesBadInputWithOneLineAndStatusTwo.

// The largest values, over the defaults; the scales and seeds are below,
// what the other options do is seen in the files the program writes (VorpiRenderTest).
TEST(CommandLine, ReadsOptionsOverTheDefaults)
{
    RenderOptions defaults = CommandLine::parse({});
    EXPECT_EQ(std::tie(defaults.width, defaults.height, defaults.frames, defaults.scale),
        std::make_tuple(1920, 1080, 300, 1.0));

    RenderOptions options = CommandLine::parse({ "--size=16384x1", "--frames", "2147483647", "--preview", "--quiet",
        "--output", "a.PNG" });
    EXPECT_EQ(std::tie(options.width, options.height, options.frames, options.preview, options.quiet),
        std::make_tuple(16384, 1, 2147483647, true, true));
    ASSERT_EQ(options.outputs.size(), 1u);
    EXPECT_EQ(options.outputs[0].format, RenderOptions::Format::Png);
}

TEST(CommandLine, ReadsScalesAndSeedsAsEveryHostDoes)
{
    auto refusal = [](const std::vector<std::string>& arguments) {
        return refusalFrom([&] { CommandLine::parse(arguments); });
    };
    for (const ScaleCase& row : scaleCases) {
        if (row.scale)
            EXPECT_EQ(CommandLine::parse({ "--scale", row.text }).scale, *row.scale == 0 ? 1 : *row.scale) << row.text;
        else
            EXPECT_EQ(refusal({ "--scale", row.text }), refusalOf("--scale", row.text, ScaleSetting::expected));
    }
    for (const SeedCase& row : seedCases) {
        if (row.seed)
            EXPECT_EQ(CommandLine::parse({ "--seed=" + std::string(row.text) }).seed, *row.seed) << row.text;
        else
            EXPECT_EQ(refusal({ "--seed=" + std::string(row.text) }), refusalOf("--seed", row.text, SeedSetting::expected));
    }
}

TEST(FramePathPattern, NumbersTheFileNameOnly)
{
    auto pattern = FramePathPattern::parse("out%d/f%05d-%%.png");
    ASSERT_TRUE(pattern);
    EXPECT_EQ(pattern->pathFor(7), "out%d/f00007-%.png");
    EXPECT_EQ(pattern->pathFor(123456), "out%d/f123456-%.png");
    EXPECT_EQ(FramePathPattern::parse("%3d.png")->pathFor(4), "  4.png");
    EXPECT_EQ(FramePathPattern::parse("%d.png")->pathFor(12), "12.png");
    EXPECT_FALSE(FramePathPattern::parse("out%d/plain.png"));
}

TEST(FramePathPattern, FindsANameTwoPatternsShareUpToTheLastFrame)
{
    std::tuple<const char*, const char*, int, std::optional<std::string>> cases[] {
        { "f%d.png", "f1%d.png", 12, "f11.png" }, { "f%d.png", "f1%d.png", 10, std::nullopt },
        { "f%d.png", "f2%d.png", 21, "f21.png" }, { "f%d.png", "f2%d.png", 20, std::nullopt },
        { "f%d.png", "f%1d.png", 1, "f1.png" }, { "f%d.png", "f0%d.png", 2147483647, std::nullopt },
        { "f%d.png", "f%03d.png", 99, std::nullopt }, { "f%03d.png", "f%d.png", 100, "f100.png" },
        { "%3d.png", " %d.png", 9, std::nullopt }, { "%3d.png", " %d.png", 10, " 10.png" },
        { "%d0.png", "%d.png", 2147483647, "10.png" }, { "a%d.png", "b%d.png", 2147483647, std::nullopt },
    };
    for (const auto& [first, second, lastFrame, shared] : cases)
        EXPECT_EQ(FramePathPattern::parse(first)->nameSharedWith(*FramePathPattern::parse(second), lastFrame), shared)
            << first << " and " << second << " up to " << lastFrame;
}

TEST(ProgressBar, ReportsFramesRateAndTimeLeftThenWhatWasWritten)
{
    EXPECT_EQ(ProgressBar::describe(1, 300, std::nullopt), "[                        ] 1/300 frames    --.- fps  --:-- left");
    EXPECT_EQ(ProgressBar::describe(150, 300, 25.0), "[############            ] 150/300 frames    25.0 fps  0:06 left");
    EXPECT_EQ(ProgressBar::describe(300, 300, 3.0), "[########################] 300/300 frames     3.0 fps  0:00 left");
}
