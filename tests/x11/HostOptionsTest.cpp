#include "options/HostOptions.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

namespace {

HostOptions parse(std::vector<const char*> arguments, const char* screensaverWindow = nullptr)
{
    return HostOptions::parse(arguments, screensaverWindow);
}

using Target = HostOptions::Target;

TEST(HostOptions, ChoosesTheWindowAsXScreenSaverAndXsecurelockExpect)
{
    EXPECT_EQ(parse({}).target, Target::OwnWindow);
    EXPECT_EQ(parse({}, "0x2a").target, Target::OwnWindow) << "only -root reads XSCREENSAVER_WINDOW";
    EXPECT_EQ(parse({ "-root" }).target, Target::RootWindow);
    EXPECT_EQ(parse({ "-root", "-window" }).target, Target::OwnWindow);

    HostOptions daemon = parse({ "--root" }, "0x2a");
    EXPECT_EQ(daemon.target, Target::GivenWindow);
    EXPECT_EQ(daemon.windowId, 0x2au);
    EXPECT_FALSE(daemon.preview);
    EXPECT_EQ(parse({ "-root" }, "42").windowId, 42u) << "xsecurelock gives it in decimal";

    HostOptions preview = parse({ "--root", "--window-id", "0x10" }, "0x2a");
    EXPECT_EQ(preview.target, Target::GivenWindow);
    EXPECT_EQ(preview.windowId, 0x10u);
    EXPECT_TRUE(preview.preview);
    EXPECT_EQ(parse({ "-window-id=4194305" }).windowId, 4194305u);
}

TEST(HostOptions, ReadsTheOtherOptionsWithOneOrTwoDashes)
{
    HostOptions options = parse({ "--fps", "-seed", "4294967295" });
    EXPECT_TRUE(options.showFps);
    EXPECT_EQ(options.seed, 4294967295u);
    EXPECT_FALSE(parse({}).seed) << "a fresh seed by default";
    EXPECT_EQ(parse({ "--seed=0" }).seed, 0u);
    EXPECT_EQ(parse({ "-help" }).action, HostOptions::Action::ShowHelp);
    EXPECT_EQ(parse({ "--help" }).action, HostOptions::Action::ShowHelp);
    EXPECT_EQ(parse({ "--version" }).action, HostOptions::Action::ShowVersion);
}

TEST(HostOptions, RefusesWhatItCannotFollow)
{
    std::vector<std::vector<const char*>> refused {
        { "-install" }, { "root" }, { "---root" }, { "-fps=1" }, { "-seed" }, { "-window-id" },
        { "-seed", "-1" }, { "-seed", "4294967296" }, { "-seed", "12abc" },
        { "-window-id", "0" }, { "-window-id", "0x" }, { "-window-id", "-5" }, { "-window-id", "0x20000000" },
        { "-window-id", "0x2a " }, { "-window-id", "0x0x2a" },
    };
    for (const auto& arguments : refused)
        EXPECT_THROW(parse(arguments), OptionError) << arguments.front();
    EXPECT_THROW(parse({ "-root" }, "window"), OptionError);
    EXPECT_NO_THROW(parse({ "-root", "-window-id", "7" }, "window")) << "the variable is not read then";
}

TEST(HostOptions, TheSettingsDialogOnlyProducesOptionsItAccepts)
{
    std::ifstream file(VORPI_SETTINGS_FILE);
    ASSERT_TRUE(file);
    std::string xml((std::istreambuf_iterator<char>(file)), {});
    std::vector<std::string> produced;
    for (std::string attribute : { " arg=\"", " arg-set=\"", " arg-unset=\"" }) {
        for (auto at = xml.find(attribute); at != std::string::npos; at = xml.find(attribute, at + 1)) {
            auto value = at + attribute.size();
            produced.push_back(xml.substr(value, xml.find('"', value) - value));
        }
    }
    ASSERT_GE(produced.size(), 2u);
    std::vector<const char*> everything;
    for (const std::string& option : produced) {
        EXPECT_NO_THROW(parse({ option.c_str() })) << option;
        everything.push_back(option.c_str());
    }
    EXPECT_NO_THROW(parse(everything));
}

}
