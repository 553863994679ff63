#include "output/AtomicFile.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
protected:
    AtomicFileTest()
        : directory(fs::temp_directory_path() / ("atomic-file-" + std::to_string(getpid())))
    {
        fs::remove_all(directory);
        fs::create_directory(directory);
    }
    ~AtomicFileTest() override { fs::remove_all(directory); }

    std::string read(const fs::path& path)
    {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::size_t entries() { return static_cast<std::size_t>(std::distance(fs::directory_iterator(directory), {})); }

    fs::path directory;
};

}

TEST_F(AtomicFileTest, ReplacesTheTargetOnlyOnCommit)
{
    fs::path target = directory / "out.txt";
    std::ofstream(target) << "old";
    {
        AtomicFile file(target);
        EXPECT_EQ(file.temporaryPath().parent_path(), directory);
        std::fputs("new", file.stream());
        std::fflush(file.stream());
        EXPECT_EQ(read(target), "old");
        file.commit();
    }
    EXPECT_EQ(read(target), "new");
    EXPECT_EQ(entries(), 1u);

    // Written with the permissions of any new file, not mkstemp's owner-only ones.
    std::ofstream(directory / "plain");
    struct stat made, plain;
    stat(target.c_str(), &made);
    stat((directory / "plain").c_str(), &plain);
    EXPECT_EQ(made.st_mode, plain.st_mode);
}

TEST_F(AtomicFileTest, DroppedUncommittedLeavesTheTargetAsItWas)
{
    fs::path target = directory / "out.txt";
    std::ofstream(target) << "old";
    {
        AtomicFile file(target);
        std::fputs("half", file.stream());
    }
    {
        AtomicFile untouched(target);
    }
    EXPECT_EQ(read(target), "old");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFileTest, ReplacesWhatALinkPointsToAndKeepsTheLink)
{
    fs::path real = directory / "real.txt";
    fs::path link = directory / "link.txt";
    std::ofstream(real) << "old";
    fs::create_symlink("real.txt", link);
    AtomicFile file(link);
    std::fputs("new", file.stream());
    file.commit();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(read(real), "new");
}

TEST_F(AtomicFileTest, ReportsAMissingDirectory)
{
    EXPECT_THROW(AtomicFile(directory / "missing" / "out.txt"), std::runtime_error);
}
