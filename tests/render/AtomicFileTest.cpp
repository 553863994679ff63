#include "output/AtomicFile.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

std::string read(const fs::path& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}

TEST(AtomicFile, ReplacesTheTargetOnlyWhenCommitted)
{
    fs::path directory = fs::temp_directory_path() / ("atomic-file-" + std::to_string(getpid()));
    fs::remove_all(directory);
    fs::create_directory(directory);
    fs::path target = directory / "out.txt";
    std::ofstream(target) << "old";
    {
        AtomicFile dropped(target);
        std::fputs("half", dropped.stream());
    }
    EXPECT_EQ(read(target), "old");
    {
        AtomicFile file(target);
        EXPECT_EQ(file.temporaryPath().parent_path(), directory);
        std::fputs("new", file.stream());
        std::fflush(file.stream());
        EXPECT_EQ(read(target), "old");
        file.commit();
    }
    EXPECT_EQ(read(target), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(directory), {}), 1) << "no temporary file left";

    // With the permissions of any new file, not mkstemp's owner-only ones.
    std::ofstream(directory / "plain");
    struct stat made, plain;
    stat(target.c_str(), &made);
    stat((directory / "plain").c_str(), &plain);
    EXPECT_EQ(made.st_mode, plain.st_mode);

    // Through a link: the file it points to is replaced, the link stays.
    fs::create_symlink("out.txt", directory / "link.txt");
    AtomicFile linked(directory / "link.txt");
    std::fputs("linked", linked.stream());
    linked.commit();
    EXPECT_TRUE(fs::is_symlink(directory / "link.txt"));
    EXPECT_EQ(read(target), "linked");
    fs::remove_all(directory);
}
