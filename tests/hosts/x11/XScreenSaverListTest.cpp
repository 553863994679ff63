// Runs vorpi-xscreensaver-add on ~/.xscreensaver files as XScreenSaver 6.06
// writes them, and reads the result back as an X resource database, as the
// daemon and the settings dialog do.

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string read(const fs::path& path)
{
    return (std::ostringstream() << std::ifstream(path, std::ios::binary).rdbuf()).str();
}

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
    ~XScreenSaverList() override { fs::remove_all(home); }

    // Exit status and standard error.
    std::pair<int, std::string> add(const std::string& arguments = "")
    {
        std::string command = "HOME='" + home.string() + "' '" VORPI_XSCREENSAVER_ADD "' " + arguments + " >/dev/null 2>'"
            + (home / "err").string() + "'";
        int status = std::system(command.c_str());
        std::string error = read(home / "err");
        fs::remove(home / "err");
        return { WIFEXITED(status) ? WEXITSTATUS(status) : -1, error };
    }

    fs::path home = fs::temp_directory_path() / ("vorpi-list-" + std::to_string(getpid()));
    fs::path file = home / ".xscreensaver";
    fs::path backup = home / ".xscreensaver.before-vorpi";
};

// On the file the settings dialog wrote: Vorpi first, every other line as it
// was, a backup of the old file; a second run changes nothing.
TEST_F(XScreenSaverList, AddsVorpiToARealFileOnceKeepingEverythingElse)
{
    fs::copy_file(VORPI_XSCREENSAVER_FIXTURE, file);
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    std::string before = read(file);
    std::vector<std::string> entriesBefore = programs(file);
    ASSERT_GT(entriesBefore.size(), 40u);

    ASSERT_EQ(add(), std::make_pair(0, std::string()));
    std::vector<std::string> expected { "vorpi --root" };
    expected.insert(expected.end(), entriesBefore.begin(), entriesBefore.end());
    EXPECT_EQ(programs(file), expected);
    std::string after = read(file);
    std::size_t added = after.find("\t\t\t\tvorpi --root");
    ASSERT_NE(added, std::string::npos);
    EXPECT_EQ(after.substr(0, added) + after.substr(after.find('\n', added) + 1), before);
    EXPECT_EQ(read(backup), before);
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    ASSERT_EQ(add().first, 0);
    EXPECT_EQ(read(file), after);
    EXPECT_EQ(read(backup), before);
}

// Lists written by hand or by older versions, and a list that has Vorpi already.
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
        { "a list on one line", "timeout: 0:10:00\nprograms: maze --root\nlock: True\n", { "vorpi --root", "maze --root" }, true },
        { "an empty list", "programs:\nlock: True\n", { "vorpi --root" }, true },
        { "no list", "lock: True\n", { "vorpi --root" }, true },
        { "listed with a name, a path and options",
            "programs: \\\n  \"Vorpi\" /usr/libexec/xscreensaver/vorpi --root --fps \\n\\\n  maze --root \\n\nlock: True\n",
            { "\"Vorpi\" /usr/libexec/xscreensaver/vorpi --root --fps", "maze --root" }, false },
        { "listed and switched off", "programs: \\\n- GL:\t\tvorpi --root\t\\n\\\n\t\tmaze --root\t\\n\nlock: True\n",
            { "- GL:\t\tvorpi --root", "maze --root" }, false },
        { "a vorpi of another name", "programs: \\\n  vorpi-render --root \\n\\\n  notvorpi --root \\n\nlock: True\n",
            { "vorpi --root", "vorpi-render --root", "notvorpi --root" }, true },
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
}

// Through a link the file it points to changes; what cannot be done leaves everything as it was.
TEST_F(XScreenSaverList, FollowsALinkAndRefusesWhatItCannotDo)
{
    fs::create_directory(home / "dotfiles");
    std::ofstream(home / "dotfiles" / "xscreensaver") << "programs: maze --root\n";
    fs::create_symlink("dotfiles/xscreensaver", file);
    ASSERT_EQ(add().first, 0);
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(programs(home / "dotfiles" / "xscreensaver"), (std::vector<std::string> { "vorpi --root", "maze --root" }));

    auto [status, error] = add("--frobnicate");
    EXPECT_EQ(status, 2);
    EXPECT_TRUE(error.starts_with("vorpi-xscreensaver-add: ") && error.find('\n') == error.size() - 1) << error;

    fs::remove(file);
    fs::create_directory(file);
    std::tie(status, error) = add();
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(error.starts_with("vorpi-xscreensaver-add: ") && error.find('\n') == error.size() - 1) << error;
    fs::remove(file);

    if (geteuid() != 0) { // the superuser may write anywhere
        std::ofstream(file) << "programs: maze --root\n";
        fs::permissions(home, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(add().first, 1);
        fs::permissions(home, fs::perms::owner_all);
        EXPECT_EQ(read(file), "programs: maze --root\n");
    }
    fs::remove(file);
    EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(home), {}).size(), 1u) << "only dotfiles: no temporary file left";
}

}
