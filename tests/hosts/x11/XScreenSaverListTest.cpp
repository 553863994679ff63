// Runs vorpi-xscreensaver-add on ~/.xscreensaver files as XScreenSaver 6.06
// writes them, and reads the result back as an X resource database, as the
// daemon and the settings dialog do.

#include "ChildProcess.hpp"
#include "Eventually.hpp"
#include "FileText.hpp"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>

using namespace std::chrono_literals;

namespace {

namespace fs = std::filesystem;

std::string trimmed(std::string text)
{
    text.erase(0, text.find_first_not_of(" \t"));
    text.erase(text.find_last_not_of(" \t") + 1);
    return text;
}

// A resource's value as Xlib reads it, or nothing.
std::optional<std::string> resource(const fs::path& file, const char* name)
{
    XrmInitialize();
    XrmDatabase database = XrmGetFileDatabase(file.c_str());
    char* type = nullptr;
    XrmValue value {};
    std::optional<std::string> found;
    if (database && XrmGetResource(database, name, name, &type, &value))
        found = std::string(value.addr, value.size - 1);
    XrmDestroyDatabase(database);
    return found;
}

// The programs: entries, one per "\n" of the value.
std::vector<std::string> programs(const fs::path& file)
{
    std::vector<std::string> entries;
    std::istringstream value(resource(file, "programs").value_or(""));
    for (std::string line; std::getline(value, line);)
        if (!trimmed(line).empty())
            entries.push_back(trimmed(line));
    return entries;
}

class XScreenSaverList : public testing::Test {
protected:
    XScreenSaverList() { fs::remove_all(home), fs::create_directories(home); }
    ~XScreenSaverList() override { umount2(home.c_str(), MNT_DETACH), fs::remove_all(home); }

    std::unique_ptr<ChildProcess> start(std::vector<std::string> arguments = {})
    {
        arguments.insert(arguments.begin(), VORPI_XSCREENSAVER_ADD);
        return std::make_unique<ChildProcess>(arguments, Environment { { "HOME", home.string() } });
    }
    // Exit status and standard error.
    std::pair<int, std::string> add(const std::vector<std::string>& arguments = {})
    {
        auto run = start(arguments);
        return { run->waitForExit(20s).value_or(-1), run->standardError() };
    }

    fs::path home = fs::temp_directory_path() / ("vorpi-list-" + std::to_string(getpid()));
    fs::path file = home / ".xscreensaver";
    fs::path backup = home / ".xscreensaver.before-vorpi";
};

// On the file the settings dialog wrote, here in "Only One Screen Saver"
// mode, whose choice is a position in the list (random mode differs in
// nothing the change reads): Vorpi last, so every other line is as it was; a
// backup of the old file. (A run that finds Vorpi listed changes nothing:
// AddsVorpiToAnyListOrNone, RunsAtOnce...)
TEST_F(XScreenSaverList, AddsVorpiToARealFileOnceKeepingTheChoice)
{
    std::string before = read(VORPI_XSCREENSAVER_FIXTURE);
    before.replace(before.find("random\nselected:\t-1"), 19, "one\nselected:\t3");
    std::ofstream(file) << before;
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    std::vector<std::string> entries = programs(file);
    ASSERT_GT(entries.size(), 40u);

    ASSERT_EQ(add(), std::make_pair(0, std::string()));
    entries.push_back("vorpi --root");
    EXPECT_EQ(programs(file), entries);
    std::string after = before;
    after.insert(before.find("\\n\\\n\n") + 4, "\t\t\t\tvorpi --root\t\t\t\t    \\n\n");
    EXPECT_EQ(read(file), after);
    EXPECT_EQ(read(backup), before);
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

// Lists written by hand, by other systems or by older versions, and lists that have Vorpi already.
TEST_F(XScreenSaverList, AddsVorpiToAnyListOrNone)
{
    struct Case {
        const char* name;
        std::optional<std::string> content;
        std::vector<std::string> programs;
        bool changed;
    };
    std::vector<Case> cases {
        { "no file yet", std::nullopt, { "vorpi --root" }, true },
        { "a list on one line", "timeout: 0:10:00\nprograms: maze --root\nlock: True\n", { "maze --root", "vorpi --root" }, true },
        { "an empty list", "programs:\nlock: True\n", { "vorpi --root" }, true },
        { "no list", "lock: True\n", { "vorpi --root" }, true },
        { "a last entry without its \\n", "programs: \\\n  maze --root \\n\\\n  qix --root\nlock: True\n",
            { "maze --root", "qix --root", "vorpi --root" }, true },
        { "a list continued to the end", "lock: True\nprograms: maze --root \\\n", { "maze --root", "vorpi --root" }, true },
        // XScreenSaver reads neither these lists nor a line continued before a CR.
        { "two lists", "programs: maze --root\nlock: True\nprograms: qix --root\n", { "qix --root", "vorpi --root" }, true },
        { "Windows line ends", "programs: \\\r\n  maze --root \\n\\\r\n  qix --root \\n\r\nlock: True\r\n",
            { "maze --root", "qix --root", "vorpi --root" }, true },
        { "listed with a name, a path and options",
            "programs: \\\n  \"Vorpi\" /usr/libexec/xscreensaver/vorpi --root --fps \\n\\\n  maze --root \\n\nlock: True\n",
            { "\"Vorpi\" /usr/libexec/xscreensaver/vorpi --root --fps", "maze --root" }, false },
        { "listed and switched off", "programs: \\\n- GL:\t\tvorpi --root\t\\n\\\n\t\tmaze --root\t\\n\nlock: True\n",
            { "- GL:\t\tvorpi --root", "maze --root" }, false },
        { "a vorpi of another name", "programs: \\\n  vorpi-render --root \\n\\\n  notvorpi --root \\n\nlock: True\n",
            { "vorpi-render --root", "notvorpi --root", "vorpi --root" }, true },
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        fs::remove(file), fs::remove(backup);
        if (test.content)
            std::ofstream(file) << *test.content;
        ASSERT_EQ(add(), std::make_pair(0, std::string()));
        EXPECT_EQ(programs(file), test.programs);
        // A backup only of a file there was, and that was changed.
        EXPECT_EQ(fs::exists(backup), test.changed && test.content.has_value());
        if (test.content) {
            EXPECT_EQ(resource(file, "lock"), "True");
            EXPECT_EQ(read(test.changed ? backup : file), *test.content);
        }
    }

    // Through a link the file it points to changes; the backup is where the manual says.
    fs::remove(file), fs::remove(backup);
    fs::create_directory(home / "dotfiles");
    std::ofstream(home / "dotfiles" / "xscreensaver") << "programs: maze --root\n";
    fs::create_symlink("dotfiles/xscreensaver", file);
    ASSERT_EQ(add().first, 0);
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(programs(file), (std::vector<std::string> { "maze --root", "vorpi --root" }));
    EXPECT_EQ(read(backup), "programs: maze --root\n");
    EXPECT_EQ(namesIn(home), (std::set<std::string> { ".xscreensaver", ".xscreensaver.before-vorpi", "dotfiles" }));
}

// What it must not or cannot do is one line and leaves every file as it was.
TEST_F(XScreenSaverList, RefusesWhatItCannotDoAndChangesNothing)
{
    const std::string original = "programs: maze --root\n";
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        std::function<void()> setUp;
        const char* openDialog;
        int status;
    };
    std::vector<Case> cases {
        { "an unknown option", { "--frobnicate" }, [] {}, nullptr, 2 },
        { "an argument too many", { "--help", "now" }, [] {}, nullptr, 2 },
        { "~/.xscreensaver a directory", {}, [&] { fs::remove(file), fs::create_directory(file); }, nullptr, 1 },
        { "the backup a directory", {}, [&] { fs::create_directory(backup); }, nullptr, 1 },
        { "an earlier backup", {}, [&] { std::ofstream(backup) << "programs: qix --root\n"; }, nullptr, 1 },
        { "xscreensaver-settings open", {}, [] {}, "xscreensaver-settings", 1 },
        { "xscreensaver-demo open", {}, [] {}, "xscreensaver-demo", 1 },
        { "xscreensaver-settings open, no file yet", {}, [&] { fs::remove(file); }, "xscreensaver-settings", 1 },
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        std::ofstream(file) << original;
        test.setUp();
        // A program of the settings dialog's name, with its HOME, as the dialog runs.
        std::unique_ptr<ChildProcess> dialog;
        if (test.openDialog) {
            fs::create_symlink("/bin/sleep", home / test.openDialog);
            dialog = std::make_unique<ChildProcess>(std::vector<std::string> { home / test.openDialog, "60" },
                Environment { { "HOME", home.string() } });
            ASSERT_TRUE(eventually(
                [&] { return read("/proc/" + std::to_string(dialog->pid()) + "/comm").starts_with("xscreensaver-"); }));
            fs::remove(home / test.openDialog);
        }
        std::set<std::string> before = namesIn(home);
        std::string backupBefore = read(backup);
        auto [status, error] = add(test.arguments);
        EXPECT_EQ(status, test.status);
        EXPECT_TRUE(isOneLine(error, "vorpi-xscreensaver-add")) << error;
        EXPECT_EQ(namesIn(home), before);
        EXPECT_TRUE(!fs::is_regular_file(file) || read(file) == original);
        EXPECT_EQ(read(backup), backupBefore);
        fs::remove_all(file), fs::remove_all(backup);
    }
}

// Runs at once take turns: one adds Vorpi, the others find it; the backup is the user's file.
TEST_F(XScreenSaverList, RunsAtOnceAddVorpiOnceAndKeepTheOriginal)
{
    for (bool fileThere : { true, false })
        for (int trial = 0; trial < 5; ++trial) {
            SCOPED_TRACE((fileThere ? "a file, trial " : "no file yet, trial ") + std::to_string(trial));
            fs::remove(file), fs::remove(backup);
            if (fileThere)
                fs::copy_file(VORPI_XSCREENSAVER_FIXTURE, file);
            std::vector<std::unique_ptr<ChildProcess>> runs;
            for (int i = 0; i < 12; ++i)
                runs.push_back(start());
            for (auto& run : runs) {
                EXPECT_EQ(run->waitForExit(20s), 0);
                EXPECT_EQ(run->standardError(), "");
            }
            EXPECT_EQ(std::ranges::count(programs(file), "vorpi --root"), 1);
            EXPECT_EQ(read(backup), fileThere ? read(VORPI_XSCREENSAVER_FIXTURE) : "");
            EXPECT_EQ(namesIn(home).size(), fileThere ? 2u : 1u);
        }
}

// With the disk full at each step of the change it fails in one line and
// leaves the file and the backup whole, whether the backup was there or not.
TEST_F(XScreenSaverList, AFullDiskLosesNothing)
{
    // A file system of its own, small enough to fill up.
    if (mount("tmpfs", home.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=700") != 0)
        GTEST_SKIP() << "only the superuser can mount a small file system to fill";
    const std::string original = read(VORPI_XSCREENSAVER_FIXTURE);
    for (bool backupThere : { false, true }) {
        SCOPED_TRACE(backupThere ? "with a backup" : "without a backup");
        std::ofstream(file) << original;
        if (backupThere)
            std::ofstream(backup) << original;
        std::ofstream fill(home / "fill", std::ios::binary);
        for (std::string page(4096, '\0'); fill.write(page.data(), 4096) && fill.flush();) {
        }
        fill.close();
        auto room = fs::file_size(home / "fill");
        for (int status = 1; status == 1; room -= 4096) {
            ASSERT_GT(room, 0u) << "the change never had room enough";
            fs::resize_file(home / "fill", room);
            std::string error;
            std::tie(status, error) = add();
            std::set<std::string> expected { ".xscreensaver", "fill" };
            if (status == 0 || backupThere) {
                expected.insert(".xscreensaver.before-vorpi");
                EXPECT_EQ(read(backup), original);
            }
            EXPECT_EQ(namesIn(home), expected);
            if (status == 1) {
                EXPECT_EQ(read(file), original);
                EXPECT_TRUE(isOneLine(error, "vorpi-xscreensaver-add") && error.ends_with(": No space left on device\n"))
                    << error;
            } else {
                ASSERT_EQ(status, 0) << error;
                EXPECT_EQ(programs(file).back(), "vorpi --root");
            }
        }
        fs::remove(file), fs::remove(backup), fs::remove(home / "fill");
    }
}

}
