// Runs the vorpi program on a private Xvfb server, in windows this test makes
// as "another program", and looks at what lands in them.

#include "ChildProcess.hpp"
#include "XvfbServer.hpp"

// Before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <fstream>
#include <memory>
#include <set>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr std::uint32_t bystanderColour = 0x336699;
#ifdef VORPI_SANITIZED
// The leak checker scans the whole process on the way out, for tens of
// milliseconds, and far longer on a busy machine: the bound is the plain build's to keep.
constexpr auto exitLimit = 2s;
#else
constexpr auto exitLimit = 100ms;
#endif

struct Picture {
    std::vector<std::uint32_t> pixels;

    std::size_t count(std::uint32_t colour) const { return std::ranges::count(pixels, colour); }
    std::size_t lit() const { return pixels.size() - count(0); }
    // Translucent, antialiased strokes in many colours over at least 1 % of the window.
    bool showsCreatures() const
    {
        std::set<std::uint32_t> colours(pixels.begin(), pixels.end());
        return lit() * 100 > pixels.size() && colours.size() > 50;
    }
    // How much of what `earlier` showed is still lit here.
    double keptFrom(const Picture& earlier) const
    {
        if (pixels.size() != earlier.pixels.size() || earlier.lit() == 0)
            return 0;
        std::size_t kept = 0;
        for (std::size_t i = 0; i < pixels.size(); ++i)
            kept += earlier.pixels[i] != 0 && pixels[i] != 0;
        return static_cast<double>(kept) / static_cast<double>(earlier.lit());
    }
};

std::string hex(Window window)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", window);
    return text;
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = 5s)
{
    auto giveUp = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// How much the process ran, and how often it slept, over a stretch of time.
struct Activity {
    std::chrono::milliseconds cpu;
    long sleeps;
};

Activity activityOver(const ChildProcess& process, std::chrono::milliseconds stretch)
{
    auto cpu = process.cpuTime();
    long sleeps = process.voluntarySleeps();
    std::this_thread::sleep_for(stretch);
    return { process.cpuTime() - cpu, process.voluntarySleeps() - sleeps };
}

// One line, the program's own, and nothing after it.
bool isOneLine(const std::string& text)
{
    return text.starts_with("vorpi: ") && text.find('\n') == text.size() - 1;
}

// A window that is not (yet) on the screen cannot be captured; that is no reason to end the test program.
int ignoreError(Display*, XErrorEvent*)
{
    return 0;
}

class VorpiOnXvfb : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        XSetErrorHandler(ignoreError);
        server = std::make_unique<XvfbServer>(std::vector<std::string> { "-screen", "0", "640x480x24" });
    }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override { connect(server->displayName()); }
    void TearDown() override { XCloseDisplay(display); }

    void connect(const std::string& name)
    {
        if (display)
            XCloseDisplay(display);
        display = XOpenDisplay(name.c_str());
        ASSERT_NE(display, nullptr);
        displayName = name;
    }

    Window makeWindow(int x, int y, int width, int height, std::uint32_t background, int depth = 24,
        int visualClass = TrueColor)
    {
        XVisualInfo visual;
        if (!XMatchVisualInfo(display, DefaultScreen(display), depth, visualClass, &visual))
            throw std::runtime_error("the test server has no such visual");
        XSetWindowAttributes settings {};
        settings.colormap = XCreateColormap(display, DefaultRootWindow(display), visual.visual, AllocNone);
        settings.background_pixel = depth == 32 ? background | 0xFF000000 : background;
        Window window = XCreateWindow(display, DefaultRootWindow(display), x, y, width, height, 0, depth, InputOutput,
            visual.visual, CWColormap | CWBackPixel | CWBorderPixel, &settings);
        XMapWindow(display, window);
        XSync(display, False);
        return window;
    }

    std::unique_ptr<ChildProcess> startVorpi(const std::vector<std::string>& options,
        std::optional<std::string> screensaverWindow = {}, bool withDisplay = true)
    {
        std::vector<std::string> arguments { VORPI_EXECUTABLE };
        arguments.insert(arguments.end(), options.begin(), options.end());
        return std::make_unique<ChildProcess>(arguments,
            std::map<std::string, std::optional<std::string>> {
                { "DISPLAY", withDisplay ? std::optional(displayName) : std::nullopt },
                { "XSCREENSAVER_WINDOW", screensaverWindow },
            });
    }

    // What the window shows on the screen, as 0xRRGGBB.
    Picture capture(Window window)
    {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, window, &attributes))
            return {};
        int width = std::min(attributes.width, DisplayWidth(display, 0) - attributes.x);
        int height = std::min(attributes.height, DisplayHeight(display, 0) - attributes.y);
        XImage* image = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
        Picture picture;
        if (!image)
            return picture;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                picture.pixels.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
        }
        XDestroyImage(image);
        return picture;
    }

    bool showsCreatures(Window window)
    {
        return eventually([&] { return capture(window).showsCreatures(); });
    }

    Window windowNamed(const std::string& wanted)
    {
        Window found = None;
        eventually([&] {
            Window root, parent, *children = nullptr;
            unsigned int count = 0;
            XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
            for (unsigned int i = 0; i < count; ++i) {
                char* name = nullptr;
                if (XFetchName(display, children[i], &name) && name && wanted == name)
                    found = children[i];
                XFree(name);
            }
            XFree(children);
            return found != None;
        });
        return found;
    }

    static void expectCleanExit(ChildProcess& vorpi)
    {
        EXPECT_EQ(vorpi.waitForExit(2s), 0);
        EXPECT_EQ(vorpi.standardError(), "");
    }

    static inline std::unique_ptr<XvfbServer> server;
    Display* display = nullptr;
    std::string displayName;
};

enum class Target { OwnWindow, Root, WindowIdHex, WindowIdDecimal, VariableHex, VariableDecimal, ArgbWindow };

void PrintTo(Target target, std::ostream* out)
{
    const char* names[] = { "OwnWindow", "Root", "WindowIdHex", "WindowIdDecimal", "VariableHex", "VariableDecimal",
        "ArgbWindow" };
    *out << names[static_cast<int>(target)];
}

std::string targetName(const testing::TestParamInfo<Target>& target)
{
    return testing::PrintToString(target.param);
}

class DrawsInTheRightWindow : public VorpiOnXvfb, public testing::WithParamInterface<Target> { };

TEST_P(DrawsInTheRightWindow, AndNowhereElse)
{
    // In the middle of the screen, where the creatures start when vorpi draws on the root.
    Window bystander = makeWindow(270, 190, 100, 100, bystanderColour);
    Window made = makeWindow(20, 20, 240, 180, 0x000000, GetParam() == Target::ArgbWindow ? 32 : 24);
    std::string decimal = std::to_string(made);

    std::unique_ptr<ChildProcess> vorpi;
    Window target = made;
    switch (GetParam()) {
    case Target::OwnWindow:
        // Only -root reads the variable.
        vorpi = startVorpi({ "-fps" }, hex(bystander));
        target = windowNamed("vorpi");
        break;
    case Target::Root:
        vorpi = startVorpi({ "-root" });
        target = DefaultRootWindow(display);
        break;
    case Target::WindowIdHex:
    case Target::ArgbWindow:
        // -window-id wins over the variable, as XScreenSaver's preview needs.
        vorpi = startVorpi({ "--root", "--window-id", hex(made) }, hex(bystander));
        break;
    case Target::WindowIdDecimal:
        vorpi = startVorpi({ "-window-id", decimal });
        break;
    case Target::VariableHex:
        vorpi = startVorpi({ "--root" }, hex(made));
        break;
    case Target::VariableDecimal:
        vorpi = startVorpi({ "-root" }, decimal);
        break;
    }

    ASSERT_NE(target, None);
    EXPECT_TRUE(showsCreatures(target));
    if (GetParam() == Target::OwnWindow)
        EXPECT_GT(capture(target).count(0xFFFFFF), 20u) << "the frame-rate overlay";
    else
        EXPECT_EQ(capture(bystander).count(bystanderColour), 100u * 100u);

    vorpi->signal(SIGTERM);
    expectCleanExit(*vorpi);
}

INSTANTIATE_TEST_SUITE_P(Targets, DrawsInTheRightWindow,
    testing::Values(Target::OwnWindow, Target::Root, Target::WindowIdHex, Target::WindowIdDecimal,
        Target::VariableHex, Target::VariableDecimal, Target::ArgbWindow),
    targetName);

TEST_F(VorpiOnXvfb, StopSignalsEndItAtOnce)
{
    for (int signal : { SIGTERM, SIGINT, SIGHUP }) {
        // A fresh window each time: the last one still shows what the last run drew.
        Window target = makeWindow(20, 20, 240, 180, 0x000000);
        auto vorpi = startVorpi({ "-window-id", hex(target) });
        ASSERT_TRUE(showsCreatures(target));
        auto sent = std::chrono::steady_clock::now();
        vorpi->signal(signal);
        std::optional<int> status = vorpi->waitForExit(exitLimit + 1s);
        auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent);
        EXPECT_EQ(status, 0) << strsignal(signal);
        EXPECT_LT(took, exitLimit) << strsignal(signal);
        EXPECT_EQ(vorpi->standardError(), "");
    }
}

TEST_F(VorpiOnXvfb, EndsQuietlyWhenTheOwnerDestroysTheWindow)
{
    Window target = makeWindow(20, 20, 240, 180, 0x000000);
    auto vorpi = startVorpi({ "-window-id", hex(target) });
    ASSERT_TRUE(showsCreatures(target));
    XDestroyWindow(display, target);
    XSync(display, False);
    expectCleanExit(*vorpi);
}

TEST_F(VorpiOnXvfb, OwnWindowEndsOnQ)
{
    auto vorpi = startVorpi({});
    Window window = windowNamed("vorpi");
    ASSERT_TRUE(showsCreatures(window));
    XEvent key {};
    key.xkey = { KeyPress, 0, True, display, window, DefaultRootWindow(display), None, CurrentTime, 1, 1, 1, 1, 0,
        static_cast<unsigned int>(XKeysymToKeycode(display, 'q')), True };
    XSendEvent(display, window, False, KeyPressMask, &key);
    XSync(display, False);
    expectCleanExit(*vorpi);
}

TEST_F(VorpiOnXvfb, BadInputGetsOneLineAndStatus1)
{
    Window directColour = makeWindow(20, 20, 64, 64, 0x000000, 24, DirectColor);
    struct Case {
        std::vector<std::string> options;
        std::optional<std::string> screensaverWindow;
        bool withDisplay = true;
    };
    std::vector<Case> cases {
        { { "--frobnicate" }, {}, true },
        { { "-window-id", "banana" }, {}, true },
        { { "-window-id", "0x1fffff0" }, {}, true },
        { { "-root" }, "not-a-window", true },
        { { "-window-id", hex(directColour) }, {}, true },
        { { "-root" }, {}, false },
    };
    for (const Case& bad : cases) {
        auto vorpi = startVorpi(bad.options, bad.screensaverWindow, bad.withDisplay);
        EXPECT_EQ(vorpi->waitForExit(2s), 1) << bad.options.back();
        EXPECT_PRED1(isOneLine, vorpi->standardError());
    }
}

TEST_F(VorpiOnXvfb, SleepsWhileHiddenAndGoesOnWhenShown)
{
    Window target = makeWindow(20, 20, 240, 180, 0x000000);
    auto vorpi = startVorpi({ "-window-id", hex(target) });
    ASSERT_TRUE(showsCreatures(target));
    std::ifstream maps("/proc/" + std::to_string(vorpi->pid()) + "/maps");
    EXPECT_NE(std::string(std::istreambuf_iterator<char>(maps), {}).find("SYSV"), std::string::npos)
        << "the picture should be in X shared memory";

    auto expectSleeping = [&](const char* why) {
        // A whole second without a frame, once a frame that was under way has ended.
        EXPECT_TRUE(eventually([&] {
            Activity hidden = activityOver(*vorpi, 1s);
            return hidden.sleeps <= 1 && hidden.cpu <= 20ms;
        })) << why;
    };
    auto expectGoingOn = [&](const Picture& before, const char* why) {
        // Shown again, it repaints what it had and carries on from there.
        EXPECT_TRUE(eventually([&] { return capture(target).keptFrom(before) > 0.9; }, 1s)) << why;
        // It sleeps before each of its 30 frames a second: ten sleeps come soon, even on a busy machine.
        long sleeps = vorpi->voluntarySleeps();
        EXPECT_TRUE(eventually([&] { return vorpi->voluntarySleeps() >= sleeps + 10; })) << why;
        EXPECT_NE(capture(target).pixels, before.pixels) << why;
    };

    Picture beforeUnmap = capture(target);
    XUnmapWindow(display, target);
    XSync(display, False);
    expectSleeping("unmapped");
    XMapWindow(display, target);
    XSync(display, False);
    expectGoingOn(beforeUnmap, "mapped again");

    Picture beforeCover = capture(target);
    Window cover = makeWindow(0, 0, 300, 250, bystanderColour);
    expectSleeping("fully covered");
    XDestroyWindow(display, cover);
    XSync(display, False);
    expectGoingOn(beforeCover, "uncovered");
}

TEST_F(VorpiOnXvfb, KeepsItsSizeAndLeavesTheRestBlackWhenTheWindowGrows)
{
    Window target = makeWindow(20, 20, 160, 120, bystanderColour);
    auto vorpi = startVorpi({ "-window-id", hex(target) });
    ASSERT_TRUE(showsCreatures(target));
    XResizeWindow(display, target, 400, 300);
    XSync(display, False);
    std::this_thread::sleep_for(1s);

    XImage* image = XGetImage(display, target, 0, 0, 400, 300, AllPlanes, ZPixmap);
    std::size_t litOutside = 0;
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 400; ++x)
            litOutside += (x >= 160 || y >= 120) && (XGetPixel(image, x, y) & 0xFFFFFF) != 0;
    }
    XDestroyImage(image);
    EXPECT_EQ(litOutside, 0u);
}

TEST_F(VorpiOnXvfb, DrawsWithoutSharedMemoryOnAServerWithoutIt)
{
    XvfbServer remoteLike({ "-extension", "MIT-SHM", "-screen", "0", "320x240x24" });
    connect(remoteLike.displayName());
    Window target = makeWindow(20, 20, 240, 180, 0x000000);
    auto vorpi = startVorpi({ "-window-id", hex(target) });
    EXPECT_TRUE(showsCreatures(target));
    vorpi->signal(SIGTERM);
    expectCleanExit(*vorpi);
    connect(server->displayName());
}

}
