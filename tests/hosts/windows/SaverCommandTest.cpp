#include "input/PointerWatch.hpp"
#include "options/SaverCommand.hpp"
#include "settings/SaverSettings.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Mode = SaverCommand::Mode;

// Every form Windows and its Settings dialog use, in either case, after / or -.
TEST(SaverCommand, FollowsEveryFormWindowsUses)
{
    struct Case {
        std::vector<std::string> arguments;
        Mode mode;
        std::uintptr_t window;
    };
    for (const auto& [arguments, mode, window] : {
             Case { {}, Mode::Settings, 0 },
             Case { { "/s" }, Mode::FullScreen, 0 },
             Case { { "-S" }, Mode::FullScreen, 0 },
             Case { { "/p", "1234" }, Mode::Preview, 1234 },
             Case { { "/P:66220" }, Mode::Preview, 66220 },
             Case { { "-p", "18446744073709551615" }, Mode::Preview, UINTPTR_MAX },
             Case { { "/c" }, Mode::Settings, 0 },
             Case { { "/C:4242" }, Mode::Settings, 4242 },
         }) {
        SaverCommand command = SaverCommand::parse(arguments);
        EXPECT_EQ(command.mode, mode) << ::testing::PrintToString(arguments);
        EXPECT_EQ(command.window, window) << ::testing::PrintToString(arguments);
    }
}

TEST(SaverCommand, RefusesWhatItCannotFollow)
{
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>> {
             { "/p" }, { "/p:" }, { "/p", "0" }, { "/p", "12ab" }, { "/p", "-5" },
             { "/p", "18446744073709551616" }, { "/p", "1", "2" }, { "/s:5" }, { "/s", "/p" },
             { "/x" }, { "s" }, { "/" }, { "/save" }, { "/c:" }, { "/c", "5" } }) {
        EXPECT_THROW(SaverCommand::parse(arguments), SaverCommand::Error) << ::testing::PrintToString(arguments);
    }
}

TEST(SaverSettings, RegistryAndTypedValuesAreBroughtIntoRange)
{
    EXPECT_EQ(SaverSettings::clampDelay(0), 0u);
    EXPECT_EQ(SaverSettings::clampDelay(200000), 200000u);
    EXPECT_EQ(SaverSettings::clampDelay(UINT64_MAX), SaverSettings::longestDelay);

    struct Scale {
        const char* text;
        std::optional<std::optional<double>> parsed;
    };
    for (auto [text, parsed] : { Scale { "auto", std::optional<double>() }, Scale { " AUTO ", std::optional<double>() },
             Scale { "2", 2.0 }, Scale { "1.5", 1.5 }, Scale { "4", 4.0 }, Scale { "0.5", std::nullopt },
             Scale { "4.5", std::nullopt }, Scale { "nan", std::nullopt }, Scale { "2x", std::nullopt },
             Scale { "", std::nullopt } }) {
        EXPECT_EQ(SaverSettings::parseScale(text), parsed) << text;
        if (parsed) {
            EXPECT_EQ(SaverSettings::parseScale(SaverSettings::formatScale(*parsed)), parsed) << text;
        }
    }
    for (auto [dpi, scale] : { std::pair { 0u, 1.0 }, { 96u, 1.0 }, { 120u, 1.5 }, { 144u, 1.5 }, { 192u, 2.0 },
             { 1000u, 4.0 } })
        EXPECT_EQ(SaverSettings::scaleForDpi(dpi), scale) << dpi;
}

}

TEST(PointerWatch, OnlyAMoveBeyondTheSlackFromTheFirstPositionEndsTheSaver)
{
    struct Case {
        std::vector<std::pair<int, int>> moves;
        bool ends;
    };
    for (const auto& [moves, ends] : {
             Case { { { 900, 500 } }, false },
             Case { { { 900, 500 }, { 902, 498 }, { 898, 502 }, { 900, 500 } }, false },
             Case { { { 900, 500 }, { 904, 500 } }, true },
             Case { { { 900, 500 }, { 900, 495 } }, true },
             Case { { { 10, 10 }, { 600, 400 } }, true },
         }) {
        PointerWatch watch(3);
        bool ended = false;
        for (auto [x, y] : moves)
            ended = watch.movedTo(x, y);
        EXPECT_EQ(ended, ends) << ::testing::PrintToString(moves);
    }
}
