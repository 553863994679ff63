// Runs the built vorpi-render program as a user would and checks what it leaves behind.

#include "CairoCanvas.hpp"
#include "host/OffscreenHost.hpp"
#include "platform/RandomSources.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool oneLine(const std::string& text)
{
    return text.size() > 1 && text.find('\n') == text.size() - 1;
}

class VorpiRender : public ::testing::Test {
protected:
    VorpiRender()
    {
        static int count = 0;
        directory = fs::temp_directory_path() / ("vorpi-render-" + std::to_string(getpid()) + "-" + std::to_string(++count));
        fs::remove_all(directory);
        fs::create_directory(directory);
    }
    ~VorpiRender() override
    {
        fs::remove_all(directory);
        fs::remove(captured(".out"));
        fs::remove(captured(".err"));
        fs::remove_all(captured(".bin"));
    }

    fs::path captured(const std::string& suffix) const { return directory.string() + suffix; }

    // Runs the program in `directory`; `environment` holds NAME=value words for it.
    Result run(const std::string& arguments, const std::string& environment = "")
    {
        return shell("env " + environment + " '" VORPI_RENDER "' " + arguments);
    }

    Result shell(const std::string& command)
    {
        std::string line = "cd '" + directory.string() + "' && " + command + " >'" + captured(".out").string()
            + "' 2>'" + captured(".err").string() + "'";
        int status = std::system(line.c_str());
        return { WIFEXITED(status) ? WEXITSTATUS(status) : -1, read(captured(".out")), read(captured(".err")) };
    }

    std::set<std::string> files() const
    {
        std::set<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(directory))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path directory;
};

}

TEST_F(VorpiRender, SameSeedAndSizeGiveTheSameTraceByteForByte)
{
    ASSERT_EQ(run("--size 64x48 --frames 20 --seed 42 --trace a.txt").exitCode, 0);
    EXPECT_EQ(files(), std::set<std::string> { "a.txt" }) << "a trace alone writes no image";
    std::string trace = read(directory / "a.txt");
    EXPECT_TRUE(trace.starts_with("frame 1\ncolor "));
    EXPECT_NE(trace.find("\nframe 20\n"), std::string::npos);
    EXPECT_EQ(trace.find("\nframe 21\n"), std::string::npos);

    // The same calls whether or not pixels are drawn, on standard output as in a file.
    Result again = run("--size 64x48 --frames 20 --seed 42 --trace - --output p.png");
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, trace);
    EXPECT_EQ(again.err, "");
    EXPECT_NE(run("--size 64x48 --frames 20 --seed 43 --trace -").out, trace);
    EXPECT_NE(run("--size 64x50 --frames 20 --seed 42 --trace -").out, trace);
}

TEST_F(VorpiRender, WithoutOutputsWritesVorpiPngAndTheSeedThatRepeatsIt)
{
    Result first = run("--size 64x48 --frames 3");
    ASSERT_EQ(first.exitCode, 0) << first.err;
    unsigned long seed = 0;
    ASSERT_TRUE(oneLine(first.err) && std::sscanf(first.err.c_str(), "vorpi-render: seed %lu", &seed) == 1)
        << first.err;
    EXPECT_EQ(files(), std::set<std::string> { "vorpi.png" });
    std::string image = read(directory / "vorpi.png");

    ASSERT_EQ(run("--size 64x48 --frames 3 --seed " + std::to_string(seed)).exitCode, 0);
    EXPECT_EQ(read(directory / "vorpi.png"), image);
}

TEST_F(VorpiRender, PngHoldsTheLastFrameAndAPatternEveryFrame)
{
    ASSERT_EQ(run("--size 40x30 --frames 4 --seed 9 --output last.png --output f%02d.png").exitCode, 0);
    EXPECT_EQ(files(), (std::set<std::string> { "f01.png", "f02.png", "f03.png", "f04.png", "last.png" }));
    EXPECT_EQ(read(directory / "f04.png"), read(directory / "last.png"));
    EXPECT_NE(read(directory / "f03.png"), read(directory / "last.png"));

    RandomSources::install(RandomSources::seeded(9));
    CairoCanvas expected(40, 30);
    OffscreenHost host({ 40, 30 }, false, expected);
    for (int i = 0; i < 4; ++i)
        host.runFrame();
    expected.flush();

    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> image(
        cairo_image_surface_create_from_png((directory / "last.png").c_str()), cairo_surface_destroy);
    ASSERT_EQ(cairo_surface_status(image.get()), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(cairo_image_surface_get_width(image.get()), 40);
    ASSERT_EQ(cairo_image_surface_get_height(image.get()), 30);
    const unsigned char* pixels = cairo_image_surface_get_data(image.get());
    int stride = cairo_image_surface_get_stride(image.get());
    int differing = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            std::uint32_t read;
            std::memcpy(&read, pixels + y * stride + x * 4, 4);
            differing += (read & 0xFFFFFF) != (expected.pixel(x, y) & 0xFFFFFF);
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_NE(expected.pixel(20, 15), 0xFF000000u) << "the frames should have drawn something";
}

TEST_F(VorpiRender, VideosHoldEveryFrameAtThirtyFramesASecond)
{
    if (std::system("command -v ffprobe >/dev/null") != 0)
        GTEST_SKIP() << "ffprobe is not installed";
    for (std::string extension : { "mp4", "webm", "gif" }) {
        Result result = run("--size 33x21 --frames 12 --seed 1 --output v." + extension);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        Result probe = shell("ffprobe -v error -count_frames -show_entries stream=width,nb_read_frames:format=duration "
                             "-of csv=p=0 v." + extension);
        int width = 0, frames = 0;
        double seconds = 0;
        ASSERT_EQ(std::sscanf(probe.out.c_str(), "%d,%d %lf", &width, &frames, &seconds), 3) << probe.out << probe.err;
        // H.264 and VP9 get an even width; a GIF's delays are whole hundredths, 3 or 4 for a thirtieth.
        EXPECT_EQ(width, extension == "gif" ? 33 : 34) << extension;
        EXPECT_EQ(frames, 12) << extension;
        EXPECT_NEAR(seconds, 0.4, 0.011) << extension;
    }
}

TEST_F(VorpiRender, RefusesBadInputWithOneLineAndStatusTwo)
{
    std::ofstream(directory / "file.png") << "keep";
    fs::create_directory(directory / "dir.png");
    const std::pair<const char*, const char*> bad[] = {
        { "--size 0x10", "" }, { "--output a.txt", "" }, { "--output missing/a.png", "" },
        { "--output file.png/a.png", "" }, { "--output dir.png", "" }, { "--output a.png --output ./a.png", "" },
        { "--trace a.png --output a.png", "" }, { "--output v.mp4", "PATH=/nonexistent" },
    };
    for (auto [arguments, environment] : bad) {
        Result result = run(std::string("--frames 1 --size 8x8 ") + arguments, environment);
        EXPECT_EQ(result.exitCode, 2) << arguments;
        EXPECT_TRUE(oneLine(result.err) && result.err.starts_with("vorpi-render: ")) << arguments << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(files(), (std::set<std::string> { "dir.png", "file.png" }));
    EXPECT_EQ(read(directory / "file.png"), "keep");
}

TEST_F(VorpiRender, FailingFfmpegExitsOneAndLeavesNothing)
{
    fs::create_directory(captured(".bin"));
    fs::path ffmpeg = captured(".bin") / "ffmpeg";
    // One that gives up at once, and one that takes every frame and then fails.
    for (const char* body : { "exit 3", "cat >/dev/null; exit 3" }) {
        std::ofstream(ffmpeg) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(ffmpeg, fs::perms::owner_all);
        Result result = run("--size 32x32 --frames 40 --output v.mp4 --output last.png",
            "PATH=" + captured(".bin").string() + ":/usr/bin:/bin");
        EXPECT_EQ(result.exitCode, 1) << body;
        EXPECT_NE(result.err.find("ffmpeg could not write 'v.mp4' (exit status 3)"), std::string::npos) << result.err;
        EXPECT_EQ(files(), std::set<std::string> {}) << body;
    }
}

TEST_F(VorpiRender, TraceOnStandardOutputEndsWithItsReaderAndReportsAFullDisk)
{
    // As a filter does: ended by SIGPIPE, quietly, when the reader goes away.
    Result piped = shell("( '" VORPI_RENDER "' --seed 1 --trace -; echo $? >status ) | head -c 100 >/dev/null");
    EXPECT_EQ(piped.err, "");
    EXPECT_EQ(read(directory / "status"), std::to_string(128 + SIGPIPE) + "\n");

    Result full = shell("( '" VORPI_RENDER "' --seed 1 --frames 50 --trace - >/dev/full )");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, "vorpi-render: cannot write the trace to standard output: No space left on device\n");
}

TEST_F(VorpiRender, SignalsLeaveNoTemporaryFileBehind)
{
    for (int signal : { SIGTERM, SIGINT }) {
        pid_t child = fork();
        if (child == 0) {
            if (chdir(directory.c_str()) == 0)
                execl(VORPI_RENDER, VORPI_RENDER, "--size", "320x240", "--frames", "100000", "--seed", "1", "--output",
                    "v.mp4", "--output", "last.png", "--trace", "t.txt", static_cast<char*>(nullptr));
            _exit(127);
        }
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (files().size() < 3 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_EQ(files().size(), 3u) << "the run should be writing its three outputs";
        kill(child, signal);
        int status = 0;
        deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (waitpid(child, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(child, SIGKILL);
                waitpid(child, &status, 0);
                FAIL() << "the run did not stop on signal " << signal;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(files(), std::set<std::string> {});
    }
}
