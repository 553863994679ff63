#include "HostInputCases.hpp"
#include "options/OptionError.hpp"
#include "options/SaverCommand.hpp"
#include "options/SeedSetting.hpp"
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
        EXPECT_THROW(SaverCommand::parse(arguments), OptionError) << ::testing::PrintToString(arguments);
    }
}

// The dialog and the registry take what every host takes, and say the same of what they refuse;
// an empty seed field asks for a fresh seed each run.
TEST(SaverSettings, ReadsScalesAndSeedsAsEveryHostDoes)
{
    for (const ScaleCase& row : scaleCases) {
        std::string refused = refusalFrom([&] {
            ScaleSetting scale = SaverSettings::readScale(row.text);
            EXPECT_EQ(scale.resolve(0), row.scale) << row.text;
            EXPECT_EQ(SaverSettings::readScale(SaverSettings::scaleText(scale)).value(), scale.value()) << row.text;
        });
        EXPECT_EQ(refused, row.scale ? "" : refusalOf("scale", row.text, ScaleSetting::expected));
    }
    for (const SeedCase& row : seedCases) {
        std::string refused = refusalFrom([&] { EXPECT_EQ(SaverSettings::readSeed(row.text), row.seed) << row.text; });
        EXPECT_EQ(refused, row.seed || !*row.text ? "" : refusalOf("seed", row.text, SeedSetting::expected));
    }
    for (const std::string& choice : SaverSettings::scaleChoices())
        EXPECT_NO_THROW(SaverSettings::readScale(choice)) << choice;
}

}
