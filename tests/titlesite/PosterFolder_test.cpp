// A poster folder where someone else on the machine planted what is no poster: a symlink to another
// file, a folder, a fifo. Only the plain files are served, asked over loopback as the program asks.

#include "ProxyGet.h"
#include "TestFiles.h"
#include "TitleDataset.h"
#include "vantrelle/titlesite/TitleSiteServer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

using namespace vantrelle;

namespace fs = std::filesystem;

TEST(PosterFolder, ServesOnlyPlainFiles)
{
    const ScratchDir dir("poster-folder");
    const fs::path posters = dir / "posters";
    fs::create_directory(posters);
    test::writeFile(dir / "secret.txt", "the user's secret");
    test::writeFile(posters / "0100001.jpg", "\xFF\xD8\xFF plain poster");
    fs::create_symlink(dir / "secret.txt", posters / "0100002.jpg");
    fs::create_directory(posters / "0100003.jpg");
    ASSERT_EQ(mkfifo((posters / "0100004.jpg").c_str(), 0600), 0);
    fs::create_symlink(posters / "0100001.jpg", posters / "0100005.jpg"); // even to a poster of the folder

    titlesite::TitleSiteServer server(test::importedIndex(dir.path(), {}), posters);
    const int port = server.start();
    const struct {
        const char* file;
        int status;
    } cases[] = {
        { "0100001.jpg", 200 },
        { "0100002.jpg", 404 },
        { "0100003.jpg", 404 },
        { "0100004.jpg", 404 },
        { "0100005.jpg", 404 },
    };
    for (const auto& c : cases) {
        const test::HttpAnswer answer = test::proxyGet(port, "posters.imdb.com", std::string("/Posters/") + c.file);
        EXPECT_EQ(answer.status, c.status) << c.file;
        EXPECT_EQ(answer.body.find("secret"), std::string::npos) << c.file;
    }
}
