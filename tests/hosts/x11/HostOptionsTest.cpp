// Before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include "FileText.hpp"
#include "HostInputCases.hpp"
#include "options/DelaySetting.hpp"
#include "options/HostOptions.hpp"
#include "options/SeedSetting.hpp"
#include "present/PixelFormat.hpp"

#include <X11/X.h>

#include <iterator>
#include <optional>
#include <sstream>
#include <tuple>
#include <vector>

namespace {

// The one line that refuses a command line, or nothing.
std::string refusal(const std::vector<std::string>& arguments, const char* screensaverWindow = nullptr)
{
    return refusalFrom([&] { HostOptions::parse(arguments, screensaverWindow); });
}

// Every option XScreenSaver's settings dialog can produce, alone and all
// together; a slider's at both ends of its range. (What vorpi makes of
// options is seen on a display: VorpiOnXvfbTest.)
TEST(HostOptions, TheSettingsDialogOnlyProducesOptionsItAccepts)
{
    std::string xml = read(VORPI_SETTINGS_FILE);
    auto attribute = [](const std::string& element, const std::string& name) {
        std::size_t start = element.find(" " + name + "=\"");
        start = start == std::string::npos ? element.size() : start + name.size() + 3;
        return element.substr(start, element.find('"', start) - start);
    };
    std::vector<std::string> everything;
    for (std::size_t open = xml.find('<'); open != std::string::npos; open = xml.find('<', open + 1)) {
        std::string element = xml.substr(open, xml.find('>', open) - open);
        for (const char* name : { "arg", "arg-set", "arg-unset" })
            for (const std::string& end : { attribute(element, "low"), attribute(element, "high") }) {
                std::string text = attribute(element, name);
                if (std::size_t percent = text.find('%'); percent != std::string::npos)
                    text.replace(percent, 1, end);
                std::istringstream words(text);
                std::vector<std::string> arguments { std::istream_iterator<std::string>(words), {} };
                EXPECT_EQ(refusal(arguments), "") << text;
                everything.insert(everything.end(), arguments.begin(), arguments.end());
            }
    }
    EXPECT_GE(everything.size(), 4u);
    EXPECT_EQ(refusal(everything), "");
}

// The same scales and seeds as every host, with the same words for those refused.
TEST(HostOptions, ReadsScalesAndSeedsAsEveryHost)
{
    for (const ScaleCase& row : scaleCases)
        EXPECT_EQ(refusal({ "-scale", row.text }), row.scale ? "" : refusalOf("-scale", row.text, ScaleSetting::expected));
    for (const SeedCase& row : seedCases)
        EXPECT_EQ(refusal({ "--seed", row.text }), row.seed ? "" : refusalOf("--seed", row.text, SeedSetting::expected));
}

// XScreenSaver's standard options as a user's programs: line or a wrapper
// script writes them: those with a meaning here are read, the rest accepted;
// where one is given twice the last counts.
TEST(HostOptions, ReadsTheHacksStandardOptions)
{
    HostOptions options = HostOptions::parse({ "--root", "--delay", "20000", "-install", "-noinstall", "-mono", "-fps",
        "-no-fps", "-sync", "-display=:7", "-visual", "TrueColor", "-geometry", "=800x600-10+-20", "-seed", "7",
        "-scale", "2", "-scale=1.5" }, nullptr);
    EXPECT_EQ(std::tie(options.target, options.delay, options.showFps, options.synchronous, *options.displayName),
        std::make_tuple(HostOptions::Target::RootWindow, std::chrono::microseconds(20000), false, true, ":7"));
    EXPECT_EQ(std::tie(options.visual.visualClass, *options.seed), std::make_tuple(TrueColor, 7u));
    EXPECT_EQ(options.scale.resolve(1), 1.5);
    const HostOptions::Geometry& geometry = options.geometry;
    EXPECT_EQ(std::tie(*geometry.width, *geometry.height, *geometry.x, *geometry.y, geometry.xFromRight,
                  geometry.yFromBottom),
        std::make_tuple(800, 600, 10, -20, true, false));
    EXPECT_EQ(HostOptions::parse({ "-geometry", "-+5--6" }, nullptr).geometry.y, -6) << "XParseGeometry's signs";
    EXPECT_EQ(HostOptions::parse({ "-visual=0x2a" }, nullptr).visual.id, 0x2au);
}

// The words of X11's own values (the reader's other complaints are the host
// kit's: HostKitTest); -delay as the Linux programs read it.
TEST(HostOptions, RefusesWithOneLine)
{
    std::string windowIds = "expected a window id in hex (0x...) or decimal";
    for (const auto& [arguments, refused] : std::vector<std::pair<std::vector<std::string>, std::string>> {
             { { "-window-id", "0x" }, "invalid -window-id '0x': " + windowIds },
             { { "-visual", "a" }, "invalid -visual 'a': expected " + std::string(HostOptions::visualsExpected) },
             { { "-geometry", "+1" }, "invalid -geometry '+1': expected WIDTHxHEIGHT, {+-}X{+-}Y or both, such as "
                                      "800x600+10-10" } })
        EXPECT_EQ(refusal(arguments), refused);
    EXPECT_EQ(refusal({ "-root" }, "x\n"), "invalid XSCREENSAVER_WINDOW 'x\\n': " + windowIds);
    for (const DelayCase& row : delayCases)
        EXPECT_EQ(refusal({ "-delay", row.text }), row.microseconds ? "" : refusalOf("-delay", row.text, DelaySetting::expected))
            << row.text;

    for (std::string refused : { "---root", "-fps=1", "-install=yes", "-window-id 0", "-window-id -5",
             "-window-id 0x20000000", "-window-id 0x0x2a", "-geometry 0x10", "-geometry 10x", "-geometry x10",
             "-geometry 10x10+5", "-geometry 10x10+5+5+", "-geometry +-+5+5", "-geometry 99999x10",
             "-geometry +0+-40000", "-visual 0" }) {
        std::istringstream words(refused);
        EXPECT_NE(refusal({ std::istream_iterator<std::string>(words), {} }), "") << refused;
    }
}

// Colours in the layouts of 16-, 30- and blue-first 32-bit visuals; the usual 24-bit one takes the canvas's words.
TEST(PixelFormat, KeepsEachChannelsTopBitsOrRepeatsThem)
{
    using Row = std::tuple<PixelFormat, std::uint32_t, std::uint32_t>;
    for (const auto& [format, grey, colour] : { Row { { 0xF800, 0x07E0, 0x001F, 16, 16 }, 0x8410, 0x11AA },
             Row { { 0x3FF00000, 0x000FFC00, 0x000003FF, 30, 32 }, 0x20280A02, 0x04834159 },
             Row { { 0x0000FF, 0x00FF00, 0xFF0000, 32, 32 }, 0xFF808080, 0xFF563412 } })
        EXPECT_EQ(std::make_tuple(format.isCanvasLayout(), format.pixel(0x808080), format.pixel(0x123456)),
            std::make_tuple(false, grey, colour));
    EXPECT_TRUE(PixelFormat(0xFF0000, 0x00FF00, 0x0000FF, 24, 32).isCanvasLayout());
}

}
