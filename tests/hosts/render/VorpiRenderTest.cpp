// Runs the built vorpi-render program as a user would and checks what it leaves behind.

#include "ChildProcess.hpp"
#include "Eventually.hpp"
#include "FileText.hpp"
#include "Picture.hpp"
#include "RasterCanvas.hpp"
#include "host/OffscreenHost.hpp"
#include "platform/RandomSources.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <climits>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Result { int exitCode = -1; std::string out, err; };

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

    // Puts a shell script with `body` for ffmpeg in a directory of its own; returns a PATH that finds it first.
    std::string fakeFfmpeg(const std::string& body) const
    {
        std::ofstream(root / "ffmpeg") << "#!/bin/sh\n" << body << "\n";
        fs::permissions(root / "ffmpeg", fs::perms::owner_all);
        return root.string() + ":/usr/bin:/bin";
    }

    // The first child of `parent`, or 0.
    static pid_t childOf(pid_t parent)
    {
        std::string task = std::to_string(parent);
        return std::atoi(read("/proc/" + task + "/task/" + task + "/children").c_str());
    }

    // Gone, or a zombie that no one has reaped.
    static bool ended(pid_t process)
    {
        std::string status = read("/proc/" + std::to_string(process) + "/stat");
        return status.empty() || status.substr(status.rfind(')') + 2, 1) == "Z";
    }

    std::set<std::string> files() const { return namesIn(directory); }

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
    // With the permissions of any new file, not the owner-only ones of a temporary file; a replaced file keeps its own.
    std::ofstream(directory / "plain");
    EXPECT_EQ(fs::status(directory / "vorpi.png").permissions(), fs::status(directory / "plain").permissions());
    fs::permissions(directory / "vorpi.png", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(run("--size 64x48 --frames 3 --seed " + std::to_string(seed)).exitCode, 0);
    EXPECT_EQ(read(directory / "vorpi.png"), image);
    EXPECT_EQ(fs::status(directory / "vorpi.png").permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(VorpiRender, PngHoldsTheLastFrameAndAPatternEveryFrame)
{
    // Through a link, which stays: the file it points to is replaced, or made
    // when it does not exist yet. Frames whose names are as long as the file
    // system allows, although the pattern's text is longer.
    std::ofstream(directory / "real.png") << "old";
    fs::create_symlink("real.png", directory / "last.png");
    fs::create_symlink("made.png", directory / "new.png");
    std::string stem(250, 'n');
    ASSERT_EQ(run("--size 40x30 --frames 4 --seed 9 --output last.png --output " + stem + "%d.png --output new.png")
                  .exitCode, 0);
    EXPECT_EQ(files(), (std::set<std::string> { stem + "1.png", stem + "2.png", stem + "3.png", stem + "4.png",
                           "last.png", "made.png", "new.png", "real.png" }));
    EXPECT_TRUE(fs::is_symlink(directory / "last.png") && fs::is_symlink(directory / "new.png"));
    EXPECT_EQ(read(directory / "made.png"), read(directory / "real.png"));
    EXPECT_EQ(read(directory / (stem + "4.png")), read(directory / "real.png"));
    EXPECT_NE(read(directory / (stem + "3.png")), read(directory / "real.png"));

    RasterCanvas expected(40, 30);
    OffscreenHost host({ 40, 30 }, false, expected, RandomSources::seeded(9));
    for (int i = 0; i < 4; ++i)
        host.runFrame();
    EXPECT_TRUE(Picture::fromPng(directory / "real.png") == Picture::of(expected.image()));
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

    Picture small = Picture::fromPng(directory / "small.png"), big = Picture::fromPng(directory / "big.png");
    ASSERT_EQ(big.width, 128);
    auto channel = [](const Picture& picture, int x, int y, int shift) {
        return static_cast<int>(picture.pixels[y * picture.width + x] >> shift & 0xFF);
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
    // In directories whose names ffmpeg would read as a protocol or an option, were it given them as they are.
    fs::create_directory(directory / "x");
    for (auto [folder, extension] : { std::pair("2026-12-06T18:00", "mp4"), { "-x", "webm" }, { "file:x", "gif" } }) {
        fs::create_directory(directory / folder);
        std::string video = folder + std::string("/v.") + extension;
        ASSERT_EQ(run("--size 33x21 --frames 12 --seed 1 --output " + video).exitCode, 0) << video;
        EXPECT_EQ(std::distance(fs::directory_iterator(directory / folder), {}), 1) << video;
        EXPECT_TRUE(fs::is_empty(directory / "x"));
        Result probe = shell("ffprobe -v error -count_frames -show_entries stream=width,nb_read_frames:format=duration "
                             "-of csv=p=0 file:" + video);
        // Width and frames, then seconds. H.264 and VP9 get an even width; a GIF's delays are whole
        // hundredths, 3 or 4 for a thirtieth.
        std::size_t lineEnd = probe.out.find('\n');
        EXPECT_EQ(probe.out.substr(0, lineEnd), extension == std::string("gif") ? "33,12" : "34,12") << probe.err;
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
    fs::create_symlink("l3.png", directory / "l2.png");
    std::string tooLongPath = "x";
    while (tooLongPath.size() < PATH_MAX)
        tooLongPath += "/x";
    // The option reader's own complaints and the scale and seed grammars are CommandLineTest's.
    std::vector<std::string> bad { "--size 0x10", "--size 10x0", "--size 16385x10", "--size +10x10", "--size 10",
        "--size 10x", "--size 99999999999999999999x1", "--frames 0", "--frames -1", "--frames 2147483648",
        "--frames ''", "--frames 2 --frames 3", "--trace ''", "--preview=1", "--bogus",
        "--output a.txt", "--output a", "--output f%05d.mp4", "--output f%s.png", "--output %d-%d.png",
        "--output %.png", "--output f%-5d.png", "--output f%5.png", "--output f%", "--output 100%%.png",
        "--output f%021d.png", "--output missing/a.png", "--output file.png/a.png", "--output dir.png",
        "--output a.png --output ./a.png", "--trace a.png --output a.png", "--output v.mp4",
        // The same file through a link to a file not there yet, through a frame number, through "..", through
        // two patterns, through a frame's name that is a link.
        "--output a.png --output dangling.png", "--output f%02d.png --output f07.png",
        "--frames 99 --trace f99.png --output f%d.png", "--output locked/../a.png --output a.png",
        "--frames 12 --output f%d.png --output f1%d.png", "--output f%d.png --output f%1d.png",
        "--frames 3 --output l%d.png", "--frames 2 --output l%d.png --output l3.png", "--trace /dev/stdout",
        "--output " + std::string(252, 'n') + ".png", "--output " + std::string(245, 'n') + "%020d.png",
        "--output " + tooLongPath + ".png", "--output 'a\nb\033[31m.txt'",
        "--size 16384x16384 --output big.mp4", "--size 16383x16129 --output big.gif" };
    if (geteuid() != 0) { // the superuser may write anywhere
        bad.push_back("--output locked/a.png");
        bad.push_back("--output into-locked.png");
    }
    for (const std::string& arguments : bad) {
        // The video alone is run with no ffmpeg on PATH.
        Result result = run(arguments, arguments == "--output v.mp4" ? "PATH=/nonexistent" : "");
        EXPECT_EQ(result.exitCode, 2) << arguments;
        // One line, whatever the arguments hold.
        EXPECT_TRUE(isOneLine(result.err, "vorpi-render") && result.err.find('\033') == std::string::npos)
            << arguments << ": " << result.err;
        EXPECT_EQ(result.out, "") << arguments;
    }
    EXPECT_EQ(files(),
        (std::set<std::string> { "dangling.png", "dir.png", "file.png", "into-locked.png", "l2.png", "locked" }));
}

TEST_F(VorpiRender, FailuresWhileRunningExitOneWithOneLineAndLeaveTheTargetsAsTheyWere)
{
    // Standard output full, closed, or open for reading only; a file size limit standing in for a full disk. The
    // message has the real cause, even when writes to ffmpeg's pipe came in between.
    std::string render = "env PATH='" + fakeFfmpeg("cat >/dev/null") + "' '" VORPI_RENDER "' ";
    std::pair<std::string, const char*> failures[] {
        { render + "--seed 1 --frames 50 --size 640x480 --trace - --output v.mp4 >/dev/full",
            "cannot write the trace to standard output: No space left on device" },
        { render + "--help >/dev/full", "cannot write to standard output: No space left on device" },
        { render + "--version >&-", "cannot write to standard output: Bad file descriptor" },
        { render + "--seed 1 --frames 3 --size 8x8 --trace - --output a.png >&-",
            "cannot write the trace to standard output: Bad file descriptor" },
        { render + "--seed 1 --frames 3 --size 8x8 --trace - --output a.png 1</dev/null",
            "cannot write the trace to standard output: Bad file descriptor" },
        { "ulimit -f 1; exec " + render + "--seed 1 --frames 5 --output big.png", "cannot write 'big.png': File too large" },
    };
    for (const auto& [command, message] : failures) {
        Result result = shell("( " + command + " )");
        EXPECT_EQ(result.exitCode, 1) << command;
        EXPECT_EQ(result.err, "vorpi-render: " + std::string(message) + "\n") << command;
        EXPECT_EQ(files(), std::set<std::string> {}) << command;
    }

    std::ofstream(directory / "last.png") << "old";
    std::ofstream(directory / "v.mp4") << "good";
    // An ffmpeg that gives up at once, one that takes every frame and then fails, and one that says why, naming the
    // file it was given on the last of its lines, but exits 0, as ffmpeg 5.1 does after a trailer it could not write.
    std::pair<const char*, const char*> ffmpegs[] {
        { "exit 3", " (exit status 3)" },
        { "cat >/dev/null; exit 3", " (exit status 3)" },
        { "cat >/dev/null; for last; do :; done; printf 'Some context\\n[out#0/mp4 @ 0x5] Error writing trailer of %s: "
          "No space left on device\\r\\n' \"$last\" >&2",
            ": Error writing trailer of v.mp4: No space left on device" },
    };
    for (auto [body, reason] : ffmpegs) {
        fakeFfmpeg(body);
        Result result = shell(render + "--size 32x32 --frames 40 --seed 1 --output v.mp4 --output last.png");
        EXPECT_EQ(result.exitCode, 1) << body;
        EXPECT_EQ(result.err, "vorpi-render: ffmpeg could not write 'v.mp4'" + std::string(reason) + "\n") << body;
        EXPECT_EQ(files(), (std::set<std::string> { "last.png", "v.mp4" })) << body;
        EXPECT_EQ(read(directory / "last.png") + read(directory / "v.mp4"), "oldgood") << body;
    }

    // The directory moved away under the run: the temporary files are removed where it went.
    fs::create_directory(directory / "sub");
    ChildProcess moved({ VORPI_RENDER, "--size", "32x32", "--frames", "100000", "--seed", "1", "--output",
        (directory / "sub/f%d.png").string(), "--output", (directory / "sub/last.png").string() });
    ASSERT_TRUE(eventually([&] { return fs::exists(directory / "sub/f1.png"); }));
    fs::rename(directory / "sub", directory / "moved");
    EXPECT_EQ(moved.waitForExit(std::chrono::seconds(20)), 1);
    EXPECT_NE(moved.standardError().find(": No such file or directory\n"), std::string::npos) << moved.standardError();
    for (const fs::directory_entry& entry : fs::directory_iterator(directory / "moved"))
        EXPECT_TRUE(entry.path().filename().string().starts_with("f")) << entry.path();
}

// A signal ends the run quietly, by that signal, within a second, and leaves
// no temporary file, even while a reader has stopped reading: a write cut
// short by the signal after some bytes went is no reason to write on, and one
// cut short before any went is no write error. Killed outright, the run can
// remove nothing, but ffmpeg ends with it: this one would go on for a minute.
TEST_F(VorpiRender, SignalsEndTheRunQuietlyAndLeaveNoTemporaryFileBehind)
{
    // As a filter does: ended by SIGPIPE, quietly, when the reader of the trace goes away.
    Result piped = shell("( '" VORPI_RENDER "' --seed 1 --trace -; echo $? >../status ) | head -c 100 >/dev/null");
    EXPECT_EQ(piped.err, "");
    EXPECT_EQ(read(root / "status"), std::to_string(128 + SIGPIPE) + "\n");

    enum Stalled { Nothing, Ffmpeg, TraceReader };
    std::string lingeringFfmpeg = fakeFfmpeg("cat >/dev/null; exec sleep 60");
    // The last leaves its temporary files behind.
    for (auto [signal, stalled] : { std::pair { SIGTERM, Nothing }, { SIGINT, Nothing }, { SIGTERM, Ffmpeg },
             { SIGTERM, TraceReader }, { SIGKILL, Nothing } }) {
        SCOPED_TRACE(std::string("SIG") + sigabbrev_np(signal) + ", stalled: " + std::to_string(stalled));
        int trace[2];
        ASSERT_EQ(pipe2(trace, O_CLOEXEC), 0);
        ChildProcess renderer({ VORPI_RENDER, "--size", "320x240", "--frames", "100000", "--seed", "1", "--output",
            (directory / "v.mp4").string(), "--output", (directory / "last.png").string(), "--trace",
            stalled == TraceReader ? "-" : (directory / "t.txt").string() },
            signal == SIGKILL ? Environment { { "PATH", lingeringFfmpeg } } : Environment {}, trace[1]);
        close(trace[1]);
        pid_t ffmpeg = 0;
        // ffmpeg leads a process group of its own.
        ASSERT_TRUE(eventually([&] { return files().size() == (stalled == TraceReader ? 2u : 3u)
            && (ffmpeg = childOf(renderer.pid())) > 0 && getpgid(ffmpeg) == ffmpeg; }))
            << "the run should be writing its outputs";
        if (stalled == Ffmpeg)
            kill(-ffmpeg, SIGSTOP);
        // Long enough for a pipe to fill and the renderer to block on it.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        auto sent = std::chrono::steady_clock::now();
        renderer.signal(signal);
        EXPECT_EQ(renderer.waitForExit(std::chrono::seconds(20)), 128 + signal);
        EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(1));
        EXPECT_TRUE(eventually([&] { return ended(ffmpeg); }, std::chrono::seconds(5)));
        kill(-ffmpeg, SIGCONT), kill(-ffmpeg, SIGKILL);
        close(trace[0]);
        EXPECT_EQ(renderer.standardError(), "");
        EXPECT_EQ(files().size(), signal == SIGKILL ? 3u : 0u);
    }
}
