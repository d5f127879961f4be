// Files of the program's own folders are read only when plain, and made only anew, never through
// what someone else put under their names.

#include "vantrelle/OwnFiles.h"
#include "vantrelle/ScratchDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

using namespace vantrelle;

namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Planted {
    ScratchDir dir { "own-files" };
    Planted()
    {
        std::ofstream(dir / "plain", std::ios::binary) << "plain bytes";
        std::ofstream(dir / "secret", std::ios::binary) << "the user's secret";
        fs::create_symlink(dir / "secret", dir / "link");
        fs::create_symlink(dir / "nowhere", dir / "dangling");
        fs::create_directory(dir / "folder");
        mkfifo((dir / "fifo").c_str(), 0600);
    }
};

TEST(OwnFiles, ReadsOnlyPlainFilesThatAreNoSymlinks)
{
    const Planted planted;
    EXPECT_EQ(readOwnFile(planted.dir / "plain"), "plain bytes");
    for (const char* name : { "link", "dangling", "folder", "fifo", "missing" })
        EXPECT_EQ(readOwnFile(planted.dir / name), std::nullopt) << name;
}

TEST(OwnFiles, WritesOnlyWhereNothingStands)
{
    const Planted planted;
    EXPECT_TRUE(writeNewOwnFile(planted.dir / "new", "new bytes"));
    EXPECT_EQ(contents(planted.dir / "new"), "new bytes");
    for (const char* name : { "plain", "link", "dangling", "folder", "fifo" })
        EXPECT_FALSE(writeNewOwnFile(planted.dir / name, "written through")) << name;
    EXPECT_EQ(contents(planted.dir / "secret"), "the user's secret");
    EXPECT_EQ(contents(planted.dir / "plain"), "plain bytes");
    EXPECT_FALSE(fs::exists(planted.dir / "nowhere"));
}

} // namespace
