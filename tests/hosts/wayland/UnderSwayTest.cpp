// Runs vorpi-wayland under a headless sway of the test's own, takes
// screenshots with grim, types with wtype and points with a virtual pointer.
// sway will not run as root: there it runs as nobody, in a runtime folder of
// that user's, and the clients (root) reach its socket all the same.

#include "ChildProcess.hpp"
#include "DefaultBackend.hpp"
#include "Eventually.hpp"
#include "Picture.hpp"
#include "picture/SaverPicture.hpp"
#include "wlr-virtual-pointer-unstable-v1.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// The frame after which a seeded run's canvas of the shot's size equals the shot, if one of the first `frames` does.
std::optional<int> matchingFrame(const Picture& shot, std::uint32_t seed, int frames = 900)
{
    SaverPicture picture(DefaultBackend::makeCanvas(shot.width, shot.height), 1, false, RandomSources::seeded(seed));
    picture.session().start();
    for (int frame = 1; frame <= frames; ++frame) {
        picture.frame();
        if (Picture::of(picture.canvas().image()) == shot)
            return frame;
    }
    return std::nullopt;
}

class UnderSway : public testing::Test {
protected:
    void SetUp() override
    {
        if (std::system("{ command -v sway && command -v grim && command -v wtype; } > /dev/null") != 0)
            GTEST_SKIP() << "needs sway, grim and wtype";
        char folder[] = "/tmp/vorpi-wayland-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        runtime = folder;
        environment["XDG_RUNTIME_DIR"] = runtime.string();
        std::ofstream(runtime / "config") << "output * mode 640x360\nxwayland disable\n";
        std::vector<std::string> command { "env", "-i", "PATH=/usr/bin:/bin", "HOME=" + runtime.string(),
            "XDG_RUNTIME_DIR=" + runtime.string(), "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1",
            "WLR_RENDERER=pixman", "sway", "-c", (runtime / "config").string() };
        if (geteuid() == 0) {
            ASSERT_EQ(chown(folder, 65534, 65534), 0);
            command.insert(command.begin(), { "setpriv", "--reuid=65534", "--regid=65534", "--clear-groups" });
        }
        sway = std::make_unique<ChildProcess>(command);
        ASSERT_TRUE(eventually([&] {
            for (const auto& entry : fs::directory_iterator(runtime)) {
                std::string name = entry.path().filename();
                if (name.starts_with("wayland-") && !name.ends_with(".lock"))
                    environment["WAYLAND_DISPLAY"] = name;
                else if (name.starts_with("sway-ipc."))
                    environment["SWAYSOCK"] = entry.path().string();
            }
            return environment.size() == 3;
        })) << sway->standardError();
    }
    void TearDown() override
    {
        sway.reset();
        fs::remove_all(runtime);
    }

    std::unique_ptr<ChildProcess> start(std::vector<std::string> command)
    {
        return std::make_unique<ChildProcess>(command, environment);
    }
    std::unique_ptr<ChildProcess> vorpi(std::vector<std::string> options)
    {
        options.insert(options.begin(), VORPI_WAYLAND);
        auto program = start(options);
        EXPECT_TRUE(eventually([&] { return shot().showsCreatures(); }, 10s)) << program->standardError();
        return program;
    }
    int run(const std::vector<std::string>& command) { return start(command)->waitForExit(10s).value_or(-1); }

    // What sway shows on an output, as a PNG at no compression, which is quickest.
    Picture shot(const std::string& output = "HEADLESS-1")
    {
        fs::path file = runtime / "shot.png";
        return run({ "grim", "-l", "0", "-o", output, file }) == 0 ? Picture::fromPng(file) : Picture {};
    }

    fs::path runtime;
    Environment environment;
    std::unique_ptr<ChildProcess> sway;
};

// A mouse of the test's own, where sway has none, moved over a 640x360 output.
class VirtualPointer {
public:
    explicit VirtualPointer(const Environment& environment)
        : _display(wl_display_connect(
            (*environment.at("XDG_RUNTIME_DIR") + "/" + *environment.at("WAYLAND_DISPLAY")).c_str()))
    {
        static const wl_registry_listener listener = {
            .global = [](void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
                const wl_interface& manager = zwlr_virtual_pointer_manager_v1_interface;
                if (std::string(interface) == manager.name)
                    *static_cast<void**>(data) = wl_registry_bind(registry, name, &manager, 1);
            },
            .global_remove = [](void*, wl_registry*, std::uint32_t) {},
        };
        wl_registry* registry = wl_display_get_registry(_display);
        zwlr_virtual_pointer_manager_v1* manager = nullptr;
        wl_registry_add_listener(registry, &listener, reinterpret_cast<void**>(&manager));
        wl_display_roundtrip(_display);
        _pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, nullptr);
        zwlr_virtual_pointer_manager_v1_destroy(manager);
        wl_registry_destroy(registry);
        wl_display_roundtrip(_display);
    }
    ~VirtualPointer()
    {
        zwlr_virtual_pointer_v1_destroy(_pointer);
        wl_display_disconnect(_display);
    }

    void moveTo(int x, int y) { send(zwlr_virtual_pointer_v1_motion_absolute, x, y, 640, 360); }
    void click() { send(zwlr_virtual_pointer_v1_button, 0x110 /* BTN_LEFT */, WL_POINTER_BUTTON_STATE_PRESSED); }

private:
    template <typename... Arguments>
    void send(void (*request)(zwlr_virtual_pointer_v1*, std::uint32_t, Arguments...), auto... arguments)
    {
        request(_pointer, ++_time, arguments...);
        zwlr_virtual_pointer_v1_frame(_pointer);
        wl_display_roundtrip(_display);
    }

    wl_display* _display;
    zwlr_virtual_pointer_v1* _pointer = nullptr;
    std::uint32_t _time = 0;
};

// Each output gets a picture of its own, from the seed given and the next one
// (an output plugged in later too): what sway shows of each is exactly that
// seed's canvas after some frame, nothing presented stale.
TEST_F(UnderSway, DrawsEachOutputItsOwnSeededPicture)
{
    auto saver = vorpi({ "--seed", "7" });
    ASSERT_EQ(run({ "swaymsg", "create_output" }), 0);
    ASSERT_TRUE(eventually([&] { return shot("HEADLESS-2").showsCreatures(); }, 10s));
    saver->signal(SIGSTOP);
    Picture first = shot(), second = shot("HEADLESS-2");
    saver->signal(SIGCONT);
    EXPECT_TRUE(matchingFrame(first, 7));
    EXPECT_TRUE(matchingFrame(second, 8));
}

// A key, a button or a real move ends the saver with status 0 within a
// second; a pointer that jitters by 2 pixels does not. The wallpaper lets
// input through: a key leaves it running until SIGTERM.
TEST_F(UnderSway, InputEndsTheSaverButNotTheWallpaper)
{
    VirtualPointer pointer(environment);
    for (std::string ending : { "key", "button", "move", "wallpaper" }) {
        SCOPED_TRACE(ending);
        bool wallpaper = ending == "wallpaper";
        pointer.moveTo(320, 180);
        auto saver = vorpi(wallpaper ? std::vector<std::string> { "--background" } : std::vector<std::string> {});
        for (auto [x, y] : { std::pair { 322, 180 }, { 320, 178 }, { 318, 182 }, { 320, 180 } })
            pointer.moveTo(x, y);
        EXPECT_FALSE(saver->waitForExit(1s)) << "ended by a jitter";
        if (ending == "key" || wallpaper)
            EXPECT_EQ(run({ "wtype", "-s", "300", "k" }), 0);
        else
            ending == "button" ? pointer.click() : pointer.moveTo(400, 250);
        if (wallpaper && !saver->waitForExit(1s))
            saver->signal(SIGTERM);
        EXPECT_EQ(saver->waitForExit(1s), wallpaper ? 128 + SIGTERM : 0);
        EXPECT_EQ(saver->standardError(), "");
    }
}

// SIGTERM ends it by that signal within 200 ms, even while the compositor has
// stopped reading; a compositor that goes away is one line and status 1.
TEST_F(UnderSway, EndsBySignalOrWithTheCompositor)
{
    auto saver = vorpi({});
    sway->signal(SIGSTOP);
    std::this_thread::sleep_for(300ms);
    auto sent = std::chrono::steady_clock::now();
    saver->signal(SIGTERM);
    EXPECT_EQ(saver->waitForExit(2s), 128 + SIGTERM);
    EXPECT_LT(std::chrono::steady_clock::now() - sent, 200ms);
    EXPECT_EQ(saver->standardError(), "");
    sway->signal(SIGCONT);

    saver = vorpi({});
    sway->signal(SIGKILL);
    EXPECT_EQ(saver->waitForExit(5s), 1);
    std::string error = saver->standardError();
    EXPECT_TRUE(isOneLine(error, "vorpi-wayland")
        && error.starts_with("vorpi-wayland: lost the connection to the compositor")) << error;
}

// A new mode is taken up once it has settled: a fresh picture, the old one
// gone, whose creatures come to every quarter of the new size.
TEST_F(UnderSway, FollowsAModeChange)
{
    ASSERT_EQ(run({ "swaymsg", "output HEADLESS-1 mode 1920x1080" }), 0);
    auto saver = vorpi({});
    std::this_thread::sleep_for(2s);
    std::size_t litBefore = shot().lit(0, 0, 1366, 768);
    ASSERT_EQ(run({ "swaymsg", "output HEADLESS-1 mode 1366x768" }), 0);
    EXPECT_TRUE(eventually([&] {
        Picture now = shot();
        return now.width == 1366 && now.lit(0, 0, 1366, 768) * 2 < litBefore;
    }));
    EXPECT_TRUE(eventually([&] {
        Picture now = shot();
        for (auto [left, top] : { std::pair { 0, 0 }, { 683, 0 }, { 0, 384 }, { 683, 384 } })
            if (now.lit(left, top, left + 683, top + 384) < 500)
                return false;
        return true;
    }, 30s));
}

}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    int status = RUN_ALL_TESTS();
    // Without sway every test here skips, and ctest hears so.
    auto* tests = testing::UnitTest::GetInstance();
    return status == 0 && tests->skipped_test_count() > 0 && tests->successful_test_count() == 0 ? 77 : status;
}
