#include "RecordingTarget.h"
#include "vantrelle/titleservice/TitlePageScraper.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace vantrelle::titleservice;
using vantrelle::test::RecordingTarget;

namespace {

// A title page in the markup the scraper reads; each part can be replaced or left out (empty).
struct Page {
    std::string title = "Harbour Lights (1987)";
    std::string cover = "<IMG SRC=\"http://posters.imdb.com/Covers/h/harbour.jpg\" ALT=\"cover\">";
    std::string director = "<B>Directed by</B><BR><A HREF=\"/Name?Quill,+Edda\">Edda Quill</A><BR>";
    std::string genres = "<A HREF=\"/Sections/Genres/Drama/\">Drama</A> / "
                         "<A HREF=\"/Sections/Genres/Thriller/\">Thriller</A>";
    std::string tagline = "<B>Tagline: </B> The sea keeps its secrets.<BR>";
    std::vector<std::pair<std::string, std::string>> cast = { { "Marsh,+Oren", "Captain Rook" },
        { "Vell,+Ida", "Mara" }, { "Okonkwo,+Tade", " The Pilot " }, { "Brisk", "Gull" } };
    std::string runtime = " USA:112 / Norway:108";

    std::string text() const
    {
        std::string page = "<HTML><HEAD><TITLE>" + title + "</TITLE></HEAD>\n<BODY>\n" + cover + "\n" + director
            + "\n<B>Genre:</B> " + genres + "\n" + tagline + "\n";
        if (!cast.empty()) {
            page += "<B>Cast overview, first billed only:</B>\n<TABLE>\n";
            for (const auto& [link, character] : cast)
                page += "<TR><TD><A HREF=\"/Name?" + link + "\">x</A></TD><TD NOWRAP> ... </TD><TD VALIGN=\"TOP\">"
                    + character + "</TD></TR>\n";
            page += "</TABLE>\n";
        }
        return page + "<TR><TD><B>Runtime</B>:" + runtime + "</TD></TR>\n</BODY></HTML>\n";
    }
};

struct Scrape {
    RecordingTarget target;
    std::string error;
    std::vector<std::string> runtimeEntries;
};

Scrape scrape(const std::string& page, ListChoice answer = {})
{
    Scrape result;
    result.target.answer = answer;
    URLDecoder decoder;
    TitlePageScraper scraper(result.target, decoder);
    try {
        result.target.scrape(scraper, page);
    } catch (const vantrelle::Error& e) {
        result.error = e.what();
    }
    result.runtimeEntries.assign(scraper.runtimeEntries().begin(), scraper.runtimeEntries().end());
    return result;
}

} // namespace

TEST(TitlePageScraper, WritesEveryValueInPageOrder)
{
    const Scrape s = scrape(Page().text());
    EXPECT_EQ(s.error, "");
    const std::vector<std::string> expected = {
        "Director=Edda Quill",
        "NameOfMovie=Harbour Lights ",
        "Year=1987",
        "Genre=Drama / Thriller",
        "Tagline=The sea keeps its secrets.",
        "CastMemberName1=Oren Marsh",
        "Character1=Captain Rook",
        "CastMemberName2=Ida Vell",
        "Character2=Mara",
        "CastMemberName3=Tade Okonkwo",
        "Character3=The Pilot",
        "CastMemberName4=Brisk",
        "Character4=Gull",
        "Runtime=112",
        "extension=.jpg",
        "download=http://posters.imdb.com/Covers/h/harbour.jpg",
    };
    EXPECT_EQ(s.target.calls, expected);
    EXPECT_EQ(s.runtimeEntries, (std::vector<std::string> { "USA:112", "Norway:108" }));
}

TEST(TitlePageScraper, TitleAndYear)
{
    struct Case {
        std::string title;
        std::vector<std::string> written; // NameOfMovie and Year
        std::string error;
    } const cases[] = {
        { "Alien (1979)", { "NameOfMovie=Alien ", "Year=1979" }, "" },
        { "Alien", { "NameOfMovie=Alien" }, "" },
        { "Blank (", { "NameOfMovie=Blank ", "Year=null" }, "" },
        { "Short (19", { "NameOfMovie=Short ", "Year=19" }, "" },
        { "Title (TV) (1999)", { "NameOfMovie=Title " }, "'TV) ' is not a valid integer value for field 'Year'" },
    };
    for (const auto& c : cases) {
        Page page;
        page.title = c.title;
        const Scrape s = scrape(page.text());
        EXPECT_EQ(s.error, c.error) << c.title;
        std::vector<std::string> written = s.target.callsOf("NameOfMovie");
        for (const auto& year : s.target.callsOf("Year"))
            written.push_back(year);
        EXPECT_EQ(written, c.written) << c.title;
    }
}

TEST(TitlePageScraper, AFailingYearEndsTheScrapeWithTheEarlierColumnsWritten)
{
    Page page;
    page.title = "Title (TV) (1999)";
    const Scrape s = scrape(page.text());
    EXPECT_EQ(s.target.calls, (std::vector<std::string> { "Director=Edda Quill", "NameOfMovie=Title " }));
    EXPECT_TRUE(s.runtimeEntries.empty());
}

TEST(TitlePageScraper, Genre)
{
    struct Case {
        std::string genres;
        std::string genre;
    } const cases[] = {
        { "<A HREF=\"/Sections/Genres/Sci-Fi/\">x</A> <A HREF=\"/Sections/Genres/Action/\">y</A>", "Sci-Fi / Action" },
        { "<A HREF=\"/Sections/Genres/Film Noir/\">Film Noir</A>", "FilmNoir" },
        { "<A HREF=\"/Sections/Genres/Crime,Drama/\">x</A>", "Crime / Drama" },
        // A link without the closing "/" contributes nothing up to the next link.
        { "<A HREF=\"/Sections/Genres/Drama\">x</A><A HREF=\"/Sections/Genres/War/\">y</A>", "Drama\">x< / War" },
    };
    for (const auto& c : cases) {
        Page page;
        page.genres = c.genres;
        EXPECT_EQ(scrape(page.text()).target.callsOf("Genre"), std::vector<std::string> { "Genre=" + c.genre })
            << c.genres;
    }
}

TEST(TitlePageScraper, PageWithoutGenreLinksOrDirectorMarker)
{
    // The genre then starts at the page's 17th character: "<HTML><HEAD><TIT" comes before it.
    Page page;
    page.genres = "none";
    page.director = "";
    const Scrape s = scrape(page.text());
    EXPECT_EQ(s.target.callsOf("Genre"), std::vector<std::string> { "Genre=LE>HarbourLights(1987)<" });
    // Without "Directed by" the first name link of the page is taken: the cast's.
    EXPECT_EQ(s.target.callsOf("Director"), std::vector<std::string> { "Director=x" });
}

TEST(TitlePageScraper, TaglineSkipsOneCharacterAfterTheMarker)
{
    struct Case {
        std::string tagline;
        std::string written;
    } const cases[] = {
        { "<B>Tagline: </B> Rain falls.<BR>", "Rain falls." },
        { "<B>Tagline: </B>Rain falls.<BR>", "ain falls." },
        { "<B>Tagline: </B>\r\nRain falls. <BR>", "\nRain falls. " },
        { "<B>Tagline: </B><BR>", "BR>\n" },
    };
    for (const auto& c : cases) {
        Page page;
        page.tagline = c.tagline;
        EXPECT_EQ(scrape(page.text()).target.callsOf("Tagline"), std::vector<std::string> { "Tagline=" + c.written });
    }
}

TEST(TitlePageScraper, CastReadsAtMostFourEntries)
{
    Page two;
    two.cast = { { "Marsh,+Oren", "Rook" }, { "Vell,+Ida", "Mara" } };
    const Scrape s2 = scrape(two.text());
    EXPECT_EQ(s2.target.callsOf("C"),
        (std::vector<std::string> {
            "CastMemberName1=Oren Marsh", "Character1=Rook", "CastMemberName2=Ida Vell", "Character2=Mara" }));

    Page six;
    six.cast = { { "A", "1" }, { "B", "2" }, { "C", "3" }, { "D", "4" }, { "E", "5" }, { "F", "6" } };
    const Scrape s6 = scrape(six.text());
    EXPECT_EQ(s6.target.callsOf("C"),
        (std::vector<std::string> { "CastMemberName1=A", "Character1=1", "CastMemberName2=B", "Character2=2",
            "CastMemberName3=C", "Character3=3", "CastMemberName4=D", "Character4=4" }));
}

TEST(TitlePageScraper, CastNames)
{
    struct Case {
        std::string link;
        std::string name;
    } const cases[] = {
        { "Hanks,+Tom", "Tom Hanks" },
        { "Smith,+Jo%", "+Jo% Smith" }, // malformed escape: not decoded
        { "Cher+", "Cher " }, // no comma: not trimmed after decoding
        { " Cher+ ", "Cher " }, // the link value is trimmed before decoding
        { "Marn%E9,+L%E9a",
            "L\xE9"
            "a Marn\xE9" },
        { "Prince,", "Prince" },
        { "De+Wit,+Jan,+Jr.", "Jan, Jr. De Wit" },
    };
    for (const auto& c : cases) {
        Page page;
        page.cast = { { c.link, "Someone" } };
        EXPECT_EQ(scrape(page.text()).target.callsOf("CastMemberName"),
            std::vector<std::string> { "CastMemberName1=" + c.name })
            << c.link;
    }
}

TEST(TitlePageScraper, RunningTime)
{
    const ListChoice cancel { false, -1 }, noLine { true, -1 }, second { true, 1 };
    struct Case {
        std::string runtime;
        ListChoice answer;
        std::vector<std::string> written; // dialog and Runtime
        std::string error;
    } const cases[] = {
        { "Argentina:140 / USA:142", cancel, { "Runtime=142" }, "" },
        { "USA:120 / Spain:99 / USA:125 (director's cut)", cancel, { "Runtime=125" }, "" },
        { "Argentina:140 / Spain:138", cancel, { "choose[Argentina:140|Spain:138]", "Runtime=0" }, "" },
        { "Argentina:140 / Spain:138", noLine, { "choose[Argentina:140|Spain:138]", "Runtime=0" }, "" },
        { "Argentina:140 / Spain:138 (uncensored)", second,
            { "choose[Argentina:140|Spain:138 (uncensored)]", "Runtime=138" }, "" },
        { "usa:90 / Spain:80", cancel, { "choose[usa:90|Spain:80]", "Runtime=0" }, "" },
        { "Argentina:140", cancel, { "Runtime=140" }, "" },
        { " 95 min", cancel, { "Runtime=95" }, "" },
        { "", cancel, { "Runtime=0" }, "" },
        { "USA:", cancel, { "Runtime=null" }, "" },
        { "USA:unknown", cancel, {}, "'unknown' is not a valid integer value for field 'Runtime'" },
    };
    for (const auto& c : cases) {
        Page page;
        page.runtime = c.runtime;
        const Scrape s = scrape(page.text(), c.answer);
        std::vector<std::string> written = s.target.callsOf("choose");
        for (const auto& runtime : s.target.callsOf("Runtime"))
            written.push_back(runtime);
        EXPECT_EQ(written, c.written) << c.runtime;
        EXPECT_EQ(s.error, c.error) << c.runtime;
        // A failure ends the scrape before the cover.
        EXPECT_EQ(s.target.callsOf("download").size(), c.error.empty() ? 1u : 0u) << c.runtime;
    }
}

TEST(TitlePageScraper, RuntimeEntriesAreTheTrimmedPieces)
{
    Page page;
    page.runtime = " UK:100 //Ireland: 98 ";
    EXPECT_EQ(scrape(page.text()).runtimeEntries, (std::vector<std::string> { "UK:100", "", "Ireland: 98" }));
}

TEST(TitlePageScraper, Cover)
{
    const std::string covers = "http://posters.imdb.com/Covers/a/alpha.jpg";
    const std::string posters = "http://posters.imdb.com/Posters/b/beta.gif";
    struct Case {
        std::string name;
        std::string cover;
        std::vector<std::string> written;
    } const cases[] = {
        { "placeholder wins over a poster", "<IMG SRC=\"/images/ph_title.gif\"><IMG SRC=\"" + covers + "\">",
            { "placeholder" } },
        { "Covers before Posters", "<IMG SRC=\"" + posters + "\"><IMG SRC=\"" + covers + "\">",
            { "extension=.jpg", "download=" + covers } },
        { "Posters", "<IMG SRC=\"" + posters + "\">", { "extension=.gif", "download=" + posters } },
        { "image server, second occurrence",
            "<A HREF=\"http://ia.media-imdb.com/images/gallery/\">x</A>"
            "<IMG SRC=\"http://ia.media-imdb.com/images/M/poster.gif\">",
            { "extension=.gif", "download=http://ia.media-imdb.com/images/M/poster.gif" } },
        { "image server, one occurrence", "<IMG SRC=\"http://ia.media-imdb.com/images/M/only.jpeg\">",
            { "extension=.jpeg", "download=/M/only.jpeg" } },
        { "dot in the host name", "<IMG SRC=\"http://posters.imdb.com/Covers/nofile\">",
            { "extension=.com/Covers/nofile", "download=http://posters.imdb.com/Covers/nofile" } },
        { "colon after the dot", "<IMG SRC=\"http://posters.imdb.com/Covers/c:x\">",
            { "extension=", "download=http://posters.imdb.com/Covers/c:x" } },
        { "backslash after the dot", "<IMG SRC=\"http://posters.imdb.com/Covers.d\\x\">",
            { "extension=", "download=http://posters.imdb.com/Covers.d\\x" } },
    };
    for (const auto& c : cases) {
        Page page;
        page.cover = c.cover;
        const Scrape s = scrape(page.text());
        std::vector<std::string> written = s.target.callsOf("placeholder");
        for (const char* kind : { "extension", "download" })
            for (const auto& call : s.target.callsOf(kind))
                written.push_back(call);
        EXPECT_EQ(written, c.written) << c.name;
    }
}

TEST(TitlePageScraper, EmptyPageStoresWhatTheStepsLeave)
{
    const Scrape s = scrape("");
    EXPECT_EQ(s.error, "");
    EXPECT_EQ(s.target.calls.front(), "Director=");
    EXPECT_EQ(s.target.callsOf("Runtime"), std::vector<std::string> { "Runtime=0" });
    EXPECT_EQ(s.target.calls.back(), "download=");
}
