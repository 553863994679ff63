// Runs the vorpi program on a private Xvfb server, in windows this test makes
// as "another program", and looks at what lands in them.

#include "ChildProcess.hpp"

// Before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include "display/DesktopScale.hpp"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <thread>
#include <tuple>

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

// What a window shows on the screen, row by row, as 0xRRGGBB.
struct Picture {
    std::vector<std::uint32_t> pixels;

    std::size_t count(std::uint32_t colour) const { return std::ranges::count(pixels, colour); }
    std::size_t lit() const { return pixels.size() - count(0); }
    // Translucent, antialiased strokes in many colours over at least 1 % of the window.
    bool showsCreatures() const
    {
        return lit() * 100 > pixels.size() && std::set<std::uint32_t>(pixels.begin(), pixels.end()).size() > 50;
    }
    // How much of what `earlier` showed is still lit here.
    double keptFrom(const Picture& earlier) const
    {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < std::min(pixels.size(), earlier.pixels.size()); ++i)
            kept += earlier.pixels[i] != 0 && pixels[i] != 0;
        return earlier.lit() ? static_cast<double>(kept) / static_cast<double>(earlier.lit()) : 0;
    }
};

std::string hex(Window window)
{
    return (std::ostringstream() << "0x" << std::hex << window).str();
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = 5s)
{
    for (auto giveUp = std::chrono::steady_clock::now() + limit; !condition(); std::this_thread::sleep_for(20ms))
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
    return true;
}

class VorpiOnXvfb : public testing::Test {
protected:
    void SetUp() override
    {
        // A window that is not (yet) on the screen cannot be captured; that is no reason to end the test program.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        startServer({});
    }
    void TearDown() override
    {
        if (display)
            XCloseDisplay(display);
    }

    // A private X server for this test, in place of the last one. Xvfb picks a
    // free display number itself (-displayfd) and reports it once it accepts connections.
    void startServer(std::vector<std::string> arguments)
    {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        arguments.insert(arguments.begin(), { "Xvfb", "-displayfd", std::to_string(ready[1]), "-nolisten", "tcp",
            "-br", "-noreset", "-screen", "0", "640x480x24" });
        if (display)
            XCloseDisplay(display);
        server = std::make_unique<ChildProcess>(arguments);
        close(ready[1]);
        pollfd watched { ready[0], POLLIN, 0 };
        char digit;
        for (displayName = ":"; poll(&watched, 1, 10000) > 0 && read(ready[0], &digit, 1) == 1 && digit != '\n';)
            displayName += digit;
        close(ready[0]);
        display = XOpenDisplay(displayName.c_str());
        ASSERT_NE(display, nullptr) << "Xvfb did not start (is the xvfb package installed?)";
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

    // On this test's display, with XSCREENSAVER_WINDOW unset, unless `environment` says otherwise.
    std::unique_ptr<ChildProcess> startVorpi(std::vector<std::string> arguments, Environment environment = {})
    {
        arguments.insert(arguments.begin(), VORPI_EXECUTABLE);
        environment.try_emplace("DISPLAY", displayName);
        environment.try_emplace("XSCREENSAVER_WINDOW");
        return std::make_unique<ChildProcess>(arguments, environment);
    }

    Picture capture(Window window)
    {
        XWindowAttributes attributes {};
        XGetWindowAttributes(display, window, &attributes);
        int width = std::min(attributes.width, DisplayWidth(display, 0) - attributes.x);
        int height = std::min(attributes.height, DisplayHeight(display, 0) - attributes.y);
        Picture picture;
        if (XImage* image = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap)) {
            for (int i = 0; i < width * height; ++i)
                picture.pixels.push_back(XGetPixel(image, i % width, i / width) & 0xFFFFFF);
            XDestroyImage(image);
        }
        return picture;
    }

    // The window on top of all the others, once it has this name.
    Window topWindowNamed(const std::string& wanted)
    {
        Window found = None;
        eventually([&] {
            Window root, parent, *children = nullptr;
            unsigned int count = 0;
            char* name = nullptr;
            if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) && count > 0
                && XFetchName(display, children[count - 1], &name) && wanted == name)
                found = children[count - 1];
            XFree(name);
            XFree(children);
            return found != None;
        });
        return found;
    }

    std::unique_ptr<ChildProcess> server;
    Display* display = nullptr;
    std::string displayName;
};

// Each way a host names the window, each run ended another way: nothing on
// standard error every time; status 0, or death by the signal within the bound.
TEST_F(VorpiOnXvfb, DrawsInTheRightWindowAndEndsCleanly)
{
    enum Ending { QKey = -1, Destroyed = -2 };
    // In the middle of the screen, where the creatures start when vorpi draws on the root.
    Window bystander = makeWindow(270, 190, 100, 100, bystanderColour);
    for (int run = 0; run < 8; ++run) {
        // A fresh window each time: the last one still shows what the last run drew.
        Window made = makeWindow(20, 20, 240, 180, 0x000000, run == 6 ? 32 : 24);
        std::string madeHex = hex(made), madeDecimal = std::to_string(made);
        // Name, options, XSCREENSAVER_WINDOW, the window it must draw in, how it ends.
        std::tuple<const char*, std::vector<std::string>, std::optional<std::string>, Window, int> cases[] = {
            // The last of -root and -window counts; only -root reads the variable.
            { "own window", { "-root", "-window", "-fps", "--seed=4294967295" }, hex(bystander), None, QKey },
            { "root", { "-root" }, {}, DefaultRootWindow(display), SIGINT },
            // -window-id wins over the variable, which is not even read then, as XScreenSaver's preview needs.
            { "-window-id in hex", { "--root", "--window-id", madeHex }, hex(bystander), made, SIGTERM },
            { "-window-id in decimal", { "-root", "-window-id=" + madeDecimal }, "not-a-window", made, Destroyed },
            { "XSCREENSAVER_WINDOW in hex", { "--root" }, madeHex, made, SIGHUP },
            { "XSCREENSAVER_WINDOW in decimal", { "-root" }, madeDecimal, made, SIGTERM },
            { "32-bit window", { "-window-id", madeHex }, {}, made, SIGINT },
            // A programs: line written for the stock hacks; -display wins over DISPLAY.
            { "the hacks' standard options", { "--root", "--delay", "20000", "-install", "-noinstall", "-mono", "-sync",
                "-fps", "-no-fps", "-visual", "default", "-geometry", "10x10", "-scale", "1", "-display", displayName },
                madeHex, made, SIGTERM },
        };
        auto& [name, options, screensaverWindow, named, ending] = cases[run];
        SCOPED_TRACE(name);
        Environment environment { { "XSCREENSAVER_WINDOW", screensaverWindow } };
        if (run == 7)
            environment["DISPLAY"] = ":99999";
        auto vorpi = startVorpi(options, environment);
        Window target = named == None ? topWindowNamed("vorpi") : named;
        ASSERT_NE(target, None);
        ASSERT_TRUE(eventually([&] { return capture(target).showsCreatures(); }));
        if (ending == QKey)
            EXPECT_GT(capture(target).count(0xFFFFFF), 20u) << "the frame-rate overlay";
        else
            EXPECT_EQ(capture(bystander).count(bystanderColour), 100u * 100u);

        auto sent = std::chrono::steady_clock::now();
        if (ending == QKey) {
            XEvent key {};
            key.xkey = { KeyPress, 0, True, display, target, DefaultRootWindow(display), None, CurrentTime, 1, 1,
                1, 1, 0, static_cast<unsigned int>(XKeysymToKeycode(display, 'q')), True };
            XSendEvent(display, target, False, KeyPressMask, &key);
        } else if (ending == Destroyed) {
            XDestroyWindow(display, target);
        } else {
            vorpi->signal(ending);
        }
        XSync(display, False);
        EXPECT_EQ(vorpi->waitForExit(exitLimit + 2s), ending > 0 ? 128 + ending : 0);
        // The bound is for the signals; the other endings just have to come.
        EXPECT_LT(ending > 0 ? std::chrono::steady_clock::now() - sent : 0s, exitLimit) << "after a signal";
        EXPECT_EQ(vorpi->standardError(), "");
    }
}

// A locker or a settings dialog that stops vorpi must not wait on a server
// that no longer answers: stopped with vorpi idle between frames, or blocked
// in the middle of sending a frame (no shared memory, a full socket).
TEST_F(VorpiOnXvfb, StopSignalsEndItWhileTheServerIsStopped)
{
    for (bool sharedMemory : { true, false }) {
        SCOPED_TRACE(sharedMemory ? "shared memory" : "frames sent over the socket");
        if (!sharedMemory)
            startServer({ "-extension", "MIT-SHM" });
        Window target = makeWindow(0, 0, 640, 480, 0x000000);
        auto vorpi = startVorpi({ "-window-id", hex(target) });
        ASSERT_TRUE(eventually([&] { return capture(target).showsCreatures(); }));
        server->signal(SIGSTOP);
        // Long enough for a frame or two to fill the socket.
        std::this_thread::sleep_for(300ms);
        auto sent = std::chrono::steady_clock::now();
        vorpi->signal(SIGTERM);
        std::optional<int> status = vorpi->waitForExit(exitLimit + 2s);
        auto took = std::chrono::steady_clock::now() - sent;
        server->signal(SIGCONT);
        EXPECT_EQ(status, 128 + SIGTERM);
        EXPECT_LT(took, exitLimit);
        EXPECT_EQ(vorpi->standardError(), "");
    }
}

// The server going away is the program's own one line and status 1, not Xlib's.
TEST_F(VorpiOnXvfb, ALostServerGetsOneLineAndStatus1)
{
    auto vorpi = startVorpi({ "-root" });
    ASSERT_TRUE(eventually([&] { return capture(DefaultRootWindow(display)).showsCreatures(); }));
    XCloseDisplay(display);
    display = nullptr;
    server->signal(SIGKILL);
    EXPECT_EQ(vorpi->waitForExit(5s), 1);
    EXPECT_EQ(vorpi->standardError(), "vorpi: lost the connection to the X server\n");
}

TEST_F(VorpiOnXvfb, BadInputGetsOneLineAndStatus1)
{
    Window directColour = makeWindow(20, 20, 64, 64, 0x000000, 24, DirectColor);
    // Larger than vorpi draws in: its frame alone would take 4 GiB.
    Window huge = makeWindow(0, 0, 32767, 32767, 0x000000);
    // What only a display can refuse; the option table (HostOptionsTest) has the command lines.
    std::vector<std::pair<std::vector<std::string>, Environment>> cases {
        { { "--frobnicate" }, {} },
        { { "-root" }, { { "DISPLAY", std::nullopt } } },
    };
    for (const std::vector<std::string>& options : std::vector<std::vector<std::string>> {
             { "-window-id", "0x1fffff0" }, { "-window-id", hex(directColour) }, { "-window-id", hex(huge) },
             { "-visual", "PseudoColor" }, { "-visual", "0x7fffff" }, { "-display", ":99999" } })
        cases.push_back({ options, {} });
    for (const auto& [options, environment] : cases) {
        auto vorpi = startVorpi(options, environment);
        EXPECT_EQ(vorpi->waitForExit(2s), 1) << options.front() << " " << options.back();
        // One line, the program's own, and nothing after it.
        std::string error = vorpi->standardError();
        EXPECT_TRUE(error.starts_with("vorpi: ") && error.find('\n') == error.size() - 1) << error;
    }
}

// Hidden (unmapped, then fully covered) it sleeps; shown again it goes on with
// the same scene; grown, it starts a scene as large as the window.
TEST_F(VorpiOnXvfb, FollowsWhatHappensToItsWindow)
{
    Window target = makeWindow(20, 20, 240, 180, 0x000000);
    auto vorpi = startVorpi({ "-window-id", hex(target) });
    ASSERT_TRUE(eventually([&] { return capture(target).showsCreatures(); }));
    std::ifstream maps("/proc/" + std::to_string(vorpi->pid()) + "/maps");
    EXPECT_NE((std::ostringstream() << maps.rdbuf()).str().find("SYSV"), std::string::npos) << "no X shared memory";

    for (bool covered : { false, true }) {
        SCOPED_TRACE(covered ? "fully covered" : "unmapped");
        Picture before = capture(target);
        Window cover = covered ? makeWindow(0, 0, 300, 250, bystanderColour) : None;
        if (!covered)
            XUnmapWindow(display, target);
        XSync(display, False);
        // A whole second without a frame, once a frame that was under way has ended.
        EXPECT_TRUE(eventually([&] {
            auto [cpu, sleeps] = vorpi->usage();
            std::this_thread::sleep_for(1s);
            return vorpi->usage().second - sleeps <= 1 && vorpi->usage().first - cpu <= 20ms;
        }));
        covered ? XDestroyWindow(display, cover) : XMapWindow(display, target);
        XSync(display, False);
        // Shown again, it draws on: it sleeps before each of its 30 frames a second, and ten sleeps come soon,
        // even on a busy machine. It goes on with the same picture, which nothing erases: what was lit stays
        // lit (a picture started afresh would have lost a few percent of it by then).
        long sleeps = vorpi->usage().second;
        EXPECT_TRUE(eventually([&] { return vorpi->usage().second >= sleeps + 10; }));
        Picture after = capture(target);
        EXPECT_GT(after.keptFrom(before), 0.99);
        EXPECT_NE(after.pixels, before.pixels);
    }

    // Grown, it draws over the whole new size once the size has settled: on a fresh
    // canvas (nothing of the server's fill colour stays) with a view as large.
    XSetWindowBackground(display, target, bystanderColour);
    for (int width = 260; width <= 400; width += 20)
        XResizeWindow(display, target, width, width * 3 / 4);
    XSync(display, False);
    auto litBeyondTheOldSize = [&](const Picture& grown, bool right) {
        std::size_t lit = 0;
        for (std::size_t i = 0; i < grown.pixels.size(); ++i)
            lit += (right ? i % 400 >= 300 : i / 400 >= 225) && grown.pixels[i] != 0 && grown.pixels[i] != bystanderColour;
        return lit;
    };
    // The creatures wander over the whole area, and reach its far quarters soon enough.
    EXPECT_TRUE(eventually([&] {
        Picture grown = capture(target);
        return grown.count(bystanderColour) == 0 && litBeyondTheOldSize(grown, true) > 500
            && litBeyondTheOldSize(grown, false) > 500;
    }, 20s));
}

// -delay sets the least time from one frame to the next, and never makes
// frames come faster than the view's 30 a second. Three copies run side by
// side for a few seconds; each sleeps about as often as it draws a frame.
TEST_F(VorpiOnXvfb, DelayPacesTheFrames)
{
#ifdef VORPI_SANITIZED
    GTEST_SKIP() << "instrumented, three copies cannot keep up 30 frames a second; the plain build measures this";
#endif
    std::vector<std::unique_ptr<ChildProcess>> copies;
    int left = 0;
    // Side by side: a covered window would sleep.
    for (const char* delay : { "0", "100000", "1000" }) {
        copies.push_back(startVorpi({ "-geometry", "160x120+" + std::to_string(left) + "+0", "-delay", delay }));
        left += 170;
        ASSERT_TRUE(eventually([&] { return capture(topWindowNamed("vorpi")).showsCreatures(); }));
    }
    std::vector<long> sleeps;
    for (auto& copy : copies)
        sleeps.push_back(copy->usage().second);
    std::this_thread::sleep_for(3s);
    for (std::size_t i = 0; i < copies.size(); ++i)
        sleeps[i] = copies[i]->usage().second - sleeps[i];
    EXPECT_GT(sleeps[0], 60) << "30 frames a second for 3 s";
    EXPECT_LT(sleeps[1], sleeps[0] * 0.55) << "10 frames a second against 30";
    EXPECT_GT(sleeps[1], sleeps[0] * 0.15) << "10 frames a second against 30";
    EXPECT_GT(sleeps[2], sleeps[0] * 0.75) << "a delay below the view's interval changes nothing";
    EXPECT_LT(sleeps[2], sleeps[0] * 1.33) << "a delay below the view's interval changes nothing";
}

// On a 16-bit screen its own window takes a 24- or 32-bit TrueColor visual,
// where -geometry puts it.
TEST_F(VorpiOnXvfb, DrawsItsOwnWindowOnA16BitScreen)
{
    startServer({ "-screen", "0", "640x480x16" });
    ASSERT_EQ(DefaultDepth(display, 0), 16);
    auto vorpi = startVorpi({ "-geometry", "200x150-40+30" });
    Window own = topWindowNamed("vorpi");
    ASSERT_NE(own, None);
    XWindowAttributes attributes {};
    XGetWindowAttributes(display, own, &attributes);
    EXPECT_EQ(std::tie(attributes.x, attributes.y, attributes.width, attributes.height),
        std::make_tuple(640 - 200 - 40, 30, 200, 150));
    EXPECT_TRUE(attributes.depth == 24 || attributes.depth == 32) << attributes.depth;
    EXPECT_TRUE(eventually([&] { return capture(own).showsCreatures(); }));
    vorpi->signal(SIGTERM);
    EXPECT_EQ(vorpi->waitForExit(2s), 128 + SIGTERM);
    EXPECT_EQ(vorpi->standardError(), "");
}

// The desktop's scale comes from Xft.dpi in the screen's resource database, as xrdb leaves it.
TEST_F(VorpiOnXvfb, ReadsTheDesktopScaleFromXftDpi)
{
    std::string resources = "Xft.antialias:\t1\nXft.dpi:\t192\n";
    XChangeProperty(display, DefaultRootWindow(display), XInternAtom(display, "RESOURCE_MANAGER", False), XA_STRING,
        8, PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()), static_cast<int>(resources.size()));
    XSync(display, False);
    // Xlib reads the resources as a connection opens.
    Display* client = XOpenDisplay(displayName.c_str());
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(DesktopScale::of(client), 2);
    XCloseDisplay(client);
    XDeleteProperty(display, DefaultRootWindow(display), XInternAtom(display, "RESOURCE_MANAGER", False));
    XSync(display, False);
    client = XOpenDisplay(displayName.c_str());
    EXPECT_EQ(DesktopScale::of(client), 1);
    XCloseDisplay(client);
}

}
