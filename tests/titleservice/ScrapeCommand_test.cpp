// vantrelle-tool scrape: the JSON it prints for a page file.

#include "TestFiles.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The JSON that `vantrelle-tool scrape ARGUMENTS` prints.
std::string run(const std::string& arguments)
{
    return vantrelle::test::runTool("scrape " + arguments).output;
}

} // namespace

TEST(ScrapeCommand, PrintsTheColumnsInTheOrderWritten)
{
    vantrelle::ScratchDir dir;
    const auto page = dir / "page.html";
    struct Case {
        std::string name;
        std::string page;
        std::string choose;
        std::string json;
    } const cases[] = {
        { "a failing year, with Latin-1 and a long name",
            "<TITLE>Caf\xE9 (TV) (1999)</TITLE><B>Directed by</B><A HREF=\"/Name?x\">Someone \"Q\" with a very long "
            "name that goes on past fifty characters</A>",
            "",
            "{\"columns\": {\"Director\": \"Someone \\\"Q\\\" with a very long name that goes on pas\", "
            "\"NameOfMovie\": "
            "\"Caf\xC3\xA9 \"}, \"placeholder\": false, \"posterUrl\": null, \"coverExtension\": null, "
            "\"runtimeEntries\": [], \"error\": \"'TV) ' is not a valid integer value for field 'Year'\"}\n" },
        { "a chosen running time and the placeholder",
            "<TITLE>Short</TITLE><B>Directed by</B><A HREF=\"/Name?x\">Ann Lee</A><IMG SRC=\"ph_title.gif\">"
            "<B>Runtime</B>: UK:9 / Chile:10\t(cut)</TD></BODY>",
            "--choose 1",
            "{\"columns\": {\"Director\": \"Ann Lee\", \"NameOfMovie\": \"Short\", \"Genre\": \"TLE><B>Directedby<\", "
            "\"Tagline\": \"/TITLE>\", \"CastMemberName1\": \"x\", \"Character1\": \"G SRC=\\\"ph_title.gif\\\">\", "
            "\"Runtime\": 10}, \"placeholder\": true, \"posterUrl\": null, \"coverExtension\": null, "
            "\"runtimeEntries\": "
            "[\"UK:9\", \"Chile:10\\t(cut)\"], \"error\": null}\n" },
        { "a declined choice and a poster",
            "<TITLE>Short</TITLE><B>Directed by</B><A HREF=\"/Name?x\">Ann Lee</A><B>Runtime</B>:UK:9/Chile:10</TD>"
            "<IMG SRC=\"http://posters.imdb.com/Posters/s.gif\"></BODY>",
            "--choose cancel",
            "{\"columns\": {\"Director\": \"Ann Lee\", \"NameOfMovie\": \"Short\", \"Genre\": \"TLE><B>Directedby<\", "
            "\"Tagline\": \"/TITLE>\", \"CastMemberName1\": \"x\", \"Character1\": \"Runtime\", \"Runtime\": 0}, "
            "\"placeholder\": false, \"posterUrl\": \"http://posters.imdb.com/Posters/s.gif\", \"coverExtension\": "
            "\".gif\", \"runtimeEntries\": [\"UK:9\", \"Chile:10\"], \"error\": null}\n" },
        { "a page in another layout",
            "<html><head><title>Short - IMDb</title><script type=\"application/ld+json\">{}</script></head>"
            "<body>Directed by <a href=\"/name/nm1/\">Ann Lee</a></body></html>",
            "",
            "{\"columns\": {}, \"placeholder\": false, \"posterUrl\": null, \"coverExtension\": null, "
            "\"runtimeEntries\": [], \"error\": \"The title service's answer is not a title page.\"}\n" },
    };
    for (const auto& c : cases) {
        vantrelle::test::writeFile(page, c.page);
        EXPECT_EQ(run(c.choose + " " + page.string()), c.json) << c.name;
    }
}
