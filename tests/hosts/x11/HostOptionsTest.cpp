// Before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include "display/DesktopScale.hpp"
#include "options/HostOptions.hpp"

#include <fstream>
#include <sstream>
#include <tuple>
#include <vector>

namespace {

// Every option XScreenSaver's settings dialog can produce, alone and all
// together; a slider's at both ends of its range. (What vorpi makes of
// options is seen on a display: VorpiOnXvfbTest.)
TEST(HostOptions, TheSettingsDialogOnlyProducesOptionsItAccepts)
{
    std::string xml = (std::ostringstream() << std::ifstream(VORPI_SETTINGS_FILE).rdbuf()).str();
    std::vector<std::vector<std::string>> produced;
    for (std::string attribute : { " arg=\"", " arg-set=\"", " arg-unset=\"" })
        for (auto at = xml.find(attribute); at != std::string::npos; at = xml.find(attribute, at + 1)) {
            auto value = at + attribute.size();
            std::string option = xml.substr(value, xml.find('"', value) - value);
            std::string element = xml.substr(xml.rfind('<', at), xml.find('>', at) - xml.rfind('<', at));
            auto valueOf = [&](const std::string& name) {
                auto start = element.find(" " + name + "=\"");
                return start == std::string::npos ? "" : element.substr(start + name.size() + 3,
                    element.find('"', start + name.size() + 3) - start - name.size() - 3);
            };
            for (std::string end : { valueOf("low"), valueOf("high") }) {
                std::istringstream words(option);
                produced.emplace_back();
                for (std::string word; words >> word;)
                    produced.back().push_back(word == "%" ? end : word);
            }
        }
    ASSERT_GE(produced.size(), 4u);
    std::vector<const char*> everything;
    for (const std::vector<std::string>& option : produced) {
        std::vector<const char*> arguments;
        for (const std::string& word : option)
            arguments.push_back(word.c_str());
        EXPECT_NO_THROW(HostOptions::parse(arguments, nullptr)) << option.front();
        everything.insert(everything.end(), arguments.begin(), arguments.end());
    }
    EXPECT_NO_THROW(HostOptions::parse(everything, nullptr));
}

}

namespace {

// XScreenSaver's standard options as a user's programs: line or a wrapper
// script writes them: those with a meaning here are read, the rest accepted.
TEST(HostOptions, ReadsTheHacksStandardOptions)
{
    using Kind = HostOptions::VisualRequest::Kind;
    HostOptions options = HostOptions::parse(std::vector { "--root", "--delay", "20000", "-install", "-noinstall",
        "-mono", "-fps", "-no-fps", "-sync", "-display=:7", "-visual", "TrueColor", "-geometry", "=800x600-10+20",
        "-scale", "1.5" }, nullptr);
    EXPECT_EQ(options.target, HostOptions::Target::RootWindow);
    EXPECT_EQ(options.delay, std::chrono::microseconds(20000));
    EXPECT_FALSE(options.showFps) << "the last of -fps and -no-fps counts";
    EXPECT_TRUE(options.synchronous);
    EXPECT_EQ(options.displayName, ":7");
    EXPECT_EQ(options.visual.kind, Kind::Class);
    EXPECT_EQ(options.scale, 1.5);
    const HostOptions::Geometry& geometry = options.geometry;
    EXPECT_EQ(std::tie(*geometry.width, *geometry.height, *geometry.x, *geometry.y, geometry.xFromRight,
                  geometry.yFromBottom),
        std::make_tuple(800, 600, 10, 20, true, false));

    HostOptions defaults = HostOptions::parse(std::vector<const char*> {}, nullptr);
    EXPECT_EQ(defaults.delay, std::chrono::microseconds(0));
    EXPECT_FALSE(defaults.scale) << "auto: from the desktop";
    EXPECT_EQ(defaults.visual.kind, Kind::Default);
    EXPECT_EQ(HostOptions::parse(std::vector { "-scale", "2", "-scale=auto" }, nullptr).scale, std::nullopt);
    EXPECT_EQ(HostOptions::parse(std::vector { "-visual=0x2a" }, nullptr).visual.id, 0x2au);
    EXPECT_EQ(HostOptions::parse(std::vector { "-visual", "best" }, nullptr).visual.kind, Kind::Default);
    EXPECT_FALSE(HostOptions::parse(std::vector { "-geometry", "+0+0" }, nullptr).geometry.width);
    EXPECT_FALSE(HostOptions::parse(std::vector { "-geometry", "640x480" }, nullptr).geometry.x);

    for (std::vector<const char*> refused : std::vector<std::vector<const char*>> { { "-delay", "-1" },
             { "-delay", "10000001" }, { "-delay", "1.5" }, { "-delay", "" }, { "-scale", "0.5" }, { "-scale", "4.5" },
             { "-scale", "2x" }, { "-scale", "nan" }, { "-scale", "inf" }, { "-scale", "-2" }, { "-scale", "1e0" },
             { "-geometry", "0x10" }, { "-geometry", "10x" }, { "-geometry", "x10" }, { "-geometry", "+10" },
             { "-geometry", "10x10+5" }, { "-geometry", "10x10+5+5+" }, { "-geometry", "" }, { "-geometry", "=" },
             { "-geometry", "99999x10" }, { "-visual", "sparkly" }, { "-visual", "0" }, { "-sync=1" },
             { "-install=yes" }, { "-display" }, { "-frames", "3" } })
        EXPECT_THROW(HostOptions::parse(refused, nullptr), OptionError) << refused.front() << " " << refused.back();
}

TEST(DesktopScale, IsXftDpiOver96ToTheNearestHalfFrom1To4)
{
    for (auto [dpi, scale] : std::vector<std::pair<double, double>> { { 96, 1 }, { 72, 1 }, { 0, 1 }, { -96, 1 },
             { 110, 1 }, { 144, 1.5 }, { 168, 2 }, { 192, 2 }, { 288, 3 }, { 384, 4 }, { 1000, 4 } })
        EXPECT_EQ(DesktopScale::forDpi(dpi), scale) << dpi;
    EXPECT_EQ(DesktopScale::forResources("Xft.antialias:\t1\nXft.dpi:\t192\n*background: grey\n"), 2);
    EXPECT_EQ(DesktopScale::forResources("Xft.dpi: 144.0\n"), 1.5);
    EXPECT_EQ(DesktopScale::forResources("Xft.antialias: 1\n"), std::nullopt);
    EXPECT_EQ(DesktopScale::forResources("Xft.dpi: many\n"), std::nullopt);
    EXPECT_EQ(DesktopScale::forResources(nullptr), std::nullopt);
}

}
