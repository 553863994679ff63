#include "ChildProcess.hpp"
#include "HostInputCases.hpp"
#include "options/DelaySetting.hpp"
#include "options/SeedSetting.hpp"
#include "options/WaylandOptions.hpp"

#include <gtest/gtest.h>

#include <tuple>

namespace {

// The one line that refuses `arguments`, or nothing when they are read.
std::string refusal(const std::vector<std::string>& arguments)
{
    return refusalFrom([&] { WaylandOptions::parse(arguments); });
}

// The same scale, seed and delay texts as every host, accepted alike or refused with the same words.
TEST(WaylandOptions, ReadsScalesSeedsAndDelaysAsEveryHost)
{
    auto refused = [](bool accepted, const char* option, const char* text, const char* expected) {
        return accepted ? "" : refusalOf(option, text, expected);
    };
    for (const ScaleCase& row : scaleCases)
        EXPECT_EQ(refusal({ "--scale", row.text }), refused(bool(row.scale), "--scale", row.text, ScaleSetting::expected));
    for (const SeedCase& row : seedCases)
        EXPECT_EQ(refusal({ "--seed=" + std::string(row.text) }), refused(bool(row.seed), "--seed", row.text, SeedSetting::expected));
    for (const DelayCase& row : delayCases)
        EXPECT_EQ(refusal({ "--delay", row.text }), refused(bool(row.microseconds), "--delay", row.text, DelaySetting::expected));
    auto options = WaylandOptions::parse({ "--seed", "7", "--delay=100", "--scale", "1.5", "--background", "--fps" });
    EXPECT_EQ(std::tuple(*options.seed, options.delay.count(), options.scale.resolve(0), options.background, options.showFps),
        std::tuple(7u, 100, 1.5, true, true));
}

// One dash is not enough, a switch takes no value, a value is given once. A
// command line it cannot follow is one line and status 2 (the reader's
// complaints are the host kit's: HostKitTest); no compositor to talk to is one
// line and status 1.
TEST(WaylandOptions, BadInputGetsOneLine)
{
    using Command = std::vector<std::string>;
    for (const Command& refused : { Command { "-seed", "1" }, { "--background=1" }, { "--seed", "1", "--seed", "2" } })
        EXPECT_NE(refusal(refused), "");
    for (const auto& [command, status] :
        { std::pair { Command { VORPI_WAYLAND, "--frobnicate" }, 2 }, { { VORPI_WAYLAND }, 1 } }) {
        ChildProcess program(command, { { "WAYLAND_DISPLAY", "/nonexistent/wayland-0" } });
        EXPECT_EQ(program.waitForExit(std::chrono::seconds(5)), status);
        EXPECT_TRUE(isOneLine(program.standardError(), "vorpi-wayland")) << program.standardError();
    }
}

}
