// The plain transfers other modules use: a GET kept in memory and a GET into a file, against the
// loopback server.

#include "LoopbackServer.h"
#include "TestFiles.h"

#include "vantrelle/http/FileGet.h"
#include "vantrelle/http/LimitedGet.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace vantrelle::http {
namespace {

using Clock = std::chrono::steady_clock;
using test::server;

TEST(LimitedGet, KeepsTheAnswerWithinItsBoundsOrGivesNone)
{
    struct Case {
        std::string name;
        std::string target;
        std::size_t maxBytes;
        std::chrono::milliseconds time;
        long status;
        std::string body;
    } const cases[] = {
        { "a body", "/text", 100, std::chrono::milliseconds(3000), 200, "hello world" },
        { "a body of the bound exactly", "/text", 11, std::chrono::milliseconds(3000), 200, "hello world" },
        { "a body over the bound", "/bytes?n=1000", 999, std::chrono::milliseconds(3000), 0, "" },
        { "an error status", "/missing", 100000, std::chrono::milliseconds(3000), 404, "" },
        { "a redirect is not followed", "/redirect/1", 100000, std::chrono::milliseconds(3000), 302, "" },
        { "a stall past the deadline", "/stall-body", 100000, std::chrono::milliseconds(300), 0, "" },
        { "a deadline already past", "/text", 100, std::chrono::milliseconds(0), 0, "" },
    };
    for (const auto& c : cases) {
        const LimitedGetResult got = getLimited(server().url(c.target), { {}, Clock::now() + c.time, c.maxBytes });
        EXPECT_EQ(got.status, c.status) << c.name;
        if (!c.body.empty()) {
            EXPECT_EQ(got.body, c.body) << c.name;
        }
    }
}

TEST(LimitedGet, SendsItsHeadersAsGiven)
{
    const LimitedGetResult got = getLimited(server().url("/echo"),
        { { "X-Test: one", "Accept: application/json" }, Clock::now() + std::chrono::seconds(3), 4096 });
    EXPECT_EQ(got.status, 200);
    EXPECT_NE(got.body.find("X-Test: one\n"), std::string::npos) << got.body;
    EXPECT_NE(got.body.find("Accept: application/json\n"), std::string::npos) << got.body;
    EXPECT_NE(got.body.find("User-Agent: Vantrelle\n"), std::string::npos) << got.body;
}

TEST(FileGet, WritesTheFileOnlyForAWholeAnswer)
{
    struct Case {
        std::string name;
        std::string target;
        long status;
        bool written;
    } const cases[] = {
        { "a body", "/text", 200, true },
        { "an empty body", "/empty", 200, true },
        { "through redirects", "/redirect/2", 200, true },
        { "an error page", "/missing", 404, false },
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        const auto file = dir / "file";
        bool began = false;
        FileGet request;
        request.wholeFileBegins = [&](const Validators&) { began = true; };
        const FileGetResult got = getIntoFile(server().url(c.target), file, request);
        EXPECT_EQ(got.status, c.status) << c.name;
        EXPECT_EQ(std::filesystem::exists(file), c.written) << c.name;
        EXPECT_EQ(began, c.written) << c.name;
        if (c.written && c.target != "/empty") {
            EXPECT_EQ(vantrelle::test::readFile(file), "hello world") << c.name;
        }
    }
}

TEST(FileGet, ReportsProgressAndFailsACutTransfer)
{
    ScratchDir dir;
    FileGet request;
    FileGetProgress last;
    request.progress = [&](const FileGetProgress& progress) { last = progress; };
    EXPECT_EQ(getIntoFile(server().url("/bytes?n=300000"), dir / "file", request).status, 200);
    EXPECT_GT(last.bytesRead, 0u);
    EXPECT_LE(last.bytesRead, 300000u);
    EXPECT_EQ(last.bytesTotal, 300000u);
    EXPECT_EQ(std::filesystem::file_size(dir / "file"), 300000u);
    EXPECT_THROW(getIntoFile(server().url("/cut"), dir / "cut", {}), EFileGetError);
}

} // namespace
} // namespace vantrelle::http
