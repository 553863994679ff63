// Runs the built vorpi-render program as a user would and checks what it leaves behind.

#include "RasterCanvas.hpp"
#include "host/OffscreenHost.hpp"
#include "platform/RandomSources.hpp"

#include <cairo.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <climits>
#include <functional>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Result { int exitCode = -1; std::string out, err; };

std::string read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Polls for up to 20 seconds until `done` holds.
bool eventually(const std::function<bool()>& done)
{
    for (auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
         std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(std::chrono::milliseconds(10)))
        if (done())
            return true;
    return false;
}

// Each test runs the program in `directory`, empty at first; its output streams go beside it.
class VorpiRender : public ::testing::Test {
protected:
    VorpiRender() { fs::remove_all(root), fs::create_directories(directory); }
    ~VorpiRender() override { fs::remove_all(root); }

    // `environment` holds NAME=value words for the program.
    Result run(const std::string& arguments, const std::string& environment = "")
    {
        return shell("env " + environment + " '" VORPI_RENDER "' " + arguments);
    }

    Result shell(const std::string& command)
    {
        std::string line = "cd '" + directory.string() + "' && " + command + " >'" + (root / "out").string() + "' 2>'"
            + (root / "err").string() + "'";
        int status = std::system(line.c_str());
        return { WIFEXITED(status) ? WEXITSTATUS(status) : -1, read(root / "out"), read(root / "err") };
    }

    std::set<std::string> files() const
    {
        std::set<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(directory))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path root = fs::temp_directory_path() / ("vorpi-render-" + std::to_string(getpid()) + "-"
        + testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::path directory = root / "run";
};

}

TEST_F(VorpiRender, TheSameSeedAndSizeRepeatTheRunByteForByte)
{
    ASSERT_EQ(run("--size 64x48 --frames 20 --seed 42 --trace a.txt").exitCode, 0);
    EXPECT_EQ(files(), std::set<std::string> { "a.txt" }) << "a trace alone writes no image";
    // The same calls whether or not pixels are drawn, on standard output as in a file.
    Result again = run("--size 64x48 --frames 20 --seed 42 --trace - --output p.png");
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, read(directory / "a.txt"));
    EXPECT_EQ(again.err, "");

    // Without a seed, a fresh one is printed; without outputs, vorpi.png is written.
    Result unseeded = run("--size 64x48 --frames 3");
    ASSERT_EQ(unseeded.exitCode, 0) << unseeded.err;
    unsigned long seed = 0;
    std::sscanf(unseeded.err.c_str(), "vorpi-render: seed %lu", &seed);
    ASSERT_EQ(unseeded.err, "vorpi-render: seed " + std::to_string(seed) + "\n");
    EXPECT_EQ(files(), (std::set<std::string> { "a.txt", "p.png", "vorpi.png" }));
    std::string image = read(directory / "vorpi.png");
    ASSERT_EQ(run("--size 64x48 --frames 3 --seed " + std::to_string(seed)).exitCode, 0);
    EXPECT_EQ(read(directory / "vorpi.png"), image);
    // With the permissions of any new file, not the owner-only ones of a temporary file.
    std::ofstream(directory / "plain");
    EXPECT_EQ(fs::status(directory / "vorpi.png").permissions(), fs::status(directory / "plain").permissions());
}

TEST_F(VorpiRender, PngHoldsTheLastFrameAndAPatternEveryFrame)
{
    // Through a link, which stays: the file it points to is replaced, or made
    // when it does not exist yet. A name as long as the file system allows.
    std::ofstream(directory / "real.png") << "old";
    fs::create_symlink("real.png", directory / "last.png");
    fs::create_symlink("made.png", directory / "new.png");
    std::string longName = std::string(251, 'n') + ".png";
    ASSERT_EQ(run("--size 40x30 --frames 4 --seed 9 --output last.png --output f%02d.png --output new.png --output "
                  + longName).exitCode, 0);
    EXPECT_EQ(files(), (std::set<std::string> { "f01.png", "f02.png", "f03.png", "f04.png", "last.png", "made.png",
                           "new.png", "real.png", longName }));
    EXPECT_TRUE(fs::is_symlink(directory / "last.png") && fs::is_symlink(directory / "new.png"));
    EXPECT_EQ(read(directory / "made.png"), read(directory / "real.png"));
    EXPECT_EQ(read(directory / longName), read(directory / "real.png"));
    EXPECT_EQ(read(directory / "f04.png"), read(directory / "real.png"));
    EXPECT_NE(read(directory / "f03.png"), read(directory / "real.png"));

    RasterCanvas expected(40, 30);
    OffscreenHost host({ 40, 30 }, false, expected, RandomSources::seeded(9));
    for (int i = 0; i < 4; ++i)
        host.runFrame();

    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> image(
        cairo_image_surface_create_from_png((directory / "real.png").c_str()), cairo_surface_destroy);
    ASSERT_EQ(cairo_image_surface_get_width(image.get()), 40) << "0 for a file that is no PNG";
    ASSERT_EQ(cairo_image_surface_get_height(image.get()), 30);
    const unsigned char* pixels = cairo_image_surface_get_data(image.get());
    int stride = cairo_image_surface_get_stride(image.get()), differing = 0;
    for (int y = 0; y < 30; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(pixels + y * stride);
        for (int x = 0; x < 40; ++x)
            differing += (row[x] & 0xFFFFFF) != (expected.image().pixel(x, y) & 0xFFFFFF);
    }
    EXPECT_EQ(differing, 0);
}

// --scale S draws the scene of an area S times smaller, S times as large: the
// module's calls (the trace) are those of the smaller area, and the picture,
// averaged over S x S pixels, is that of the smaller area.
TEST_F(VorpiRender, ScaleDrawsTheSameSceneAtMorePixels)
{
    ASSERT_EQ(run("--size 64x48 --frames 30 --seed 3 --trace small.txt --output small.png").exitCode, 0);
    ASSERT_EQ(run("--size 128x96 --scale 2 --frames 30 --seed 3 --trace big.txt --output big.png").exitCode, 0);
    ASSERT_EQ(run("--size 96x72 --scale=1.5 --frames 30 --seed 3 --trace mid.txt").exitCode, 0);
    EXPECT_EQ(read(directory / "big.txt"), read(directory / "small.txt"));
    EXPECT_EQ(read(directory / "mid.txt"), read(directory / "small.txt"));

    using Image = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
    Image small(cairo_image_surface_create_from_png((directory / "small.png").c_str()), cairo_surface_destroy);
    Image big(cairo_image_surface_create_from_png((directory / "big.png").c_str()), cairo_surface_destroy);
    ASSERT_EQ(cairo_image_surface_get_width(big.get()), 128);
    auto channel = [](const Image& image, int x, int y, int shift) {
        const unsigned char* row = cairo_image_surface_get_data(image.get()) + y * cairo_image_surface_get_stride(image.get());
        return static_cast<int>((reinterpret_cast<const std::uint32_t*>(row)[x] >> shift) & 0xFF);
    };
    long difference = 0, brightness = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            for (int shift : { 0, 8, 16 }) {
                int average = (channel(big, 2 * x, 2 * y, shift) + channel(big, 2 * x + 1, 2 * y, shift)
                                  + channel(big, 2 * x, 2 * y + 1, shift) + channel(big, 2 * x + 1, 2 * y + 1, shift))
                    / 4;
                difference += std::abs(average - channel(small, x, y, shift));
                brightness += channel(small, x, y, shift);
            }
    EXPECT_GT(brightness, 64 * 48 * 3 * 20) << "a picture with something in it";
    EXPECT_LT(difference, brightness / 20) << "antialiasing aside, the same picture";
}

// On a terminal, one line at the end says what was written; elsewhere (as in every other test) nothing does.
TEST_F(VorpiRender, OnATerminalSaysWhatItWrote)
{
    if (std::system("command -v script >/dev/null") != 0)
        GTEST_SKIP() << "script (util-linux) is not installed";
    Result result = shell("script -qec \"'" VORPI_RENDER "' --size 32x24 --frames 5 --seed 1 --output a.png --trace t.txt\" /dev/null");
    EXPECT_EQ(result.exitCode, 0);
    std::size_t line = result.out.rfind("vorpi-render: wrote ");
    ASSERT_NE(line, std::string::npos) << result.out;
    EXPECT_TRUE(result.out.substr(line).starts_with("vorpi-render: wrote a.png, t.txt (5 frames in ")) << result.out;
}

TEST_F(VorpiRender, VideosHoldEveryFrameAtThirtyFramesASecond)
{
    if (std::system("command -v ffprobe >/dev/null") != 0)
        GTEST_SKIP() << "ffprobe is not installed";
    for (std::string extension : { "mp4", "webm", "gif" }) {
        ASSERT_EQ(run("--size 33x21 --frames 12 --seed 1 --output v." + extension).exitCode, 0) << extension;
        Result probe = shell("ffprobe -v error -count_frames -show_entries stream=width,nb_read_frames:format=duration "
                             "-of csv=p=0 v." + extension);
        // Width and frames, then seconds. H.264 and VP9 get an even width; a GIF's delays are whole
        // hundredths, 3 or 4 for a thirtieth.
        std::size_t lineEnd = probe.out.find('\n');
        EXPECT_EQ(probe.out.substr(0, lineEnd), extension == "gif" ? "33,12" : "34,12") << probe.err;
        EXPECT_NEAR(std::atof(probe.out.c_str() + lineEnd + 1), 0.4, 0.011) << extension << ": " << probe.out;
    }
}

TEST_F(VorpiRender, RefusesBadInputWithOneLineAndStatusTwo)
{
    std::ofstream(directory / "file.png");
    fs::create_directory(directory / "dir.png");
    fs::create_directory(directory / "locked");
    fs::permissions(directory / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    fs::create_symlink("a.png", directory / "dangling.png");
    fs::create_symlink("locked/a.png", directory / "into-locked.png");
    std::string tooLongPath = "x";
    while (tooLongPath.size() < PATH_MAX)
        tooLongPath += "/x";
    std::vector<std::string> bad { "--size 0x10", "--size 10x0", "--size -5x10", "--size 16385x10", "--size abcx10",
        "--size 10", "--size 10x", "--size +10x10", "--size 1e3x10", "--size 99999999999999999999x1", "--size",
        "--frames 0", "--frames -1", "--frames 2147483648", "--frames ten", "--frames ''", "--frames 2 --frames 3",
        "--seed -1", "--seed 4294967296", "--seed ' 1'", "--trace ''", "--preview=1", "--bogus", "stray.png",
        "--output a.txt", "--output a", "--output f%05d.mp4", "--output f%s.png", "--output %d-%d.png",
        "--output %.png", "--output f%-5d.png", "--output f%5.png", "--output f%", "--output 100%%.png",
        "--output f%021d.png", "--output missing/a.png", "--output file.png/a.png", "--output dir.png",
        "--output a.png --output ./a.png", "--trace a.png --output a.png", "--output v.mp4",
        // The same file through a link to a file not there yet, through a frame number, through "..".
        "--output a.png --output dangling.png", "--output f%02d.png --output f07.png",
        "--frames 99 --trace f99.png --output f%d.png", "--output locked/../a.png --output a.png",
        "--output " + std::string(252, 'n') + ".png", "--output " + tooLongPath + ".png",
        "--size 16384x16384 --output big.mp4", "--size 16383x16129 --output big.gif", "--scale 0.5",
        "--scale 4.01", "--scale auto", "--scale -2", "--scale 1e0", "--scale ' 2'", "--scale 2.", "--scale .",
        "--scale 2 --scale 2" };
    if (geteuid() != 0) { // the superuser may write anywhere
        bad.push_back("--output locked/a.png");
        bad.push_back("--output into-locked.png");
    }
    for (const std::string& arguments : bad) {
        // The video alone is run with no ffmpeg on PATH.
        Result result = run(arguments, arguments == "--output v.mp4" ? "PATH=/nonexistent" : "");
        EXPECT_EQ(result.exitCode, 2) << arguments;
        EXPECT_TRUE(result.err.starts_with("vorpi-render: ") && result.err.find('\n') == result.err.size() - 1)
            << arguments << ": " << result.err;
        EXPECT_EQ(result.out, "") << arguments;
    }
    EXPECT_EQ(files(), (std::set<std::string> { "dangling.png", "dir.png", "file.png", "into-locked.png", "locked" }));
}

TEST_F(VorpiRender, FailuresWhileRunningExitOneWithOneLineAndLeaveTheTargetsAsTheyWere)
{
    Result full = shell("( '" VORPI_RENDER "' --seed 1 --frames 50 --trace - >/dev/full )");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, "vorpi-render: cannot write the trace to standard output: No space left on device\n");
    for (const char* request : { "--help", "--version" }) {
        Result help = shell("( '" VORPI_RENDER "' " + std::string(request) + " >/dev/full )");
        EXPECT_EQ(help.exitCode, 1) << request;
        EXPECT_EQ(help.err, "vorpi-render: cannot write to standard output: No space left on device\n") << request;
    }
    // A file size limit stands in for a full disk: the message has the real cause.
    Result limited = shell("( ulimit -f 1; trap '' XFSZ; exec '" VORPI_RENDER "' --seed 1 --frames 5 --output big.png )");
    EXPECT_EQ(limited.exitCode, 1);
    EXPECT_EQ(limited.err, "vorpi-render: cannot write 'big.png': File too large\n");

    std::ofstream(directory / "last.png") << "old";
    // An ffmpeg that gives up at once, one that takes every frame and then fails, and one that says why,
    // naming the file it was given on the last of its lines.
    std::pair<const char*, const char*> ffmpegs[] {
        { "exit 3", "(exit status 3)" },
        { "cat >/dev/null; exit 3", "(exit status 3)" },
        { "cat >/dev/null; for last; do :; done; printf 'Some context\\n[out#0/mp4 @ 0x5] %s: No space left on "
          "device\\r\\n' \"$last\" >&2; exit 1",
            ": v.mp4: No space left on device" },
    };
    for (auto [body, reason] : ffmpegs) {
        std::ofstream(root / "ffmpeg") << "#!/bin/sh\n" << body << "\n";
        fs::permissions(root / "ffmpeg", fs::perms::owner_all);
        Result result = run("--size 32x32 --frames 40 --seed 1 --output v.mp4 --output last.png",
            "PATH=" + root.string() + ":/usr/bin:/bin");
        EXPECT_EQ(result.exitCode, 1) << body;
        std::string space = reason[0] == ':' ? "" : " ";
        EXPECT_EQ(result.err, "vorpi-render: ffmpeg could not write 'v.mp4'" + space + reason + "\n") << body;
        EXPECT_EQ(files(), std::set<std::string> { "last.png" }) << body;
        EXPECT_EQ(read(directory / "last.png"), "old") << body;
    }
}

TEST_F(VorpiRender, SignalsEndTheRunQuietlyAndLeaveNoTemporaryFileBehind)
{
    // As a filter does: ended by SIGPIPE, quietly, when the reader of the trace goes away.
    Result piped = shell("( '" VORPI_RENDER "' --seed 1 --trace -; echo $? >../status ) | head -c 100 >/dev/null");
    EXPECT_EQ(piped.err, "");
    EXPECT_EQ(read(root / "status"), std::to_string(128 + SIGPIPE) + "\n");

    for (int signal : { SIGTERM, SIGINT }) {
        pid_t child = fork();
        if (child == 0) {
            if (chdir(directory.c_str()) == 0)
                execl(VORPI_RENDER, VORPI_RENDER, "--size", "320x240", "--frames", "100000", "--seed", "1", "--output",
                    "v.mp4", "--output", "last.png", "--trace", "t.txt", static_cast<char*>(nullptr));
            _exit(127);
        }
        EXPECT_TRUE(eventually([&] { return files().size() == 3; })) << "the run should be writing its three outputs";
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        kill(child, signal);
        int status = 0;
        if (!eventually([&] { return waitpid(child, &status, WNOHANG) == child; }))
            kill(child, SIGKILL), waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "signal " << signal << ": " << status;
        EXPECT_EQ(files(), std::set<std::string> {});
    }
}

// A signal must end the run even while a reader has stopped reading: a write
// cut short by the signal after some bytes went is no reason to write on, and
// one cut short before any went is no write error.
TEST_F(VorpiRender, SignalsEndTheRunWhileAReaderStalls)
{
    bool haveFfmpeg = std::system("command -v ffmpeg >/dev/null") == 0;
    for (bool video : { true, false }) {
        SCOPED_TRACE(video ? "ffmpeg stopped" : "the trace's reader stalled");
        if (video && !haveFfmpeg)
            continue;
        int trace[2];
        ASSERT_EQ(pipe(trace), 0);
        pid_t child = fork();
        if (child == 0) {
            dup2(trace[1], STDOUT_FILENO);
            dup2(open((root / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
            close(trace[0]);
            if (chdir(directory.c_str()) == 0)
                execl(VORPI_RENDER, VORPI_RENDER, "--size", "320x240", "--frames", "100000", "--seed", "1", "--quiet",
                    video ? "--output" : "--trace", video ? "v.mp4" : "-", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(trace[1]);
        // The renderer's child, ffmpeg, leads a process group of its own.
        pid_t ffmpeg = 0;
        if (video) {
            std::string children = "/proc/" + std::to_string(child) + "/task/" + std::to_string(child) + "/children";
            EXPECT_TRUE(eventually([&] { return (ffmpeg = std::atoi(read(children).c_str())) > 0; }));
            if (ffmpeg > 0)
                kill(-ffmpeg, SIGSTOP);
        }
        // Long enough for the pipe to fill and the renderer to block on it.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        kill(child, SIGTERM);
        int status = 0;
        auto sent = std::chrono::steady_clock::now();
        bool ended = eventually([&] { return waitpid(child, &status, WNOHANG) == child; });
        auto took = std::chrono::steady_clock::now() - sent;
        if (!ended)
            kill(child, SIGKILL), waitpid(child, &status, 0);
        if (ffmpeg > 0)
            kill(-ffmpeg, SIGCONT), kill(-ffmpeg, SIGKILL);
        close(trace[0]);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
        EXPECT_LT(took, std::chrono::seconds(1));
        EXPECT_EQ(read(root / "err"), "");
        EXPECT_EQ(files(), std::set<std::string> {});
    }
}
