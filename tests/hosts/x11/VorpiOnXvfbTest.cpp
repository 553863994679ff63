// Runs the vorpi program on a private Xvfb server, in windows this test makes
// as "another program", and looks at what lands in them.

#include "ChildProcess.hpp"
#include "Eventually.hpp"
#include "FileText.hpp"
#include "Picture.hpp"

// Before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include "present/PixelFormat.hpp"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <tuple>

using namespace std::chrono_literals;

namespace {

constexpr std::uint32_t fillColour = 0x336699;
#ifdef VORPI_SANITIZED
// The leak checker scans the whole process on the way out, for tens of
// milliseconds, and far longer on a busy machine: the bound is the plain build's to keep.
constexpr auto exitLimit = 2s;
#else
constexpr auto exitLimit = 100ms;
#endif

std::string hex(Window window)
{
    return (std::ostringstream() << "0x" << std::hex << window).str();
}

// The bits of a pixel that hold its colour.
unsigned long colourBits(const Visual& visual)
{
    return visual.red_mask | visual.green_mask | visual.blue_mask;
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
    // free display number itself (-displayfd) and writes it once it accepts connections.
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
        // At the end of the pipe once Xvfb has gone, if it never got so far.
        char number[16] = {};
        displayName = ":" + std::string(number, std::max<ssize_t>(read(ready[0], number, sizeof number), 0));
        displayName = displayName.substr(0, displayName.find('\n'));
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
            picture = { width, height, {} };
            for (int i = 0; i < width * height; ++i)
                picture.pixels.push_back(XGetPixel(image, i % width, i / width) & colourBits(*attributes.visual));
            XDestroyImage(image);
        }
        return picture;
    }

    // A property of `window` that holds one 32-bit number, or -1.
    long cardinal(Window window, const char* name)
    {
        Atom type;
        int format;
        unsigned long items = 0, after;
        unsigned char* value = nullptr;
        XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1, False, XA_CARDINAL, &type, &format,
            &items, &after, &value);
        long number = items == 1 ? *reinterpret_cast<long*>(value) : -1;
        XFree(value);
        return number;
    }

    // The frames vorpi has shown in `window`, once at least `least`, and the
    // picture then: taken with vorpi stopped in its wait for the next frame
    // (which it enters with the last frame sent), once the server has taken in
    // the whole of that frame, whose last request sets the count.
    std::pair<long, Picture> betweenFrames(ChildProcess& vorpi, Window window, long least)
    {
        for (int tries = 0; tries < 200; ++tries, vorpi.signal(SIGCONT), std::this_thread::sleep_for(20ms)) {
            vorpi.signal(SIGSTOP);
            siginfo_t stopped {};
            waitid(P_PID, vorpi.pid(), &stopped, WSTOPPED | WEXITED | WNOWAIT);
            std::string call = read("/proc/" + std::to_string(vorpi.pid()) + "/syscall");
            call = call.substr(0, call.find(' '));
            long frames = -1;
            for (long seen = cardinal(window, "vorpi.frames"); call == std::to_string(SYS_ppoll) && seen != frames;
                 seen = cardinal(window, "vorpi.frames")) {
                frames = seen;
                std::this_thread::sleep_for(50ms);
            }
            if (frames >= least) {
                std::pair<long, Picture> shown { frames, capture(window) };
                vorpi.signal(SIGCONT);
                return shown;
            }
        }
        return {};
    }

    // What vorpi-render draws in an area of `window`'s size with `options`,
    // in the window's pixel layout.
    Picture rendered(Window window, std::vector<std::string> options)
    {
        XWindowAttributes attributes {};
        XGetWindowAttributes(display, window, &attributes);
        std::string png = std::filesystem::temp_directory_path() / ("vorpi-x11-" + std::to_string(getpid()) + ".png");
        options.insert(options.begin(), { VORPI_RENDER, "--quiet", "--output", png, "--size",
            std::to_string(attributes.width) + "x" + std::to_string(attributes.height) });
        EXPECT_EQ(ChildProcess(options).waitForExit(20s), 0);
        Picture picture = Picture::fromPng(png);
        std::filesystem::remove(png);
        PixelFormat layout = *PixelFormat::of(display, *attributes.visual, attributes.depth);
        for (std::uint32_t& pixel : picture.pixels)
            pixel = layout.pixel(pixel) & colourBits(*attributes.visual);
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

// Each way a host names the window, each on another kind of screen and
// ended another way. What reaches the window is the canvas, byte for byte,
// after many partial puts: what vorpi-render draws from the same seed, size,
// scale and frame count, in the window's pixel layout; over shared memory and
// over the socket, in the canvas's own layout and in converted ones. Nothing
// on standard error; status 0, or death by the signal within the bound. A
// locker or a settings dialog that stops vorpi must not wait on a server that
// no longer answers: the signals come with the server stopped, vorpi idle
// between frames, or blocked in the middle of sending one (no shared memory,
// a full socket).
TEST_F(VorpiOnXvfb, DrawsTheCanvasInTheRightWindowAndEndsCleanly)
{
    enum Ending { QKey = -1, Destroyed = -2 };
    // WINDOW and 0xWINDOW stand for the window the test makes, in decimal and in hex; DISPLAY for its display.
    struct Row {
        const char* screen;
        bool sharedMemory;
        int depth;
        bool own;
        std::vector<std::string> options;
        Environment environment;
        std::vector<std::string> renderOptions;
        int ending;
    };
    // Without -scale the scale is the desktop's, from Xft.dpi (which Xlib reads as it connects): 1.5 here.
    for (auto [screen, sharedMemory, depth, own, options, environment, renderOptions, ending] : {
             // -geometry places its own window; the last of -root and -window counts, and -window reads no
             // XSCREENSAVER_WINDOW.
             Row { "640x480x24", false, 24, true, { "-root", "-window", "-geometry", "640x480+0+0" },
                 { { "XSCREENSAVER_WINDOW", "not-a-window" } }, { "--scale", "1.5" }, QKey },
             // XScreenSaver's preview: -window-id wins, and the variable is not even read.
             Row { "640x480x24", true, 32, false, { "--root", "--window-id", "0xWINDOW" },
                 { { "XSCREENSAVER_WINDOW", "not-a-window" } }, { "--preview", "--scale", "1.5" }, SIGTERM },
             Row { "640x480x16", true, 16, false, { "-root" }, { { "XSCREENSAVER_WINDOW", "WINDOW" } },
                 { "--scale", "1.5" }, Destroyed },
             // -display wins over DISPLAY.
             Row { "640x480x30", false, 30, false, { "-root", "-scale", "2", "-display", "DISPLAY" },
                 { { "XSCREENSAVER_WINDOW", "0xWINDOW" }, { "DISPLAY", ":99999" } }, { "--scale", "2" }, SIGHUP } }) {
        SCOPED_TRACE(std::string(screen) + " " + options.back());
        std::vector<std::string> serverOptions { "-screen", "0", screen };
        if (!sharedMemory)
            serverOptions.insert(serverOptions.end(), { "-extension", "MIT-SHM" });
        startServer(serverOptions);
        std::string resources = "Xft.dpi:\t144\n";
        XChangeProperty(display, DefaultRootWindow(display), XInternAtom(display, "RESOURCE_MANAGER", False),
            XA_STRING, 8, PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
            static_cast<int>(resources.size()));
        Window made = makeWindow(0, 0, 640, 480, 0x000000, depth);
        auto filled = [&](const std::string& text) {
            return text == "WINDOW" ? std::to_string(made) : text == "0xWINDOW" ? hex(made)
                : text == "DISPLAY" ? displayName : text;
        };
        std::ranges::transform(options, options.begin(), filled);
        for (auto& [name, value] : environment)
            value = filled(*value);
        options.insert(options.end(), { "-seed", "5" });
        auto vorpi = startVorpi(options, environment);
        Window target = own ? topWindowNamed("vorpi") : made;
        auto [frames, shown] = betweenFrames(*vorpi, target, 30);
        renderOptions.insert(renderOptions.end(), { "--seed", "5", "--frames", std::to_string(frames) });
        EXPECT_TRUE(frames >= 30 && shown == rendered(target, renderOptions)) << frames << " frames";

        if (ending > 0) {
            server->signal(SIGSTOP);
            // Long enough for a frame or two to fill the socket.
            std::this_thread::sleep_for(300ms);
        }
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
        XFlush(display);
        EXPECT_EQ(vorpi->waitForExit(exitLimit + 2s), ending > 0 ? 128 + ending : 0);
        // The bound is for the signals; the other endings just have to come.
        EXPECT_LT(ending > 0 ? std::chrono::steady_clock::now() - sent : 0s, exitLimit) << "after a signal";
        server->signal(SIGCONT);
        EXPECT_EQ(vorpi->standardError(), "");
    }
}

// The shared-memory segments a process made that are still there.
int segmentsMadeBy(pid_t process)
{
    std::ifstream table("/proc/sysvipc/shm");
    table.ignore(1 << 10, '\n');
    int count = 0;
    for (long key, id, mode, size, creator; table >> key >> id >> mode >> size >> creator; table.ignore(1 << 10, '\n'))
        count += creator == process;
    return count;
}

// However it ends, no shared-memory segment outlives it: the server stopped
// (then SIGTERM) or gone right after the segment for the first picture, or
// for the picture after a resize, is made, before the server has attached
// it; or gone while it draws. A lost server is the program's own one line and
// status 1, not Xlib's.
TEST_F(VorpiOnXvfb, EndsLeavingNoSharedMemoryBehind)
{
    // Each moment is also the number of the shmget after which the stand-in acts (0: none).
    enum Moment { WhileDrawing, AtTheFirstSegment, AtAResize };
    for (auto [signal, moment] : { std::pair { SIGSTOP, AtTheFirstSegment }, { SIGKILL, AtTheFirstSegment },
             { SIGSTOP, AtAResize }, { SIGKILL, WhileDrawing } }) {
        SCOPED_TRACE(std::string("SIG") + sigabbrev_np(signal) + " at moment " + std::to_string(moment));
        startServer({});
        Window target = moment == AtAResize ? makeWindow(0, 0, 200, 150, 0x000000) : DefaultRootWindow(display);
        // The test's own connection must not meet a server that has gone.
        if (signal == SIGKILL && moment == AtTheFirstSegment) {
            XCloseDisplay(display);
            display = nullptr;
        }
        auto vorpi = startVorpi({ "-window-id", hex(target) }, { { "LD_PRELOAD", VORPI_STOP_SERVER_AT_SHMGET },
            { "STOP_SERVER_AT_SHMGET", std::to_string(server->pid()) + " " + std::to_string(signal) + " " + std::to_string(moment) },
            { "ASAN_OPTIONS", "verify_asan_link_order=0" } });
        if (moment != AtTheFirstSegment) {
            ASSERT_TRUE(eventually([&] { return capture(target).showsCreatures(); }));
        }
        if (moment == AtAResize) {
            XResizeWindow(display, target, 240, 180);
            XFlush(display);
        } else if (moment == WhileDrawing) {
            XCloseDisplay(display);
            display = nullptr;
            server->signal(SIGKILL);
        }
        if (signal == SIGSTOP) {
            ASSERT_TRUE(eventually(
                [&] { return read("/proc/" + std::to_string(server->pid()) + "/stat").find(") T ") != std::string::npos; }));
            vorpi->signal(SIGTERM);
        }
        EXPECT_EQ(vorpi->waitForExit(exitLimit + 5s), signal == SIGKILL ? 1 : 128 + SIGTERM);
        EXPECT_EQ(vorpi->standardError(), signal == SIGKILL ? "vorpi: lost the connection to the X server\n" : "");
        // Once the server has let go of the segments it attached.
        server->signal(SIGCONT);
        EXPECT_TRUE(eventually([&] { return segmentsMadeBy(vorpi->pid()) == 0; }));
    }
}

TEST_F(VorpiOnXvfb, BadInputGetsOneLineAndStatus1)
{
    Window directColour = makeWindow(20, 20, 64, 64, 0x000000, 24, DirectColor);
    // Larger than vorpi draws in: its frame alone would take 4 GiB.
    Window huge = makeWindow(0, 0, 32767, 32767, 0x000000);
    // What only a display can refuse; the option table (HostOptionsTest) has the command lines.
    for (const auto& [options, environment] : std::vector<std::pair<std::vector<std::string>, Environment>> {
             { { "--frobnicate" }, {} }, { { "-root" }, { { "DISPLAY", std::nullopt } } },
             { { "-window-id", "0x1fffff0" }, {} }, { { "-window-id", hex(directColour) }, {} },
             { { "-window-id", hex(huge) }, {} }, { { "-visual", "PseudoColor" }, {} },
             { { "-visual", "0x7fffff" }, {} }, { { "-display", ":99999" }, {} } }) {
        auto vorpi = startVorpi(options, environment);
        EXPECT_EQ(vorpi->waitForExit(2s), 1) << options.front() << " " << options.back();
        // One line, the program's own, and nothing after it.
        EXPECT_TRUE(isOneLine(vorpi->standardError(), "vorpi")) << vorpi->standardError();
    }
}

// Hidden (unmapped, then fully covered) it sleeps; shown again it draws on,
// and what it shows is still the canvas exactly (what was lost redrawn from
// it) after all the frames it has run; grown, it starts a scene as large as
// the window.
TEST_F(VorpiOnXvfb, FollowsWhatHappensToItsWindow)
{
    Window target = makeWindow(20, 20, 240, 180, 0x000000);
    auto vorpi = startVorpi({ "-window-id", hex(target), "-seed", "6" });
    ASSERT_TRUE(eventually([&] { return capture(target).showsCreatures(); }));

    for (bool covered : { false, true }) {
        SCOPED_TRACE(covered ? "fully covered" : "unmapped");
        Window cover = covered ? makeWindow(0, 0, 300, 250, fillColour) : None;
        if (!covered)
            XUnmapWindow(display, target);
        XSync(display, False);
        // A whole second without a frame, once a frame that was under way has ended.
        long frames = 0;
        EXPECT_TRUE(eventually([&] {
            auto [cpu, runs] = vorpi->usage();
            frames = cardinal(target, "vorpi.frames");
            std::this_thread::sleep_for(1s);
            return vorpi->usage().second - runs <= 1 && vorpi->usage().first - cpu <= 20ms;
        }));
        covered ? XDestroyWindow(display, cover) : XMapWindow(display, target);
        auto [later, shown] = betweenFrames(*vorpi, target, frames + 10);
        std::vector<std::string> renderOptions { "--preview", "--seed", "6", "--frames", std::to_string(later) };
        EXPECT_TRUE(shown == rendered(target, renderOptions)) << later << " frames";
    }

    // Grown, it draws over the whole new size once the size has settled: on a fresh
    // canvas (nothing of the server's fill colour stays) with a view as large.
    XSetWindowBackground(display, target, fillColour);
    for (int width = 260; width <= 400; width += 20)
        XResizeWindow(display, target, width, width * 3 / 4);
    XSync(display, False);
    // The creatures wander over the whole area, and reach its far quarters soon enough.
    EXPECT_TRUE(eventually([&] {
        Picture grown = capture(target);
        return grown.width == 400 && grown.count(fillColour) == 0 && grown.lit(300, 0, 400, 300) > 500
            && grown.lit(0, 225, 400, 300) > 500;
    }, 20s));
}

// -delay spaces the frames out (the frame clock's own test holds its grid):
// 10 s apart, the first frame is drawn at once and the next not for a while.
TEST_F(VorpiOnXvfb, DelaySpacesTheFrames)
{
    Window target = makeWindow(0, 0, 160, 120, 0x000000);
    auto vorpi = startVorpi({ "-window-id", hex(target), "-delay", "10000000" });
    ASSERT_TRUE(eventually([&] { return cardinal(target, "vorpi.frames") == 1; }));
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(cardinal(target, "vorpi.frames"), 1);
}

// On a 16-bit screen its own window takes a 24- or 32-bit TrueColor visual,
// where -geometry puts it (a sign after '-' as XParseGeometry reads it), with
// its process's id for a window manager, and a frame-rate box as large as the
// scale. XScreenSaver's daemon and xsecurelock, where installed, get a picture
// in their 16-bit windows; the daemon runs no hacks as root, so a root test
// runs it as nobody.
TEST_F(VorpiOnXvfb, DrawsOnA16BitScreen)
{
    startServer({ "-screen", "0", "640x480x16" });
    ASSERT_EQ(DefaultDepth(display, 0), 16);
    auto vorpi = startVorpi({ "-geometry", "300x200-+40+30", "-fps", "-scale", "2" });
    Window own = topWindowNamed("vorpi");
    XWindowAttributes attributes {};
    XGetWindowAttributes(display, own, &attributes);
    EXPECT_EQ(std::tie(attributes.x, attributes.y, attributes.width, attributes.height),
        std::make_tuple(640 - 300 - 40, 30, 300, 200));
    EXPECT_TRUE(attributes.depth == 24 || attributes.depth == 32) << attributes.depth;
    EXPECT_TRUE(eventually([&] { return capture(own).showsCreatures(); }));
    // "FPS: 30.0" and "CPU: 1.2%" in 6x13 glyphs have some 150 lit pixels, each 2x2 here.
    EXPECT_TRUE(eventually([&] { return capture(own).count(0xFFFFFF) > 400; })) << capture(own).count(0xFFFFFF);
    EXPECT_EQ(cardinal(own, "_NET_WM_PID"), vorpi->pid());
    vorpi = nullptr;

    std::filesystem::path home = std::filesystem::temp_directory_path() / ("vorpi-home-" + std::to_string(getpid()));
    std::filesystem::create_directory(home);
    std::filesystem::permissions(home, std::filesystem::perms::all);
    std::ofstream(home / ".xscreensaver") << "mode: one\nselected: 0\nlock: False\nfade: False\nsplash: False\n"
                                             "programs: " VORPI_EXECUTABLE " --root\n";
    Environment environment { { "DISPLAY", displayName }, { "HOME", home.string() },
        { "XSECURELOCK_SAVER", VORPI_EXECUTABLE }, { "XSCREENSAVER_WINDOW", std::nullopt } };
    for (std::string locker : { "xscreensaver", "xsecurelock" }) {
        if (!std::filesystem::exists("/usr/bin/" + locker)) {
            std::cout << locker << " is not installed: not tried\n";
            continue;
        }
        std::vector<std::string> nobody { "setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", locker };
        ChildProcess running(getuid() == 0 ? nobody : std::vector { locker }, environment);
        // The daemon blanks the screen when told to, once it is up.
        if (locker == "xscreensaver")
            eventually([&] {
                return ChildProcess({ "xscreensaver-command", "-activate" }, environment).waitForExit(5s) == 0;
            });
        EXPECT_TRUE(eventually([&] { return capture(DefaultRootWindow(display)).showsCreatures(); }, 20s)) << locker;
    }
    std::filesystem::remove_all(home);
}

}
